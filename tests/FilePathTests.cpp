#include <gtest/gtest.h>

#include <string>

#include "base/file/FilePath.h"
#include "support/FileFixtures.h"

using namespace Quorvel::Base::File;

TEST(FilePath, AbsoluteNeedsColonOrLeadingDoubleBackslash)
{
    struct Case {
        std::string path;
        bool absolute;
    };
    const Case cases[] = {
        {"", false},          {"\\", false},         {":", false},
        {"C:", true},         {"\\\\srv\\x", true},  {"a\\b:c", true},
        {"\\a\\b", false},    {"a/b", false},        {"//srv/x", false},
        // A trail byte is never a colon or a separator, whatever its code.
        {"\x83\x5C\\x", false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(IsAbsolutePath(k.path), k.absolute) << k.path;
}

TEST(FilePath, AbsolutePathsNormalize)
{
    struct Case {
        std::string path, full;
    };
    const Case cases[] = {
        {"C:/data//img/a.bmp", "C:\\data\\img\\a.bmp"},
        {"C:\\\\\\a", "C:\\a"},
        {"\\\\server\\share\\\\x", "\\\\server\\share\\x"},
        {"//server/share", "\\\\server\\share"},
        {"\\\\\\three", "\\\\three"},
        // "ソ" ends in 0x5C: the real backslash after it is no doubled separator.
        {"C:\\\x83\x5C\\x", "C:\\\x83\x5C\\x"},
        {"C:/\x95\x5C/y", "C:\\\x95\x5C\\y"},
    };
    for (const Case& k : cases) {
        std::string full = "junk";
        EXPECT_TRUE(GetFullPath(k.path, full)) << k.path;
        EXPECT_EQ(full, k.full) << k.path;
    }
    std::string full = "junk";
    EXPECT_TRUE(GetFullPath("", full));
    EXPECT_EQ(full, "");
}

TEST(FilePath, RelativePathsUseTheCurrentDirectory)
{
    TestSupport::CTempDir dir;
    ASSERT_TRUE(MakeDirs(dir, "\\sub"));
    TestSupport::CCurrentDirectory cd(dir / "\\sub");
    std::string full;
    ASSERT_TRUE(GetFullPath("..\\x.txt", full));
    EXPECT_EQ(ToLowerPath(full), ToLowerPath(dir / "\\x.txt"));
    ASSERT_TRUE(GetFullPath("y/z.txt", full));
    EXPECT_EQ(ToLowerPath(full), ToLowerPath(dir / "\\sub\\y\\z.txt"));
}

TEST(FilePath, OverlongFullPathsFail)
{
    std::string full = "junk";
    EXPECT_FALSE(GetFullPath("C:\\" + std::string(300, 'a'), full));
    EXPECT_FALSE(GetFullPath(std::string(300, 'a'), full));
    EXPECT_TRUE(GetFullPath("C:\\" + std::string(256, 'a'), full)) << "259 bytes still fit";
    EXPECT_FALSE(GetFullPath("C:\\" + std::string(257, 'a'), full));
}

TEST(FilePath, LowerAndSlashFormsLeaveTwoByteCharacters)
{
    // "ア" is 0x83 0x41: its trail byte is the code of 'A' and must stay.
    EXPECT_EQ(ToLowerPath("IMG\\\x83\x41\\A.BMP"), "img\\\x83\x41\\a.bmp");
    EXPECT_EQ(ToSlashPath("img\\\x83\x5C\\a.bmp"), "img/\x83\x5C/a.bmp");
    EXPECT_EQ(FindLastSeparator("a\\\x83\x5C"), 1u);
    EXPECT_EQ(FindLastSeparator("\x83\x5C"), std::string::npos);
    EXPECT_EQ(FindFirstChar("\\\\\x83\x5C\\x", '\\', 2), 4u);
    EXPECT_EQ(FindFirstChar("\x83\x5C", '\\'), std::string::npos);
}

TEST(FilePath, FileNameAndExtensionSkipTwoByteCharacters)
{
    struct Case {
        const char* path;
        const char* name;
        const char* extension;
        bool sheet;
    };
    // "表" is 0x95 0x5C: its trail byte is the backslash code and separates nothing.
    const Case cases[] = {
        {"C:\\sheets\\a.tms", "a.tms", "tms", true},
        {"C:\\sheets\\SCENE.TMS", "SCENE.TMS", "TMS", true},
        {"C:\\\x95\x5C.TmS", "\x95\x5C.TmS", "TmS", true},
        {"C:\\\x95\x5C", "\x95\x5C", "", false},
        {"C:\\a.tms\\notes", "notes", "", false},
        {"D:a.b.tms", "a.b.tms", "tms", true},
        {"movie/clip.tmsx", "clip.tmsx", "tmsx", false},
        {"trailing.", "trailing.", "", false},
        {"", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNameOfPath(c.path), c.name);
        EXPECT_EQ(ExtensionOfPath(c.path), c.extension);
        EXPECT_EQ(HasExtensionOf(c.path, "tms"), c.sheet);
    }
}
