#pragma once
// What every COM face of the simulated player shares: counted references, an IDispatch that
// answers nothing, QueryInterface by one interface identifier, and text out as BSTR.
#include <string>

#include "base/Win32.h"
#include "base/text/CodePage.h"
#include <ole2.h>

namespace SimPlayerFaces {

// The player owns its faces; their references are only counted, so a holder that forgets
// one shows up in OutstandingReferences instead of keeping the player alive.
template <class I>
class CCounted : public I {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_count); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_count); }
    LONG Count() const { return m_count; }

protected:
    LONG m_count = 0;
};

template <class I>
class CDispatchFace : public CCounted<I> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

template <class Face>
HRESULT Answer(Face* face, REFIID riid, REFIID own, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != own)
        return E_NOINTERFACE;
    *object = face;
    face->AddRef();
    return S_OK;
}

inline HRESULT Text(const std::wstring& text, BSTR* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr || text.empty() ? S_OK : E_OUTOFMEMORY;
}

inline std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    Quorvel::Base::Text::ToNarrow(CP_THREAD_ACP, text, narrow);
    return narrow;
}

// The title a player shows for an address: its file name without the extension.
inline std::wstring TitleOf(const std::wstring& url)
{
    const size_t slash = url.find_last_of(L"\\/:");
    std::wstring name = slash == std::wstring::npos ? url : url.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace SimPlayerFaces
