#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/SeekGeometry.h"
#include "controls/TimeEditBox.h"

using TervaneControl::FormatMediaTime;
using TervaneControl::OverviewGeometry;
using TervaneControl::SliderGeometry;

TEST(SeekGeometry, TheThumbStaysOnItsTrackAndStandsForAPosition)
{
    // A 400-pixel track at x 53 with a 14-pixel thumb.
    const SliderGeometry slider{53, 400, 14};
    EXPECT_EQ(slider.MinimumLeft(), 46);
    EXPECT_EQ(slider.MaximumLeft(), 439);
    struct Case {
        int32_t pointerX;
        int32_t left;
        double seconds; // of a 600 s movie
    };
    const Case cases[] = {
        {53, 46, 0.0},     // the track's first pixel: the start
        {452, 439, 600.0}, // its last: the end
        {60, 53, 600.0f * (7.0f / 393.0f)},
        {438, 431, 600.0f * (385.0f / 393.0f)},
        {439, 439, 600.0}, // half a thumb from the end the thumb is at the end
        {0, 46, 0.0},
        {65535, 439, 600.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointerX);
        EXPECT_EQ(slider.ClampedLeft(c.pointerX), c.left);
        EXPECT_EQ(slider.PositionAt(c.left, 600.0f), c.seconds);
    }
    EXPECT_EQ(slider.LeftAt(300.0, 600.0f), 46 + 196) << "trunc(0.5 x 393)";
    EXPECT_EQ(slider.LeftAt(600.0, 600.0f), 439);
    EXPECT_EQ(slider.LeftAt(900.0, 600.0f), 439) << "past the end stays at the end";
    EXPECT_EQ(slider.LeftAt(-3.0, 600.0f), 46);
    EXPECT_EQ(slider.LeftAt(10.0, 0.0f), 46) << "no length, no division by zero";
    EXPECT_EQ(slider.LeftAt(std::numeric_limits<double>::quiet_NaN(), 600.0f), 46);
    // A track with no room for the thumb stands for the end, as it always has.
    EXPECT_EQ((SliderGeometry{53, 0, 14}).PositionAt(46, 600.0f), 600.0);
}

TEST(SeekGeometry, TheOverviewBoxIsFiveSecondsOfTheBarWide)
{
    EXPECT_EQ(OverviewGeometry::BoxWidthFor(448, 600.0), 13) << "trunc(0.74667 x 5 + 10)";
    EXPECT_EQ(OverviewGeometry::BoxWidthFor(448, 60.0), 47);
    EXPECT_EQ(OverviewGeometry::BoxWidthFor(448, 2.0), 448) << "a movie shorter than the box fills the bar";
    EXPECT_EQ(OverviewGeometry::BoxWidthFor(448, 0.0), 0);

    const OverviewGeometry bar{37, 448, 13};
    EXPECT_EQ(bar.MaximumLeft(), 472);
    EXPECT_EQ(bar.ClampedLeft(20), 37);
    EXPECT_EQ(bar.ClampedLeft(300), 300) << "the box's left edge follows the pointer";
    EXPECT_EQ(bar.ClampedLeft(472), 472);
    EXPECT_EQ(bar.ClampedLeft(480), 472);
    // Between the ends the position is a fraction, never only the start or the end.
    EXPECT_EQ(bar.PositionAt(37, 600.0), 0.0);
    EXPECT_EQ(bar.PositionAt(472, 600.0), 600.0);
    EXPECT_EQ(bar.PositionAt(300, 600.0), static_cast<double>(static_cast<float>(263.0 / 435.0)) * 600.0);
    EXPECT_EQ(bar.LeftAt(300.0, 600.0), 37 + 217) << "trunc(0.5 x 435)";
    EXPECT_EQ(bar.LeftAt(5.0, 0.0), 37);
}

TEST(TimeBox, ShowsHoursMinutesSecondsAndTenths)
{
    struct Case {
        double seconds;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0.0, L"00:00:00.0"},
        {3725.46, L"01:02:05.4"},
        {360000.0, L"100:00:00.0"},
        {59.99, L"00:00:59.9"},
        {0.3, L"00:00:00.3"},
        {-2.0, L"00:00:00.0"},
        {std::numeric_limits<double>::quiet_NaN(), L"00:00:00.0"},
        {std::numeric_limits<double>::infinity(), L"277777777:46:40.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMediaTime(c.seconds), c.text) << c.seconds;
}
