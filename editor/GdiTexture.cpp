#include "editor/GdiTexture.h"

bool CGdiTexture::Load(const char* path)
{
    m_cellWidth = m_cellHeight = 0;
    return m_image.Load(path);
}

void CGdiTexture::Unload()
{
    m_cellWidth = m_cellHeight = 0;
    m_image.Release();
}

void CGdiTexture::Place(HDC reference, int32_t x, int32_t y, int32_t columns, int32_t rows,
                        const StateCell (&cells)[kButtonStateCount])
{
    m_x = x;
    m_y = y;
    m_columns = columns;
    m_rows = rows;
    SetStateCells(cells);
    m_state = 0;
    if (!m_image.HasImage())
        return;
    m_cellWidth = columns > 0 ? m_image.Width() / columns : 0;
    m_cellHeight = rows > 0 ? m_image.Height() / rows : 0;
    m_image.BuildMasks(reference);
}

void CGdiTexture::SetPosition(int32_t x, int32_t y)
{
    m_x = x;
    m_y = y;
}

void CGdiTexture::SetStateCells(const StateCell (&cells)[kButtonStateCount])
{
    for (int32_t i = 0; i < kButtonStateCount; ++i)
        m_cells[i] = cells[i];
}

void CGdiTexture::SetState(int32_t state)
{
    if (state >= 0 && state < kButtonStateCount)
        m_state = state;
}

StateCell CGdiTexture::GetStateCell(int32_t state) const
{
    if (state < 0 || state >= kButtonStateCount)
        return StateCell{-1, -1};
    return m_cells[state];
}

void CGdiTexture::DrawMask(HDC dest)
{
    const StateCell cell = m_cells[m_state];
    int32_t sx = 0, sy = 0;
    if (SkinCellRect(cell.column, cell.row, m_columns, m_rows, m_cellWidth, m_cellHeight, sx, sy))
        m_image.DrawMask(dest, m_x, m_y, sx, sy, m_cellWidth, m_cellHeight);
}

void CGdiTexture::DrawKeyed(HDC dest)
{
    const StateCell cell = m_cells[m_state];
    int32_t sx = 0, sy = 0;
    if (SkinCellRect(cell.column, cell.row, m_columns, m_rows, m_cellWidth, m_cellHeight, sx, sy))
        m_image.DrawKeyed(dest, m_x, m_y, sx, sy, m_cellWidth, m_cellHeight);
}
