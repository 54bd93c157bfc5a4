#pragma once
#include <cstdint>
#include <memory>

#include "base/Win32.h"
#include "editor/GdiObjects.h"

// The colour that is transparent in every skin image when a cell is drawn keyed.
constexpr COLORREF kSkinKeyColour = RGB(0, 255, 0);

// UTF-16 characters the skin path buffer holds, the terminating zero included.
constexpr size_t kSkinPathCapacity = 255;

class CGdipImage;

// One skin file as both texture classes hold it: the GDI+ reading (for the size and for
// opaque drawing) and the GDI colour bitmap with the masks that make keyed drawing two
// BitBlt calls. Owns every GDI object it makes.
class CSkinImage {
public:
    CSkinImage();
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;
    ~CSkinImage();

    // False when the path does not fit the UTF-16 buffer or the image object can't be
    // allocated. A missing or unreadable file still loads: it just has nothing to draw.
    bool Load(const char* path);
    void Release();

    bool HasImage() const { return m_image != nullptr; }
    // The size GDI+ read; 0 x 0 for a file that could not be read.
    int32_t Width() const;
    int32_t Height() const;

    // Builds the masks once per load; the reference DC fixes the pixel format.
    void BuildMasks(HDC reference);
    // Both copy the source rectangle (sx, sy, w, h) to (dx, dy). Keyed drawing leaves the
    // destination under key-coloured pixels as it was; opaque drawing converts the GDI+
    // image once per load (it is drawn every tick, and the conversion cost more than the
    // rest of the tick) and copies from that, the scratch DC serving only when it can't be kept.
    void DrawKeyed(HDC dest, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h) const;
    // The mask of the source rectangle ANDed onto dest: black where the image covers, the
    // destination kept elsewhere. With DrawKeyed into a black image it builds a layer of
    // several images that is then drawn keyed as one.
    void DrawMask(HDC dest, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w, int32_t h) const;
    void DrawOpaque(HDC dest, HDC scratch, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w,
                    int32_t h) const;

private:
    // In a tick's look the cell is noted instead of drawn; outside the rectangles being
    // painted again it is not drawn either.
    bool NotedOrHidden(int32_t way, HDC dest, int32_t dx, int32_t dy, int32_t sx, int32_t sy, int32_t w,
                       int32_t h) const;

    std::unique_ptr<CGdipImage> m_image;
    uint32_t m_loads = 0;
    CBitmapHandle m_loadedColour; // until BuildMasks moves it into the colour DC
    CMemoryBitmapDC m_colour;
    CMemoryBitmapDC m_mask;
    CMemoryBitmapDC m_inverse;
    CMemoryBitmapDC m_maskCopy;
    mutable CMemoryBitmapDC m_opaque;
};

// A source rectangle that lies on the image; false for cells outside the grid.
bool SkinCellRect(int32_t column, int32_t row, int32_t columns, int32_t rows, int32_t cellWidth,
                  int32_t cellHeight, int32_t& sx, int32_t& sy);
