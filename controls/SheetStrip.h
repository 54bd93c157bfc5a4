#pragma once
#include <cstdint>
#include <vector>

#include "base/Win32.h"
#include "editor/GdiObjects.h"
#include "sheet/SheetDocument.h"
#include "timesheet/GraphPainter.h"

namespace TervaneControl {

// The level a stretch of the movie reaches: the highest level in effect anywhere in it (the
// one carried in from before the stretch included), with that point's pattern; level -1 where
// no point is in effect yet. A tenth's point is its last record, as the graph shows it.
struct StripColumn {
    int32_t level;
    int32_t pattern;
};
// One column per pixel of a bar width pixels wide spanning duration seconds.
std::vector<StripColumn> StripColumns(const CSheetDocument::Tenths& entries, double duration, int32_t width);

// The whole sheet at a glance, as a picture along the overview bar: each column as tall as
// its level and in its pattern's colour, dim where the sheet is silent. Drawn again only when
// the sheet or the movie changed; copied on every paint.
class CSheetStrip {
public:
    static constexpr int32_t kHeight = 8;
    static constexpr COLORREF kBackground = RGB(22, 22, 30);
    static constexpr COLORREF kSilent = kSilentColour;
    static COLORREF PatternColour(int32_t pattern);

    // Copies the strip to (x, y) of dest, drawn again first if revision or duration changed.
    void Paint(HDC dest, int32_t x, int32_t y, int32_t width, const CSheetDocument& sheet, double duration);
    // How often the picture was drawn, for tests.
    int Builds() const { return m_builds; }

private:
    void Build(HDC reference, int32_t width, const CSheetDocument::Tenths& entries);

    CMemoryBitmapDC m_picture;
    int32_t m_width = 0;
    uint64_t m_revision = 0;
    double m_duration = -1.0;
    int m_builds = 0;
};

} // namespace TervaneControl
