#pragma once
#include <cstdint>

#include "base/Win32.h"
#include "editor/SkinImage.h"

// The cell of the skin grid that one display state shows.
struct StateCell {
    int32_t column;
    int32_t row;
};

constexpr int32_t kButtonStateCount = 5;

// A button's skin strip: a grid of cells of which the current state (0-4) picks one, drawn
// keyed at the strip's position. Buttons and time-line points use it.
class CGdiTexture {
public:
    CGdiTexture() = default;
    CGdiTexture(const CGdiTexture&) = delete;
    CGdiTexture& operator=(const CGdiTexture&) = delete;
    virtual ~CGdiTexture() = default;

    bool Load(const char* path);
    // Lets the image and its masks go; nothing is drawn until the next load.
    void Unload();
    // Stores the grid and the five state cells, sets state 0 and builds the masks.
    void Place(HDC reference, int32_t x, int32_t y, int32_t columns, int32_t rows,
               const StateCell (&cells)[kButtonStateCount]);
    void SetPosition(int32_t x, int32_t y);
    void SetStateCells(const StateCell (&cells)[kButtonStateCount]);
    // States outside 0-4 are ignored.
    void SetState(int32_t state);
    // Draws the current state's cell at the strip's position; a cell off the grid draws nothing.
    void DrawKeyed(HDC dest);
    // The same cell's mask (see CSkinImage::DrawMask).
    void DrawMask(HDC dest);

    bool HasImage() const { return m_image.HasImage(); }
    int32_t GetState() const { return m_state; }
    int32_t GetX() const { return m_x; }
    int32_t GetY() const { return m_y; }
    int32_t GetCellWidth() const { return m_cellWidth; }
    int32_t GetCellHeight() const { return m_cellHeight; }
    StateCell GetStateCell(int32_t state) const;

private:
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_cellWidth = 0;
    int32_t m_cellHeight = 0;
    StateCell m_cells[kButtonStateCount] = {};
    int32_t m_columns = 1;
    int32_t m_rows = 1;
    int32_t m_state = 0;
    CSkinImage m_image;
};
