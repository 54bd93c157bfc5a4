#include "timesheet/TimeLineGeometry.h"

#include <cmath>

#include "timesheet/CommandData.h"

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

int32_t CTimeLineGeometry::EntryX(double tenths) const
{
    return SaturatedInt32(std::trunc(origin + pixelsPerTenth * std::trunc(tenths)));
}

int32_t CTimeLineGeometry::EntryY(int32_t level) const
{
    const int32_t shown = level < 0 ? 0 : level > 10 ? 10 : level;
    return static_cast<int32_t>(std::trunc(baseline - pixelsPerLevel * static_cast<float>(shown)));
}
