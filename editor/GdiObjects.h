#pragma once
#include <type_traits>
#include <utility>

#include "base/Win32.h"

// Small owners for GDI handles: movable, never copied (a copy would delete twice).

// A font about to be deleted, or a DC about to go, is no longer kept selected (KeepFonts).
void FontGoing(HFONT font);
void StopKeepingFonts(HDC dc);

// Owns one GDI object (bitmap, font, pen, brush) and deletes it. The object must not be
// selected into a DC when the owner lets it go; CScopedSelect takes care of that.
template <class Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) : m_handle(handle) {}
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    ~CGdiObject() { Reset(); }

    void Reset(Handle handle = nullptr)
    {
        if (m_handle != nullptr) {
            if constexpr (std::is_same<Handle, HFONT>::value)
                FontGoing(m_handle);
            DeleteObject(m_handle);
        }
        m_handle = handle;
    }
    // Hands the handle over to the caller, who deletes it from now on.
    Handle Detach() { return std::exchange(m_handle, nullptr); }
    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    Handle m_handle = nullptr;
};

using CBitmapHandle = CGdiObject<HBITMAP>;
using CFontHandle = CGdiObject<HFONT>;

// Selects a GDI object into a DC for one scope and puts the previous object back.
class CScopedSelect {
public:
    CScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc)
    {
        if (m_dc != nullptr && object != nullptr)
            m_previous = SelectObject(m_dc, object);
    }
    CScopedSelect(const CScopedSelect&) = delete;
    CScopedSelect& operator=(const CScopedSelect&) = delete;
    ~CScopedSelect()
    {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
    }
    bool Selected() const { return m_previous != nullptr && m_previous != HGDI_ERROR; }

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
};

// A memory DC together with the bitmap it owns and keeps selected. Reset puts the DC's
// original bitmap back before deleting the DC and then the bitmap.
class CMemoryBitmapDC {
public:
    CMemoryBitmapDC() = default;
    CMemoryBitmapDC(const CMemoryBitmapDC&) = delete;
    CMemoryBitmapDC& operator=(const CMemoryBitmapDC&) = delete;
    CMemoryBitmapDC(CMemoryBitmapDC&& other) noexcept
        : m_dc(std::exchange(other.m_dc, nullptr)), m_bitmap(std::move(other.m_bitmap)),
          m_original(std::exchange(other.m_original, nullptr))
    {
    }
    CMemoryBitmapDC& operator=(CMemoryBitmapDC&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_dc = std::exchange(other.m_dc, nullptr);
            m_bitmap = std::move(other.m_bitmap);
            m_original = std::exchange(other.m_original, nullptr);
        }
        return *this;
    }
    ~CMemoryBitmapDC() { Reset(); }

    // Takes ownership of bitmap whatever happens; false (and nothing held) when the DC
    // can't be made or the bitmap is missing.
    bool Create(HDC compatibleWith, HBITMAP bitmap)
    {
        Reset();
        m_bitmap.Reset(bitmap);
        if (!m_bitmap)
            return false;
        m_dc = CreateCompatibleDC(compatibleWith);
        if (m_dc == nullptr) {
            m_bitmap.Reset();
            return false;
        }
        m_original = SelectObject(m_dc, bitmap);
        if (m_original == nullptr || m_original == HGDI_ERROR) {
            m_original = nullptr;
            Reset();
            return false;
        }
        return true;
    }
    void Reset()
    {
        if (m_dc != nullptr) {
            StopKeepingFonts(m_dc);
            if (m_original != nullptr)
                SelectObject(m_dc, m_original);
            DeleteDC(m_dc);
        }
        m_dc = nullptr;
        m_original = nullptr;
        m_bitmap.Reset();
    }
    HDC Dc() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap.Get(); }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc = nullptr;
    CBitmapHandle m_bitmap;
    HGDIOBJ m_original = nullptr;
};

// From now on a font selected into dc by CScopedFont stays selected past its scope, until
// another is: a tick paints a few texts in one or two fonts, every selection of one costs
// about as much as drawing a label, and the next tick draws with the same fonts again. dc's
// own font goes back in before a font selected there is deleted (FontGoing) and when dc stops
// keeping its fonts (StopKeepingFonts, which a CMemoryBitmapDC does as it goes). The DC's
// owner's thread only.
void KeepFonts(HDC dc);

// Selects a font into a DC for one scope, as CScopedSelect does; where dc keeps its fonts
// (KeepFonts), one already selected is not selected again, and none is put back.
class CScopedFont {
public:
    CScopedFont(HDC dc, HFONT font);
    CScopedFont(const CScopedFont&) = delete;
    CScopedFont& operator=(const CScopedFont&) = delete;
    ~CScopedFont();

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
};
