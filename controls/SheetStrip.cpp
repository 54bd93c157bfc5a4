#include "controls/SheetStrip.h"

#include <algorithm>

namespace TervaneControl {

std::vector<StripColumn> StripColumns(const CSheetDocument::Tenths& entries, double duration, int32_t width)
{
    std::vector<StripColumn> columns(static_cast<size_t>(std::max<int32_t>(0, width)), StripColumn{-1, 0});
    if (width <= 0 || !(duration > 0.0))
        return columns;
    // One sweep: the entry in effect at a column's start, then every entry inside it.
    auto next = entries.begin();
    StripColumn carried = {-1, 0};
    for (int32_t c = 0; c < width; ++c) {
        const double end = duration * 10.0 * (c + 1) / width; // in tenths
        StripColumn column = carried;
        for (; next != entries.end() && next->second.back().time / 1000.0 < end; ++next) {
            const CommandData& point = next->second.back();
            carried = StripColumn{std::max<int32_t>(0, std::min<int32_t>(10, point.level)), point.pattern};
            if (carried.level > column.level)
                column = carried;
        }
        columns[static_cast<size_t>(c)] = column;
    }
    return columns;
}

COLORREF CSheetStrip::PatternColour(int32_t pattern)
{
    return ::PatternColour(pattern);
}

void CSheetStrip::Build(HDC reference, int32_t width, const CSheetDocument::Tenths& entries)
{
    if (!m_picture || width != m_width) {
        m_picture.Create(reference, CreateCompatibleBitmap(reference, width, kHeight));
        m_width = width;
    }
    if (!m_picture)
        return;
    ++m_builds;
    const HDC dc = m_picture.Dc();
    const RECT all = {0, 0, width, kHeight};
    CGdiObject<HBRUSH> background(CreateSolidBrush(kBackground));
    FillRect(dc, &all, background.Get());
    CGdiObject<HBRUSH> silent(CreateSolidBrush(kSilent));
    CGdiObject<HBRUSH> brushes[10];
    const std::vector<StripColumn> columns = StripColumns(entries, m_duration, width);
    // Runs of equal columns in one rectangle each.
    for (int32_t c = 0; c < width;) {
        const StripColumn& column = columns[static_cast<size_t>(c)];
        int32_t end = c + 1;
        while (end < width && columns[static_cast<size_t>(end)].level == column.level &&
               columns[static_cast<size_t>(end)].pattern == column.pattern)
            ++end;
        if (column.level <= 0) {
            const RECT line = {c, kHeight - 1, end, kHeight};
            FillRect(dc, &line, silent.Get());
        } else {
            const int32_t colour = std::max<int32_t>(0, std::min<int32_t>(9, column.pattern));
            if (!brushes[colour])
                brushes[colour].Reset(CreateSolidBrush(PatternColour(colour)));
            // Level 10 fills the strip; every level above 0 shows at least one row.
            const int32_t height = std::max<int32_t>(1, (column.level * kHeight + 9) / 10);
            const RECT bar = {c, kHeight - height, end, kHeight};
            FillRect(dc, &bar, brushes[colour].Get());
        }
        c = end;
    }
}

void CSheetStrip::Paint(HDC dest, int32_t x, int32_t y, int32_t width, const CSheetDocument& sheet, double duration)
{
    if (dest == nullptr || width <= 0)
        return;
    if (!m_picture || width != m_width || sheet.Revision() != m_revision || duration != m_duration) {
        m_revision = sheet.Revision();
        m_duration = duration;
        Build(dest, width, sheet.ByTenth());
    }
    if (m_picture)
        BitBlt(dest, x, y, width, kHeight, m_picture.Dc(), 0, 0, SRCCOPY);
}

} // namespace TervaneControl
