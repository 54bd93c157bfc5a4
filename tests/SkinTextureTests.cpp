#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/GdiTexture.h"
#include "editor/GdiTexture2.h"
#include "editor/DibCanvas.h"
#include "editor/GdiplusSession.h"
#include "support/SkinFiles.h"

using TestSupport::CTempDir;

namespace {

constexpr COLORREF kBackdrop = RGB(10, 20, 30);
constexpr COLORREF kKey = RGB(0, 255, 0);

// Every pixel of a coded image tells where it came from, and none is the key colour.
COLORREF Coded(int x, int y)
{
    return RGB(x + 1, y, 77);
}

const StateCell kColumn0Cells[kButtonStateCount] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}};

class SkinTexture : public ::testing::Test {
protected:
    std::string Write(const std::string& name, int width, int height,
                      const std::function<COLORREF(int, int)>& pixel)
    {
        const std::string path = m_dir / name;
        EXPECT_TRUE(WriteBmp24(path, width, height, pixel)) << path;
        return path;
    }

    // True when the canvas shows source rectangle (sx, sy, w, h) of the image at (dx, dy);
    // drawn keyed, the key colour lets the backdrop through.
    bool ShowsCoded(int dx, int dy, int sx, int sy, int w, int h,
                    const std::function<COLORREF(int, int)>& pixel = Coded, bool keyed = true)
    {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const COLORREF source = pixel(sx + x, sy + y);
                const COLORREF expected = keyed && source == kKey ? kBackdrop : source;
                if (m_canvas.Pixel(dx + x, dy + y) != expected) {
                    ADD_FAILURE() << "pixel (" << dx + x << ", " << dy + y << ")";
                    return false;
                }
            }
        }
        return true;
    }

    CGdiplusSession m_gdiplus;
    CTempDir m_dir;
    CDibCanvas m_canvas{200, 200, kBackdrop};
};

