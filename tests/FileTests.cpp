#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/Win32.h"
#include "base/file/File.h"
#include "base/file/FindFile.h"
#include "base/file/NormalFile.h"
#include "support/FileFixtures.h"
#include "support/PackWriter.h"

using namespace Quorvel::Base::File;
using namespace TestSupport;

TEST(PlainFile, ReadPastTheEndReturnsWholeElements)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\ten.bin", "0123456789"));
    CFile file;
    ASSERT_EQ(file.Open((dir / "\\ten.bin").c_str()), 1);
    EXPECT_EQ(file.GetSize(), 10);
    char buffer[13] = {};
    EXPECT_EQ(file.Read(buffer, 4, 3), 2u);
    EXPECT_EQ(std::string(buffer), "0123456789");
    EXPECT_EQ(file.Tell(), 10);
    EXPECT_EQ(file.Read(buffer, 1, 1), 0u) << "nothing left";

    file.Rewind();
    EXPECT_EQ(file.Read(buffer, 5, 2), 2u);
    ASSERT_TRUE(file.Seek(-3, kSeekEnd));
    EXPECT_EQ(file.Read(buffer, 1, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    ASSERT_TRUE(file.Seek(-5, kSeekCurrent));
    EXPECT_EQ(file.Tell(), 5);
    EXPECT_FALSE(file.Seek(-1, kSeekBegin));
    EXPECT_EQ(file.Tell(), 5) << "a refused seek leaves the position";
    EXPECT_EQ(file.Read(buffer, 0, 4), 0u);
    EXPECT_EQ(file.Write("x", 1, 1), 0u) << "opened for reading";
}

// A size x count beyond 32 bits is no request a caller can mean: Read answers 0 as Write
// does, whatever the file holds, and neither touches the buffer or the position.
TEST(PlainFile, OverflowingElementCountsReadAndWriteNothing)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\ten.bin", "0123456789"));
    ASSERT_TRUE(WriteAt(dir, "\\p.pak", DirectoryPack({{"ten.bin", "0123456789"}})));
    for (const std::string& path : {dir / "\\ten.bin", dir / "\\p\\ten.bin"}) {
        CFile file;
        ASSERT_EQ(file.Open(path.c_str()), 1) << path;
        char buffer[16] = {};
        EXPECT_EQ(file.Read(buffer, 2, 0x80000001u), 0u) << path;
        EXPECT_EQ(buffer[0], '\0') << path;
        EXPECT_EQ(file.Tell(), 0) << path;
        EXPECT_EQ(file.Read(buffer, 2, 5), 5u) << path;
    }
    CFile out;
    ASSERT_TRUE(out.Create((dir / "\\out.bin").c_str(), true));
    EXPECT_EQ(out.Write("xy", 2, 0x80000001u), 0u);
    EXPECT_EQ(out.GetSize(), 0);
}

TEST(PlainFile, CreateTruncatesOrAppends)
{
    CTempDir dir;
    std::string path = dir / "\\out.txt";
    CFile file;
    ASSERT_TRUE(file.Create(path.c_str(), true));
    EXPECT_EQ(file.Write("abcd", 2, 2), 2u);
    file.Close();
    ASSERT_TRUE(file.Create(path.c_str(), false));
    EXPECT_EQ(file.Write("ef", 1, 2), 2u);
    file.Close();
    EXPECT_EQ(TestSupport::ReadWholeFile(path), "abcdef");
    ASSERT_TRUE(file.Create(path.c_str(), true));
    EXPECT_EQ(file.Write("z", 1, 1), 1u);
    EXPECT_EQ(file.GetSize(), 1);
    file.Close();
    EXPECT_EQ(TestSupport::ReadWholeFile(path), "z");
}

TEST(PlainFile, FailuresLeaveAClosedFile)
{
    CTempDir dir;
    ASSERT_TRUE(MakeDirs(dir, "\\folder"));
    const std::string paths[] = {"", dir / "\\missing.txt", dir / "\\folder", dir / "\\*.txt",
                                 dir / ("\\" + std::string(300, 'n'))};
    for (const std::string& path : paths) {
        CFile file;
        EXPECT_EQ(file.Open(path.c_str()), 0) << path;
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.GetSize(), 0);
        char c;
        EXPECT_EQ(file.Read(&c, 1, 1), 0u);
        EXPECT_FALSE(file.Seek(0, kSeekBegin));
    }
    EXPECT_EQ(CFile().Open(nullptr), 0);
    CNormalFile closed;
    EXPECT_EQ(closed.GetSize(), -1);
    EXPECT_FALSE(closed.IsOpen());
}

TEST(PlainFile, RelativePathsUseTheCurrentDirectory)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\cur\\rel.txt", "here"));
    TestSupport::CCurrentDirectory cd(dir / "\\cur");
    CFile file;
    ASSERT_EQ(file.Open("rel.txt"), 1);
    EXPECT_EQ(file.GetSize(), 4);
}

TEST(PlainFile, LoadRestoresTheErrorMode)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\a.txt", "a"));
    UINT before = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    CFile file;
    EXPECT_EQ(file.Open((dir / "\\a.txt").c_str()), 1);
    EXPECT_EQ(file.Open((dir / "\\missing.txt").c_str()), 0);
    EXPECT_EQ(SetErrorMode(before), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
}

TEST(PlainFile, ShiftJisFolderNames)
{
    CTempDir dir;
    // Folder names whose second byte is 0x5C, the backslash code.
    ASSERT_TRUE(WriteAt(dir, "\\\x95\x5C\\\x83\x5C.txt", "sjis"));
    CFile file;
    ASSERT_EQ(file.Open((dir / "\\\x95\x5C/\x83\x5C.txt").c_str()), 1);
    char buffer[4];
    EXPECT_EQ(file.Read(buffer, 4, 1), 1u);
    EXPECT_EQ(std::memcmp(buffer, "sjis", 4), 0);
}

// The "\\?\" prefix hands the rest of the path to the file system as it stands: its '?' is
// no wildcard, though one further on still is.
TEST(PlainFile, LongFormPathsOpenAndStillRefuseWildcards)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\long.txt", "long"));
    ASSERT_TRUE(WriteAt(dir, "\\p.pak", DirectoryPack({{"member.txt", "packed"}})));
    const std::string longForm = "\\\\?\\" + dir.Path();
    EXPECT_TRUE(CFindFile::Exists((longForm + "\\long.txt").c_str()));
    EXPECT_FALSE(CFindFile::Exists((longForm + "\\lon?.txt").c_str()));
    EXPECT_FALSE(CFindFile::Exists((longForm + "\\*.txt").c_str()));
    EXPECT_FALSE(CFindFile::Exists("\\\\?\\"));

    CFile file;
    ASSERT_EQ(file.Open((longForm + "\\long.txt").c_str()), 1);
    EXPECT_EQ(file.GetSize(), 4);
    ASSERT_EQ(file.Open((longForm + "\\p\\member.txt").c_str()), 1) << "the pack is found too";
    EXPECT_EQ(file.GetSize(), 6);
}
