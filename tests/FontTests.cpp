#include <gtest/gtest.h>

#include <memory>

#include "editor/DibCanvas.h"
#include "editor/Font.h"
#include "editor/GdiObjects.h"

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

HGDIOBJ FontOf(HDC dc)
{
    return GetCurrentObject(dc, OBJ_FONT);
}

// A DC that keeps its fonts holds the last one selected past its scope, never one that is
// gone: deleting it, or the DC stopping or going, puts the DC's own font back. Other DCs
// select and put back as before.
TEST(Font, AKeptFontStaysSelectedUntilItOrItsDcGoes)
{
    CDibSurface kept, other;
    ASSERT_TRUE(kept.Create(nullptr, 8, 8));
    ASSERT_TRUE(other.Create(nullptr, 8, 8));
    const HGDIOBJ own = FontOf(kept.Dc());
    KeepFonts(kept.Dc());
    CFontHandle a(CreateEditorFont(10, kGothicFace)), b(CreateEditorFont(14, kGothicFace));
    { const CScopedFont font(kept.Dc(), a.Get()); }
    { const CScopedFont font(other.Dc(), a.Get()); }
    EXPECT_EQ(a.Get(), FontOf(kept.Dc()));
    EXPECT_NE(a.Get(), FontOf(other.Dc()));
    { const CScopedFont font(kept.Dc(), b.Get()); }
    EXPECT_EQ(b.Get(), FontOf(kept.Dc()));
    // Deleting another font leaves the DC's alone; deleting its own puts the original back,
    // and the next one is kept again.
    a.Reset();
    EXPECT_EQ(b.Get(), FontOf(kept.Dc()));
    b.Reset();
    EXPECT_EQ(own, FontOf(kept.Dc()));
    CFontHandle c(CreateEditorFont(16, kGothicFace));
    { const CScopedFont font(kept.Dc(), c.Get()); }
    EXPECT_EQ(c.Get(), FontOf(kept.Dc()));
    StopKeepingFonts(kept.Dc());
    EXPECT_EQ(own, FontOf(kept.Dc()));
    { const CScopedFont font(kept.Dc(), c.Get()); }
    EXPECT_EQ(own, FontOf(kept.Dc())) << "no longer kept";
    // A DC that goes while it keeps a font stops keeping: a later DC is not taken for it.
    KeepFonts(other.Dc());
    { const CScopedFont font(other.Dc(), c.Get()); }
    const HDC gone = other.Dc();
    other.Reset();
    CDibSurface later;
    ASSERT_TRUE(later.Create(nullptr, 8, 8));
    const HGDIOBJ laterOwn = FontOf(later.Dc());
    { const CScopedFont font(later.Dc(), c.Get()); }
    EXPECT_EQ(laterOwn, FontOf(later.Dc())) << (later.Dc() == gone ? "the same handle again" : "another handle");
}

} // namespace
