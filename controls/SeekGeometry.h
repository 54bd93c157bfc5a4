#pragma once
#include <cstdint>

namespace TervaneControl {

// The seek slider's track and thumb: where the thumb may go and which position it stands
// for. Divisions of pixels are integer divisions and ratios single precision, as the
// slider has always computed them, so that a thumb lands on the same pixel for a position.
struct SliderGeometry {
    int32_t trackX = 0;
    int32_t trackWidth = 0;
    int32_t thumbWidth = 0;

    int32_t MinimumLeft() const { return trackX - thumbWidth / 2; }
    int32_t MaximumLeft() const { return trackWidth + MinimumLeft() - thumbWidth / 2; }
    // The thumb's left edge for the pointer at x: centred on it, kept on the track.
    int32_t ClampedLeft(int32_t x) const;
    // The seconds a thumb left stands for (the movie's end on a track with no room).
    double PositionAt(int32_t left, float duration) const;
    // The thumb left for a position; a position outside the movie stays at its end.
    int32_t LeftAt(double position, float duration) const;
};

// The overview bar: a box five seconds of the bar's scale plus 10 pixels wide, whose left
// edge follows the pointer along the whole-movie bar.
struct OverviewGeometry {
    int32_t origin = 0;
    int32_t barWidth = 0;
    int32_t boxWidth = 0;

    // Never wider than the bar; 0 for a movie without a length.
    static int32_t BoxWidthFor(int32_t barWidth, double duration);
    int32_t MaximumLeft() const { return origin + barWidth - boxWidth; }
    int32_t ClampedLeft(int32_t x) const;
    double PositionAt(int32_t left, double duration) const;
    int32_t LeftAt(double position, double duration) const;
};

} // namespace TervaneControl
