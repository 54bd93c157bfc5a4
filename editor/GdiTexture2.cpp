#include "editor/GdiTexture2.h"

using Quorvel::Base::Thread::CCriticalLock;

bool CGdiTexture2::Load(const char* path)
{
    m_imageWidth = m_imageHeight = m_cellWidth = m_cellHeight = 0;
    return m_image.Load(path);
}

void CGdiTexture2::Place(HDC reference, int32_t x, int32_t y, int32_t columns, int32_t rows)
{
    m_x = x;
    m_y = y;
    m_columns = columns;
    m_rows = rows;
    if (!m_image.HasImage())
        return;
    m_imageWidth = m_image.Width();
    m_imageHeight = m_image.Height();
    // A grid of no columns or rows has no cells; the size stays 0 and nothing is drawn.
    m_cellWidth = columns > 0 ? m_imageWidth / columns : 0;
    m_cellHeight = rows > 0 ? m_imageHeight / rows : 0;
    m_image.BuildMasks(reference);
}

void CGdiTexture2::SetPosition(int32_t x, int32_t y)
{
    m_x = x;
    m_y = y;
}

void CGdiTexture2::DrawKeyed(HDC dest, int32_t column, int32_t row)
{
    int32_t sx = 0, sy = 0;
    if (SkinCellRect(column, row, m_columns, m_rows, m_cellWidth, m_cellHeight, sx, sy))
        m_image.DrawKeyed(dest, m_x, m_y, sx, sy, m_cellWidth, m_cellHeight);
}

void CGdiTexture2::DrawWhole(HDC dest, HDC scratch)
{
    CCriticalLock lock(&m_lock);
    m_image.DrawOpaque(dest, scratch, 0, 0, 0, 0, m_imageWidth, m_imageHeight);
}

void CGdiTexture2::DrawCell(HDC dest, HDC scratch, int32_t column, int32_t row)
{
    CCriticalLock lock(&m_lock);
    int32_t sx = 0, sy = 0;
    if (SkinCellRect(column, row, m_columns, m_rows, m_cellWidth, m_cellHeight, sx, sy))
        m_image.DrawOpaque(dest, scratch, m_x, m_y, sx, sy, m_cellWidth, m_cellHeight);
}
