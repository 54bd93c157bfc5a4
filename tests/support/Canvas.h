#pragma once
#include "base/Win32.h"

namespace TestSupport {

// A memory DC over a 32-bit DIB, so that what was drawn can be read back exactly.
class CCanvas {
public:
    CCanvas(int width, int height, COLORREF fill);
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;
    ~CCanvas();

    HDC Dc() const { return m_dc; }
    void Fill(COLORREF colour);
    COLORREF Pixel(int x, int y) const;
    // True when every pixel of the rectangle is colour.
    bool AreaIs(int left, int top, int right, int bottom, COLORREF colour) const;

private:
    COLORREF RawPixel(int x, int y) const;

    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_original = nullptr;
    const DWORD* m_bits = nullptr;
};

} // namespace TestSupport