TEST_F(SkinTexture, KeyedDrawingMakesOnlyPureGreenTransparent)
{
    struct Case {
        const char* name;
        std::function<COLORREF(int, int)> pixel;
    };
    const Case cases[] = {
        {"all key", [](int, int) { return kKey; }},
        {"one below the key", [](int, int) { return RGB(0, 254, 0); }},
        {"key with blue", [](int, int) { return RGB(0, 255, 1); }},
        {"black", [](int, int) { return RGB(0, 0, 0); }},
        {"checkerboard", [](int x, int y) { return (x + y) % 2 ? kKey : RGB(200, 40, 90); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("\\keyed.bmp", 8, 6, c.pixel);

        m_canvas.Fill(kBackdrop);
        CGdiTexture2 texture;
        ASSERT_TRUE(texture.Load(path.c_str()));
        texture.Place(m_canvas.Dc(), 5, 7, 1, 1);
        texture.DrawKeyed(m_canvas.Dc(), 0, 0);
        EXPECT_TRUE(ShowsCoded(5, 7, 0, 0, 8, 6, c.pixel));
        EXPECT_TRUE(m_canvas.AreaIs(13, 0, 200, 200, kBackdrop));
        EXPECT_TRUE(m_canvas.AreaIs(0, 13, 200, 200, kBackdrop));

        m_canvas.Fill(kBackdrop);
        CGdiTexture strip;
        ASSERT_TRUE(strip.Load(path.c_str()));
        const StateCell single[kButtonStateCount] = {};
        strip.Place(m_canvas.Dc(), 5, 7, 1, 1, single);
        strip.DrawKeyed(m_canvas.Dc());
        EXPECT_TRUE(ShowsCoded(5, 7, 0, 0, 8, 6, c.pixel));
    }
}

TEST_F(SkinTexture, EachStateDrawsItsOwnCell)
{
    const std::string path = Write("\\strip.bmp", 90, 150, Coded);
    CGdiTexture strip;
    ASSERT_TRUE(strip.Load(path.c_str()));
    strip.Place(m_canvas.Dc(), 20, 10, 1, 5, kColumn0Cells);
    EXPECT_EQ(90, strip.GetCellWidth());
    EXPECT_EQ(30, strip.GetCellHeight());
    EXPECT_EQ(0, strip.GetState());
    for (int state = 0; state < kButtonStateCount; ++state) {
        SCOPED_TRACE(state);
        m_canvas.Fill(kBackdrop);
        strip.SetState(state);
        strip.DrawKeyed(m_canvas.Dc());
        // State 3 copies (0, 90)-(90, 120), and so on.
        EXPECT_TRUE(ShowsCoded(20, 10, 0, 30 * state, 90, 30));
        EXPECT_TRUE(m_canvas.AreaIs(0, 40, 200, 200, kBackdrop));
        EXPECT_TRUE(m_canvas.AreaIs(110, 0, 200, 40, kBackdrop));
    }
    strip.SetState(7);
    EXPECT_EQ(4, strip.GetState());
}

TEST_F(SkinTexture, RemainderColumnsOfAnUnevenWidthAreNeverDrawn)
{
    // 100 pixels in 3 columns: cells of 33, pixel column 99 belongs to none.
    const std::string path = Write("\\uneven.bmp", 100, 30, Coded);
    CGdiTexture2 texture;
    ASSERT_TRUE(texture.Load(path.c_str()));
    texture.Place(m_canvas.Dc(), 0, 0, 3, 1);
    EXPECT_EQ(33, texture.GetCellWidth());
    texture.DrawKeyed(m_canvas.Dc(), 2, 0);
    EXPECT_TRUE(ShowsCoded(0, 0, 66, 0, 33, 30));
    EXPECT_TRUE(m_canvas.AreaIs(33, 0, 200, 200, kBackdrop));

    // Cells off the grid draw nothing rather than parts of the image.
    m_canvas.Fill(kBackdrop);
    texture.DrawKeyed(m_canvas.Dc(), 3, 0);
    texture.DrawKeyed(m_canvas.Dc(), -1, 0);
    texture.DrawKeyed(m_canvas.Dc(), 0, 1);
    texture.DrawCell(m_canvas.Dc(), m_canvas.Dc(), 3, 0);
    EXPECT_TRUE(m_canvas.AreaIs(0, 0, 200, 200, kBackdrop));
}

TEST_F(SkinTexture, OpaqueDrawingCopiesTheKeyColourToo)
{
    const auto pixel = [](int x, int y) { return x == 3 && y == 2 ? kKey : Coded(x, y); };
    const std::string path = Write("\\whole.bmp", 30, 20, pixel);
    CGdiTexture2 texture;
    ASSERT_TRUE(texture.Load(path.c_str()));
    texture.Place(m_canvas.Dc(), 50, 40, 2, 2);
    HDC scratch = CreateCompatibleDC(m_canvas.Dc());

    // DrawWhole ignores the placement and the grid.
    texture.DrawWhole(m_canvas.Dc(), scratch);
    EXPECT_TRUE(ShowsCoded(0, 0, 0, 0, 30, 20, pixel, false));
    EXPECT_TRUE(m_canvas.AreaIs(30, 0, 200, 200, kBackdrop));
    EXPECT_TRUE(m_canvas.AreaIs(0, 20, 200, 200, kBackdrop));

    // DrawCell draws one cell at the placement.
    m_canvas.Fill(kBackdrop);
    texture.DrawCell(m_canvas.Dc(), scratch, 0, 0);
    EXPECT_TRUE(ShowsCoded(50, 40, 0, 0, 15, 10, pixel, false));
    m_canvas.Fill(kBackdrop);
    texture.DrawCell(m_canvas.Dc(), scratch, 1, 1);
    EXPECT_TRUE(ShowsCoded(50, 40, 15, 10, 15, 10, pixel, false));
    EXPECT_TRUE(m_canvas.AreaIs(0, 0, 200, 40, kBackdrop));
    EXPECT_TRUE(m_canvas.AreaIs(65, 40, 200, 200, kBackdrop));
    EXPECT_TRUE(m_canvas.AreaIs(0, 50, 200, 200, kBackdrop));

    // Without a scratch DC there is nothing to copy from.
    m_canvas.Fill(kBackdrop);
    texture.DrawWhole(m_canvas.Dc(), nullptr);
    texture.DrawCell(m_canvas.Dc(), nullptr, 0, 0);
    EXPECT_TRUE(m_canvas.AreaIs(0, 0, 200, 200, kBackdrop));
    DeleteDC(scratch);
}

TEST_F(SkinTexture, MissingSkinLoadsButDrawsNothing)
{
    const std::string present = Write("\\present.bmp", 10, 10, Coded);
    const std::string missing = m_dir / "\\missing.bmp";
    HDC scratch = CreateCompatibleDC(m_canvas.Dc());

    CGdiTexture2 texture;
    ASSERT_TRUE(texture.Load(present.c_str()));
    // Loading again releases the previous image first.
    EXPECT_TRUE(texture.Load(missing.c_str()));
    EXPECT_TRUE(texture.HasImage());
    texture.Place(m_canvas.Dc(), 0, 0, 1, 1);
    EXPECT_EQ(0, texture.GetImageWidth());
    EXPECT_EQ(0, texture.GetImageHeight());
    texture.DrawKeyed(m_canvas.Dc(), 0, 0);
    texture.DrawWhole(m_canvas.Dc(), scratch);
    texture.DrawCell(m_canvas.Dc(), scratch, 0, 0);

    CGdiTexture strip;
    EXPECT_TRUE(strip.Load(missing.c_str()));
    strip.Place(m_canvas.Dc(), 0, 0, 1, 5, kColumn0Cells);
    strip.DrawKeyed(m_canvas.Dc());

    CGdiTexture never;
    never.DrawKeyed(m_canvas.Dc());
    EXPECT_FALSE(never.HasImage());

    EXPECT_TRUE(m_canvas.AreaIs(0, 0, 200, 200, kBackdrop));
    DeleteDC(scratch);
}

TEST_F(SkinTexture, PathMustFitTheWideBuffer)
{
    // The wide buffer holds 255 characters with the terminating zero: 254 fit. A two-byte
    // Shift-JIS character counts once.
    const std::string japanese = "表示";
    struct Case {
        size_t wideLength;
        bool withJapanese;
        bool loads;
    };
    const Case cases[] = {
        {200, false, true}, {254, false, true}, {254, true, true}, {255, false, false}, {255, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wideLength << (c.withJapanese ? " with Japanese" : ""));
        std::string name = "\\" + (c.withJapanese ? japanese : std::string());
        const size_t wideSoFar = m_dir.Path().size() + 1 + (c.withJapanese ? 2 : 0) + 4;
        ASSERT_LT(wideSoFar, c.wideLength);
        name += std::string(c.wideLength - wideSoFar, 'p') + ".bmp";
        const std::string path = Write(name, 4, 4, Coded);

        m_canvas.Fill(kBackdrop);
        CGdiTexture2 texture;
        EXPECT_EQ(c.loads, texture.Load(path.c_str()));
        texture.Place(m_canvas.Dc(), 0, 0, 1, 1);
        texture.DrawKeyed(m_canvas.Dc(), 0, 0);
        EXPECT_EQ(c.loads ? Coded(0, 0) : kBackdrop, m_canvas.Pixel(0, 0));
        DeleteFileA(path.c_str());
    }
    CGdiTexture2 texture;
    EXPECT_FALSE(texture.Load(nullptr));
    EXPECT_FALSE(texture.Load(std::string(400, 'x').c_str()));
}

TEST_F(SkinTexture, ShiftJisFolderLoads)
{
    // The second byte of "表" is a backslash (0x5C) when read byte by byte.
    CTempDir japanese("_表示スキン");
    const std::string path = japanese / "\\画像.bmp";
    ASSERT_TRUE(WriteBmp24(path, 6, 6, Coded));
    CGdiTexture2 texture;
    ASSERT_TRUE(texture.Load(path.c_str()));
    texture.Place(m_canvas.Dc(), 1, 1, 1, 1);
    EXPECT_EQ(6, texture.GetImageWidth());
    texture.DrawKeyed(m_canvas.Dc(), 0, 0);
    EXPECT_TRUE(ShowsCoded(1, 1, 0, 0, 6, 6));
}

} // namespace
