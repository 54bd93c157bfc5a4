#include "support/Canvas.h"

namespace TestSupport {

CCanvas::CCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<const DWORD*>(bits);
    m_original = SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

CCanvas::~CCanvas()
{
    SelectObject(m_dc, m_original);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

void CCanvas::Fill(COLORREF colour)
{
    const HBRUSH brush = CreateSolidBrush(colour);
    const RECT all = {0, 0, m_width, m_height};
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

COLORREF CCanvas::Pixel(int x, int y) const
{
    if (m_bits == nullptr || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    GdiFlush();
    return RawPixel(x, y);
}

COLORREF CCanvas::RawPixel(int x, int y) const
{
    const DWORD value = m_bits[y * m_width + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

bool CCanvas::AreaIs(int left, int top, int right, int bottom, COLORREF colour) const
{
    if (m_bits == nullptr || left < 0 || top < 0 || right > m_width || bottom > m_height)
        return false;
    GdiFlush();
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (RawPixel(x, y) != colour)
                return false;
    return true;
}

} // namespace TestSupport
