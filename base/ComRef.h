#pragma once
#include <string>
#include <utility>

#include "base/Win32.h"
#include <oleauto.h>

// Owns one reference to a COM interface and releases it: movable, never copied. Creation
// and query calls write into Out(), which releases what was held first.
template <class T>
class CComRef {
public:
    CComRef() = default;
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    CComRef(CComRef&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    CComRef& operator=(CComRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_pointer = std::exchange(other.m_pointer, nullptr);
        }
        return *this;
    }
    ~CComRef() { Reset(); }

    void Reset()
    {
        if (m_pointer != nullptr)
            std::exchange(m_pointer, nullptr)->Release();
    }
    T** Out()
    {
        Reset();
        return &m_pointer;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // Queries the held object for another interface; target is empty on failure.
    template <class U>
    HRESULT QueryInto(CComRef<U>& target) const
    {
        target.Reset();
        if (m_pointer == nullptr)
            return E_POINTER;
        return m_pointer->QueryInterface(__uuidof(U), target.OutVoid());
    }

private:
    T* m_pointer = nullptr;
};

// Owns one BSTR and frees it.
class CBstr {
public:
    CBstr() = default;
    explicit CBstr(const std::wstring& text)
        : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { SysFreeString(m_text); }

    BSTR Get() const { return m_text; }
    BSTR* Out()
    {
        SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    // A null BSTR is the empty string.
    std::wstring Text() const { return m_text != nullptr ? std::wstring(m_text, SysStringLen(m_text)) : std::wstring(); }

private:
    BSTR m_text = nullptr;
};
