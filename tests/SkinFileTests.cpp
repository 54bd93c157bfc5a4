#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/SkinTable.h"

using SkinTable::Bitmap;

namespace {

std::map<std::string, SkinTable::Image> ImagesByFile()
{
    std::string error;
    std::map<std::string, SkinTable::Image> byFile;
    for (const auto& img : SkinTable::Images(&error))
        byFile[img.file] = img;
    EXPECT_EQ("", error);
    return byFile;
}

bool Load(const std::string& file, Bitmap* bmp)
{
    std::string error;
    const bool ok = SkinTable::ReadBitmap(SkinTable::ObjDirectory() + "\\" + file + ".bmp", bmp, &error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

bool HasKeyColour(const Bitmap& bmp)
{
    for (size_t i = 0; i + 2 < bmp.pixels.size(); i += 3)
        if (bmp.pixels[i] == 0 && bmp.pixels[i + 1] == 255 && bmp.pixels[i + 2] == 0)
            return true;
    return false;
}

} // namespace

TEST(SkinFiles, EveryImageIsWrittenWithTheSizeOfItsGrid)
{
    const auto images = ImagesByFile();
    ASSERT_GT(images.size(), 30u);
    for (const auto& [file, img] : images) {
        SCOPED_TRACE(file);
        Bitmap bmp;
        if (!Load(file, &bmp))
            continue;
        EXPECT_EQ(img.cellWidth * img.columns, bmp.width);
        EXPECT_EQ(img.cellHeight * img.rows, bmp.height);
        if (img.alp) {
            Bitmap alp;
            if (Load(file + "_alp", &alp)) {
                EXPECT_EQ(bmp.width, alp.width);
                EXPECT_EQ(bmp.height, alp.height);
            }
        }
    }
}

// The editor draws these with a plain copy, where a key-coloured pixel would show as green.
TEST(SkinFiles, OpaqueImagesCarryNoKeyColourAndKeyedStripsDo)
{
    for (const auto& [file, img] : ImagesByFile()) {
        SCOPED_TRACE(file);
        Bitmap bmp;
        if (!Load(file, &bmp))
            continue;
        if (!img.keyed) {
            EXPECT_FALSE(HasKeyColour(bmp));
        } else if (img.rows == 5) {
            EXPECT_TRUE(HasKeyColour(bmp)) << "a button strip with no transparent corner";
        }
    }
}

// Each control cuts its skin into columns x rows equal cells; the cell must be the control's size.
TEST(SkinFiles, EveryPlacementCutsItsSkinIntoCellsOfItsSize)
{
    const auto images = ImagesByFile();
    std::string error;
    const auto placements = SkinTable::Placements(&error);
    ASSERT_EQ("", error);
    ASSERT_GT(placements.size(), 60u);
    for (const auto& p : placements) {
        SCOPED_TRACE(p.name + " " + p.mode);
        const auto it = images.find(p.skin);
        ASSERT_NE(images.end(), it) << p.skin << " is not in the image table";
        const SkinTable::Image& img = it->second;
        EXPECT_EQ(img.columns, p.columns);
        EXPECT_LT(p.column + p.count - 1, p.columns);
        Bitmap bmp;
        if (!Load(p.skin, &bmp))
            continue;
        EXPECT_EQ(0, bmp.width % p.columns) << "the right-hand remainder would be lost";
        EXPECT_EQ(p.width, bmp.width / p.columns);
        EXPECT_EQ(0, bmp.height % img.rows);
        EXPECT_EQ(p.height, bmp.height / img.rows);
    }
}

// Sizes the window and the controls fix, whatever the tables say.
TEST(SkinFiles, FixedSizesOfTheLayout)
{
    struct Case {
        const char* file;
        int width, height;
    };
    const Case cases[] = {
        {"a000_000", 500, 600},  {"b000_000", 1000, 750}, {"c000_000", 500, 74},
        {"a000_001", 70, 130},   {"a000_002", 48, 120},   {"a011_000", 308, 140},
        {"a002_000", 200, 100},  {"a003_002", 34, 85},    {"a000_004", 444, 33},
        {"b000_001", 938, 33},   {"c000_001", 400, 33},   {"a006_000", 191, 35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bitmap bmp;
        if (!Load(c.file, &bmp))
            continue;
        EXPECT_EQ(c.width, bmp.width);
        EXPECT_EQ(c.height, bmp.height);
    }
    // The whole-time bar ends before the play button's ring, so its strip is seen whole.
    Bitmap bar;
    if (Load("a007_000", &bar)) {
        EXPECT_EQ(310, bar.width);
        EXPECT_LT(37 + bar.width, 358);
    }
}

TEST(SkinFiles, ReaderRefusesBrokenFiles)
{
    const std::string dir = SkinTable::ObjDirectory();
    Bitmap bmp;
    std::string error;
    EXPECT_FALSE(SkinTable::ReadBitmap(dir + "\\no_such_skin.bmp", &bmp, &error));
    EXPECT_FALSE(error.empty());

    // A real skin file cut after its header.
    const std::string cut = dir + "\\..\\skin_cut_test.bmp";
    FILE* in = std::fopen((dir + "\\a000_001.bmp").c_str(), "rb");
    ASSERT_NE(nullptr, in);
    char head[80];
    const size_t n = std::fread(head, 1, sizeof head, in);
    std::fclose(in);
    FILE* out = std::fopen(cut.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    std::fwrite(head, 1, n, out);
    std::fclose(out);
    error.clear();
    EXPECT_FALSE(SkinTable::ReadBitmap(cut, &bmp, &error));
    EXPECT_NE(std::string::npos, error.find("cut short")) << error;
    std::remove(cut.c_str());
}
