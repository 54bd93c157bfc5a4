#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "base/Win32.h"
#include "editor/DibCanvas.h"
#include "sheet/CommandData.h"
#include "timesheet/GraphPainter.h"
#include "timesheet/TimeLineEntry.h"
#include "timesheet/TimeLineGeometry.h"

// The step line, the level in effect as the device plays it, walked as the runs of pixels a
// pen leaves between the entries' centres.
namespace StepLine {

// A pen along the step line: across to each vertex at the level before it, then up or down to
// it in its colour, each stretch without its end pixel. run(x, y, dy, count, pixel) is count
// pixels from (x, y), rightwards when dy is 0, else up or down by dy.
struct StepPen {
    int x, y;
    uint32_t pixel;

    template <class Run>
    void To(int vx, int vy, uint32_t vpixel, Run& run)
    {
        if (x < vx)
            run(x, y, 0, vx - x, pixel);
        x = vx;
        pixel = vpixel;
        if (y != vy)
            run(x, y, vy > y ? 1 : -1, std::abs(vy - y), pixel);
        y = vy;
    }
    template <class Run>
    void Across(int right, Run& run)
    {
        if (x < right)
            run(x, y, 0, right - x, pixel);
    }
};

// A key from which on entries may lie at time-0 column x or right of it: every earlier one lies
// left of it.
inline int32_t KeyLeftOfColumn(const CTimeLineGeometry& g, int x)
{
    const double ppt = g.pixelsPerTenth > 0.0f ? g.pixelsPerTenth : 1.0;
    const double key = std::floor((x - g.origin) / ppt) - 1.0;
    return key <= 0.0 ? 0 : SaturatedInt32(key);
}

// The step line through the entries of keys [first, last] within columns [left, right), in
// time-0 coordinates less offset, from the pen as given (or from the last of those entries
// left of the columns), on to column end after the last vertex.
template <class Run>
void WalkLine(const CTimeLineEntries& entries, const CTimeLineGeometry& g, int32_t first, int32_t last, StepPen pen,
              POINT offset, int left, int right, int end, Run run)
{
    const auto clipped = [&](int x, int y, int dy, int count, uint32_t pixel) {
        if (dy != 0) {
            run(x, y, dy, count, pixel);
            return;
        }
        const int from = std::max(x, left), to = std::min(x + count, right);
        if (from < to)
            run(from, y, 0, to - from, pixel);
    };
    const auto vertexOf = [&](const CTimeLineEntry& entry) {
        return StepPen{g.EntryX(entry.key) - offset.x, g.EntryY(entry.level) - offset.y,
                       DibPixel(PatternColour(entry.pattern))};
    };
    const int32_t from = std::max(first, KeyLeftOfColumn(g, left + offset.x));
    int32_t before = 0;
    CTimeLineEntry entry;
    if (from > first && entries.KeyBefore(from, before) && before >= first && entries.Find(before, entry))
        pen = vertexOf(entry);
    entries.Walk(from, last, [&](const CTimeLineEntry& e) {
        const StepPen vertex = vertexOf(e);
        if (vertex.x >= right)
            return false;
        if (vertex.x < left)
            pen = vertex;
        else
            pen.To(vertex.x, vertex.y, vertex.pixel, clipped);
        return true;
    });
    pen.Across(std::min(end, right), clipped);
}

} // namespace StepLine
