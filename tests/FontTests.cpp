#include <gtest/gtest.h>

#include <memory>

#include "editor/Font.h"

namespace {

BOOL Smoothing()
{
    BOOL on = FALSE;
    SystemParametersInfoA(SPI_GETFONTSMOOTHING, 0, &on, 0);
    return on;
}

TEST(Font, SmoothingIsOnWhileFontsLiveAndRestoredAfterTheLast)
{
    const BOOL original = Smoothing();
    for (BOOL before : {FALSE, TRUE}) {
        SCOPED_TRACE(before);
        SystemParametersInfoA(SPI_SETFONTSMOOTHING, before, nullptr, 0);
        ASSERT_EQ(before, Smoothing());
        auto first = std::make_unique<CFont>();
        EXPECT_TRUE(Smoothing());
        auto second = std::make_unique<CFont>();
        first.reset();
        EXPECT_TRUE(Smoothing());
        second.reset();
        EXPECT_EQ(before, Smoothing());
    }
    SystemParametersInfoA(SPI_SETFONTSMOOTHING, original, nullptr, 0);
}

} // namespace
