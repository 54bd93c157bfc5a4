#include "controls/SeekGeometry.h"

#include <cmath>

namespace TervaneControl {

namespace {

// Position / duration, kept within the movie; 0 for a movie without a length.
float Ratio(double position, double duration)
{
    if (!(duration > 0.0) || !(position > 0.0))
        return 0.0f;
    const float ratio = static_cast<float>(position / duration);
    return ratio > 1.0f ? 1.0f : ratio;
}

} // namespace

int32_t SliderGeometry::ClampedLeft(int32_t x) const
{
    const int32_t left = x - thumbWidth / 2;
    if (left <= MinimumLeft())
        return MinimumLeft();
    if (x + thumbWidth / 2 >= MinimumLeft() + trackWidth)
        return MaximumLeft();
    return left;
}

double SliderGeometry::PositionAt(int32_t left, float duration) const
{
    const int32_t span = MaximumLeft() - MinimumLeft();
    const float ratio = span <= 0 ? 1.0f : static_cast<float>(left - MinimumLeft()) / static_cast<float>(span);
    return static_cast<double>(duration * ratio);
}

int32_t SliderGeometry::LeftAt(double position, float duration) const
{
    const float offset = Ratio(position, duration) * static_cast<float>(MaximumLeft() - MinimumLeft());
    return static_cast<int32_t>(std::trunc(offset)) + MinimumLeft();
}

int32_t OverviewGeometry::BoxWidthFor(int32_t barWidth, double duration)
{
    if (!(duration > 0.0))
        return 0;
    const float scale = static_cast<float>(barWidth / duration);
    const int32_t width = static_cast<int32_t>(std::trunc(static_cast<float>(scale * 5.0 + 10.0)));
    // A movie shorter than the box is wide fills the bar rather than overflowing it.
    return width > barWidth ? barWidth : width;
}

int32_t OverviewGeometry::ClampedLeft(int32_t x) const
{
    if (x <= origin)
        return origin;
    if (x + boxWidth >= origin + barWidth)
        return MaximumLeft();
    return x;
}

double OverviewGeometry::PositionAt(int32_t left, double duration) const
{
    const int32_t span = MaximumLeft() - origin;
    if (span <= 0)
        return 0.0;
    // In floating point: whole pixels divided as integers would only ever give 0 or 1.
    const float ratio = static_cast<float>(static_cast<double>(left - origin) / span);
    return static_cast<double>(ratio) * duration;
}

int32_t OverviewGeometry::LeftAt(double position, double duration) const
{
    const float offset = Ratio(position, duration) * static_cast<float>(MaximumLeft() - origin);
    return static_cast<int32_t>(std::trunc(offset)) + origin;
}

} // namespace TervaneControl
