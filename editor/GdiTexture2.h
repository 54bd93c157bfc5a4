#pragma once
#include <cstdint>

#include "base/Win32.h"
#include "base/thread/CriticalSection.h"
#include "editor/SkinImage.h"

// A skin image cut into a grid of equal cells, drawn keyed (pure green transparent) or
// opaque. The background, the bars and the edit box frames use it. Drawing runs on the
// editor window's thread; the lock serializes the GDI+ conversion of opaque drawing.
class CGdiTexture2 {
public:
    CGdiTexture2() = default;
    CGdiTexture2(const CGdiTexture2&) = delete;
    CGdiTexture2& operator=(const CGdiTexture2&) = delete;
    virtual ~CGdiTexture2() = default;

    // Full narrow (Shift-JIS) path. See CSkinImage::Load for what counts as failure.
    bool Load(const char* path);
    // Cells are (image width / columns) x (image height / rows); the remainder pixels at the
    // right and bottom belong to no cell. Builds the masks against the reference DC.
    void Place(HDC reference, int32_t x, int32_t y, int32_t columns, int32_t rows);
    void SetPosition(int32_t x, int32_t y);

    // Draws cell (column, row) at (x, y) with the key colour transparent.
    void DrawKeyed(HDC dest, int32_t column, int32_t row);
    // Draws the whole image opaque at the destination's origin, not at (x, y).
    void DrawWhole(HDC dest, HDC scratch);
    // Draws cell (column, row) opaque at (x, y).
    void DrawCell(HDC dest, HDC scratch, int32_t column, int32_t row);

    bool HasImage() const { return m_image.HasImage(); }
    int32_t GetX() const { return m_x; }
    int32_t GetY() const { return m_y; }
    int32_t GetImageWidth() const { return m_imageWidth; }
    int32_t GetImageHeight() const { return m_imageHeight; }
    int32_t GetColumns() const { return m_columns; }
    int32_t GetRows() const { return m_rows; }
    int32_t GetCellWidth() const { return m_cellWidth; }
    int32_t GetCellHeight() const { return m_cellHeight; }

private:
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_imageWidth = 0;
    int32_t m_imageHeight = 0;
    int32_t m_columns = 1;
    int32_t m_rows = 1;
    int32_t m_cellWidth = 0;
    int32_t m_cellHeight = 0;
    CSkinImage m_image;
    Quorvel::Base::Thread::CCriticalSection m_lock;
};
