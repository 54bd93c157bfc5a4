#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "editor/GdiObjects.h"

// A memory DC over a 32-bit top-down DIB: drawn into with GDI, read back exactly. Tools
// compose pictures in it; tests sample what the editor drew.
class CDibCanvas {
public:
    CDibCanvas(int width, int height, COLORREF fill);
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;
    ~CDibCanvas();

    bool Valid() const { return m_bits != nullptr; }
    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Fill(COLORREF colour);
    // CLR_INVALID outside the canvas.
    COLORREF Pixel(int x, int y) const;
    // True when every pixel of the rectangle is colour; false for a rectangle off the canvas.
    bool AreaIs(int left, int top, int right, int bottom, COLORREF colour) const;
    // How many pixels of the rectangle, cut to the canvas, are colour.
    int Count(int left, int top, int right, int bottom, COLORREF colour) const;
    // True when rows [top, bottom) of both canvases, of one size, hold the same pixels; else
    // the first pixel that differs goes to difference.
    bool SameRows(const CDibCanvas& other, int top, int bottom, POINT& difference) const;
    bool SaveBmp24(const std::string& path) const;

private:
    COLORREF RawPixel(int x, int y) const;

    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_original = nullptr;
    const DWORD* m_bits = nullptr;
};

// A 32-bit top-down section: row y starts at y * width of bits. Null when it cannot be made.
HBITMAP CreateTopDownDib(HDC reference, int width, int height, void*& bits);

// A 32-bit top-down bitmap in a memory DC whose pixels can be read and written directly
// (GdiFlush first when GDI drew into it).
class CDibSurface {
public:
    bool Create(HDC reference, int width, int height);
    void Reset();
    HDC Dc() const { return m_dc.Dc(); }
    uint32_t* Row(int y) const { return m_bits + static_cast<ptrdiff_t>(y) * m_width; }
    explicit operator bool() const { return static_cast<bool>(m_dc); }

private:
    CMemoryBitmapDC m_dc;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
};

// The owner of a DC with a top-down section of its own selected says so (bits null: no longer),
// so that drawing code may write its pixels directly: the system reports every section's
// height as positive, top-down or not.
void NoteTopDownDc(HDC dc, void* bits);
// The 32-bit pixels of a DC so noted, while that section is selected and its coordinates are
// its pixels' (no window or viewport origin): row y starts at bits + y * width.
struct DibPixels {
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
};
bool SelectedDibPixels(HDC dc, DibPixels& pixels);
// A colour as such a section holds it.
inline uint32_t DibPixel(COLORREF colour)
{
    return static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
           GetBValue(colour);
}
// The rectangles dc's drawing is clipped to, cut to bounds: bounds alone when nothing clips it.
std::vector<RECT> ClipRects(HDC dc, const RECT& bounds);

// One-pixel vertical lines of colour at each of xs, from top down to bottom (left out, as a
// pen leaves it), written into the pixels of a noted DC within its clip. False, drawing
// nothing, when dc's layout is not known.
bool WriteVerticalLines(HDC dc, const int* xs, size_t count, int top, int bottom, COLORREF colour);

// While it lives, the thread's drawing code gets the pixels and the clip of dc, a noted DC
// clipped to region, without asking the system each time (ten calls into it per layer laid
// on a tick). Nothing may change dc's clip, origin or selected section meanwhile.
class CKnownClip {
public:
    CKnownClip(HDC dc, HRGN region);
    CKnownClip(const CKnownClip&) = delete;
    CKnownClip& operator=(const CKnownClip&) = delete;
    ~CKnownClip();
};
// The rectangles of a region; none when it cannot be read.
std::vector<RECT> RegionRects(HRGN region);

// Writes a 24-bit Windows bitmap file whose pixel (x, y) is pixel(x, y).
bool WriteBmp24(const std::string& path, int width, int height, const std::function<COLORREF(int, int)>& pixel);
