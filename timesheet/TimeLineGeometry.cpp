#include "timesheet/TimeLineGeometry.h"

#include <algorithm>
#include <cmath>

#include "sheet/CommandData.h"

namespace {

struct Frame {
    int gridLeft, gridTop, gridRight, gridBottom;
    int graphLeft, graphTop, graphRight, graphBottom;
};

const Frame kFrames[2] = {
    {21, 121, 469, 302, 19, 136, 469, 287},  // normal
    {39, 121, 961, 446, 37, 151, 961, 416},  // wide
};

struct Zoom {
    float tenthsAcross;
    float originTenths; // tenths of a second between the left edge and the playback line
    int keysBefore;
    int keysAfter;
};

const Zoom kZooms[3] = {
    {100.0f, 50.0f, 50, 50},
    {250.0f, 100.0f, 100, 150},
    {1000.0f, 100.0f, 100, 900},
};

int32_t ClampedKey(double key)
{
    return SaturatedInt32(std::trunc(key));
}

} // namespace

void CTimeLineGeometry::Compute(int sizeMode, int zoomMode)
{
    const Frame& f = kFrames[sizeMode == 1 ? 1 : 0];
    const Zoom& z = kZooms[zoomMode >= 0 && zoomMode <= 2 ? zoomMode : 0];
    gridLeft = f.gridLeft;
    gridTop = f.gridTop;
    gridRight = f.gridRight;
    gridBottom = f.gridBottom;
    graphLeft = f.graphLeft;
    graphTop = f.graphTop;
    graphRight = f.graphRight;
    graphBottom = f.graphBottom;
    graphWidth = graphRight - graphLeft;
    graphHeight = graphBottom - graphTop;

    tenthsAcross = z.tenthsAcross;
    pixelsPerTenth = static_cast<float>(graphWidth) / z.tenthsAcross;
    origin = static_cast<float>(graphLeft) + std::trunc(z.originTenths * pixelsPerTenth);
    pixelsPerLevel = static_cast<float>(graphHeight) / 10.0f;
    baseline = static_cast<float>(graphBottom);
    pixelsPerTenthWhole = static_cast<int>(pixelsPerTenth);
    pixelsPerLevelWhole = static_cast<int>(pixelsPerLevel);
    keysBefore = z.keysBefore;
    keysAfter = z.keysAfter;
}

int32_t CTimeLineGeometry::EntryX(int32_t key) const
{
    return SaturatedInt32(std::trunc(origin + pixelsPerTenth * static_cast<double>(key)));
}

int32_t CTimeLineGeometry::EntryY(int32_t level) const
{
    const int32_t shown = level < 0 ? 0 : level > 10 ? 10 : level;
    return static_cast<int32_t>(std::trunc(baseline - pixelsPerLevel * static_cast<float>(shown)));
}

double TimeAtX(const CTimeLineGeometry& g, double now, int x)
{
    const float c = static_cast<float>(x);
    if (c >= g.origin && x <= g.graphRight)
        return now + std::trunc(c - g.origin) / g.pixelsPerTenth / 10.0f;
    if (x > g.graphRight || x < g.graphLeft)
        return now;
    if (now < 5.0) {
        const float zero = g.origin - g.pixelsPerTenth * static_cast<float>(now * 10.0);
        if (zero <= c && c <= g.origin)
            return std::trunc(c - zero) / g.pixelsPerTenth / 10.0f;
        return 0.0;
    }
    const double seconds = now - std::trunc(g.origin - c) / g.pixelsPerTenth / 10.0f;
    return seconds < 0.0 ? 0.0 : seconds;
}

int32_t LevelAtY(const CTimeLineGeometry& g, int y)
{
    if (y < g.graphTop || y > g.graphBottom)
        return 0;
    for (int32_t i = 0; i < 10; ++i) {
        const int lo = static_cast<int>(std::trunc(g.baseline - static_cast<float>(i + 1) * g.pixelsPerLevel));
        const int hi = static_cast<int>(std::trunc(g.baseline - static_cast<float>(i) * g.pixelsPerLevel));
        if (lo <= y && y <= hi)
            return g.pixelsPerLevel * 0.5f >= static_cast<float>(hi - y) ? i : i + 1;
    }
    return 0;
}

POINT PointPosition(const CTimeLineGeometry& g, int32_t key, int32_t level, double now)
{
    const double n = now * 10.0;
    POINT at;
    at.x = static_cast<LONG>(SaturatedInt32(std::trunc(std::trunc(g.EntryX(key) - g.pixelsPerTenth * n) - kPointHalf)));
    at.y = static_cast<LONG>(std::trunc(g.EntryY(level) - kPointHalf));
    return at;
}

bool IsKeyInRange(const CTimeLineGeometry& g, int32_t key, double now, int32_t margin)
{
    const double n = now * 10.0;
    return key >= 0 && key >= n - g.keysBefore - margin && key <= n + g.keysAfter + margin;
}

void KeysInRange(const CTimeLineGeometry& g, double now, int32_t margin, int32_t& first, int32_t& last)
{
    const double n = now * 10.0;
    first = std::max<int32_t>(0, ClampedKey(std::ceil(n - g.keysBefore - margin)));
    last = ClampedKey(std::floor(n + g.keysAfter + margin));
}

void KeysAcrossColumns(const CTimeLineGeometry& g, double now, int left, int right, int32_t& first, int32_t& last)
{
    // A point's x at time 0 lies within a pixel of origin + key x pixelsPerTenth; its face
    // reaches half a point either side of that, moved left by the playback position.
    const double n = now * 10.0;
    const double ppt = g.pixelsPerTenth > 0.0f ? g.pixelsPerTenth : 1.0;
    first = ClampedKey(std::floor((left - kPointSize - 2 - g.origin) / ppt + n)) - 1;
    last = ClampedKey(std::ceil((right + kPointSize + 2 - g.origin) / ppt + n)) + 1;
}

bool IsOnGraph(const CTimeLineGeometry& g, POINT at)
{
    return at.x >= g.graphLeft && at.x <= g.graphRight && at.y >= g.graphTop && at.y <= g.graphBottom;
}

bool IsOverGraph(const CTimeLineGeometry& g, POINT at)
{
    return at.x >= g.graphLeft && at.x < g.graphRight && at.y >= g.graphTop && at.y < g.graphBottom;
}
