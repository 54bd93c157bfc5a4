#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Win32.h"
#include "base/file/File.h"
#include "base/file/ScriptReader.h"
#include "base/file/ZipArchiveFile.h"
#include "base/file/ZipSingleFile.h"
#include "support/PackWriter.h"
#include "support/FileFixtures.h"

using namespace Quorvel::Base::File;
using namespace TestSupport;

namespace {
// The whole content of a path as CFile sees it, or "<closed>" when Open fails.
std::string ReadThroughFile(const std::string& path)
{
    CFile file;
    if (file.Open(path.c_str()) != 1)
        return "<closed>";
    std::string bytes(static_cast<size_t>(file.GetSize()), '\0');
    if (!bytes.empty() && file.Read(&bytes[0], 1, static_cast<uint32_t>(bytes.size())) != bytes.size())
        return "<short>";
    return bytes;
}

// Bytes that deflate cannot shrink, so the stored block is larger than 2 KiB and the
// scramble key's high bits matter.
std::string Noise(size_t n)
{
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (char& c : s) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>(x >> 24);
    }
    return s;
}
} // namespace

TEST(SingleFilePack, StandsInForAMissingFile)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\cfg\\info116120116.pak", SingleFilePack("INFO.TXT", "lastfile_path\tC:\\a.tms")));
    EXPECT_EQ(ReadThroughFile(dir / "\\cfg\\info.txt"), "lastfile_path\tC:\\a.tms");
    EXPECT_EQ(ReadThroughFile(dir / "\\cfg\\INFO.txt"), "lastfile_path\tC:\\a.tms");
    // The extension's bytes spell the pack name, so its case selects another pack.
    EXPECT_EQ(ReadThroughFile(dir / "\\cfg\\info.TXT"), "<closed>");
    EXPECT_EQ(ReadThroughFile(dir / "\\cfg\\other.txt"), "<closed>");

    // The pack must name the file it stands for.
    ASSERT_TRUE(WriteAt(dir, "\\x116120116.pak", SingleFilePack("y.txt", "data")));
    EXPECT_EQ(ReadThroughFile(dir / "\\x.txt"), "<closed>");

    std::string big = Noise(100000);
    ASSERT_TRUE(WriteAt(dir, "\\big98105110.pak", SingleFilePack("big.bin", big)));
    EXPECT_TRUE(ReadThroughFile(dir / "\\big.bin") == big);
}

TEST(SingleFilePack, PackNameSpellsTheExtensionInSignedBytes)
{
    CTempDir dir;
    struct Case {
        std::string file, pack;
    };
    const Case cases[] = {
        {"info.txt", "info116120116.pak"},
        {"a.b.c", "a.b99.pak"},
        {"noext", "noext.pak"},
        {"dot.", "dot.pak"},
        {"k.\x83\x41", "k-12565.pak"},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(WriteAt(dir, "\\" + k.pack, ""));
        std::string packPath, fileName;
        EXPECT_TRUE(CZipSingleFile::PackPathFor(dir / ("\\" + k.file), packPath, fileName)) << k.file;
        EXPECT_EQ(packPath, dir / ("\\" + k.pack));
        EXPECT_EQ(fileName, k.file);
    }
    ASSERT_TRUE(WriteAt(dir, "\\k-12565.pak", SingleFilePack("K.\x83\x41", "sjis")));
    EXPECT_EQ(ReadThroughFile(dir / "\\k.\x83\x41"), "sjis");
}

TEST(DirectoryPack, NearestPackUpwardHoldsTheRestOfThePath)
{
    CTempDir dir;
    const std::string file = dir / "\\data\\img\\a.bmp";
    ASSERT_TRUE(MakeDirs(dir, "\\data"));
    EXPECT_EQ(ReadThroughFile(file), "<closed>");

    struct Case {
        std::string storedName;
        bool found;
    };
    const Case cases[] = {
        {"img\\a.bmp", true}, {"IMG\\A.BMP", true}, {"img/a.bmp", true},
        {"Img/A.bmp", true},  {"a.bmp", false},     {"img\\a.bm", false},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(WriteAt(dir, "\\data.pak", DirectoryPack({{"other", "x"}, {k.storedName, "bitmap"}})));
        EXPECT_EQ(ReadThroughFile(file), k.found ? "bitmap" : "<closed>") << k.storedName;
    }

    // A pack beside the nearer folder wins, and decides alone.
    ASSERT_TRUE(WriteAt(dir, "\\data\\img.pak", DirectoryPack({{"A.bmp", "nearer"}})));
    EXPECT_EQ(ReadThroughFile(file), "nearer");
    ASSERT_TRUE(WriteAt(dir, "\\data\\img.pak", DirectoryPack({{"b.bmp", "x"}})));
    CZipArchiveFile member;
    EXPECT_EQ(member.Open(file.c_str()), -1);
    EXPECT_EQ(ReadThroughFile(file), "<closed>");
}

// Above the drive or share root a pack name is a path relative to the drive's current
// folder, or a machine on the network that may take seconds to answer.
TEST(DirectoryPack, SearchStopsBelowTheDriveOrShareRoot)
{
    // "ソ" is 0x83 0x5C and "表" 0x95 0x5C: their trail bytes are the backslash's code.
    const std::string so = "\x83\x5C", hyo = "\x95\x5C", a = "\x83\x41";
    using Folders = std::vector<std::string>;
    struct Case {
        std::string path;
        Folders folders;
    };
    const Case cases[] = {
        {"C:\\data\\img\\a.bmp", {"C:\\data\\img", "C:\\data"}},
        {"C:\\a.bmp", {}},
        {"\\\\srv\\share\\data\\img\\a.bmp", {"\\\\srv\\share\\data\\img", "\\\\srv\\share\\data"}},
        {"\\\\srv\\share\\a.bmp", {}},
        {"\\\\" + so + "\\share\\a.bmp", {}},
        {"\\\\" + so + "\\share\\data\\a.bmp", {"\\\\" + so + "\\share\\data"}},
        {"\\\\srv\\" + hyo + "\\a.bmp", {}},
        {"\\\\srv\\" + hyo + "\\" + so + "\\a.bmp", {"\\\\srv\\" + hyo + "\\" + so}},
        {"\\\\" + hyo + so + "\\" + so + a + "\\a.bmp", {}},
        {"\\\\?\\C:\\data\\a.bmp", {"\\\\?\\C:\\data"}},
        {"\\\\?\\UNC\\srv\\share\\data\\a.bmp", {"\\\\?\\UNC\\srv\\share\\data"}},
        {"\\\\?\\UNC\\" + so + "\\share\\a.bmp", {}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(CZipArchiveFile::PackFolders(k.path), k.folders) << k.path;
}

TEST(DirectoryPack, NoPackOrWrongMagicReportsZero)
{
    CTempDir dir;
    CZipArchiveFile member;
    EXPECT_EQ(member.Open((dir / "\\none\\a.bmp").c_str()), 0);
    ASSERT_TRUE(WriteAt(dir, "\\none.pak", SingleFilePack("a.bmp", "x")));
    EXPECT_EQ(member.Open((dir / "\\none\\a.bmp").c_str()), 0);
    ASSERT_TRUE(WriteAt(dir, "\\none.pak", DirectoryPack({{"a.bmp", "x"}})));
    EXPECT_EQ(member.Open((dir / "\\none\\a.bmp").c_str()), 1);
    EXPECT_EQ(member.Open((dir / "\\none\\b.bmp").c_str()), -1);
    EXPECT_FALSE(member.IsOpen()) << "a failed Open releases the earlier member";

    CZipSingleFile single;
    EXPECT_EQ(single.Open((dir / "\\s.txt").c_str()), 0);
    ASSERT_TRUE(WriteAt(dir, "\\s116120116.pak", SingleFilePack("t.txt", "x")));
    EXPECT_EQ(single.Open((dir / "\\s.txt").c_str()), -1);
}

TEST(Packs, PlainFilesOnDiskAlwaysWin)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\data\\info.txt", "disk"));
    ASSERT_TRUE(WriteAt(dir, "\\data\\info116120116.pak", SingleFilePack("info.txt", "single")));
    ASSERT_TRUE(WriteAt(dir, "\\data.pak", DirectoryPack({{"info.txt", "directory"}})));
    EXPECT_EQ(ReadThroughFile(dir / "\\data\\info.txt"), "disk");
    EXPECT_EQ(ReadThroughFile(dir / "\\data/INFO.TXT"), "disk");
    ASSERT_TRUE(DeleteFileA((dir / "\\data\\info.txt").c_str()));
    EXPECT_EQ(ReadThroughFile(dir / "\\data\\info.txt"), "single");
    // A single-file pack that names the file decides alone, even when it cannot deliver.
    std::string broken = SingleFilePack("info.txt", "single");
    broken.resize(broken.size() - 1);
    ASSERT_TRUE(WriteAt(dir, "\\data\\info116120116.pak", broken));
    EXPECT_EQ(ReadThroughFile(dir / "\\data\\info.txt"), "<closed>");
    ASSERT_TRUE(WriteAt(dir, "\\data\\info116120116.pak", SingleFilePack("other.txt", "single")));
    EXPECT_EQ(ReadThroughFile(dir / "\\data\\info.txt"), "directory");
    ASSERT_TRUE(DeleteFileA((dir / "\\data\\info116120116.pak").c_str()));
    EXPECT_EQ(ReadThroughFile(dir / "\\data\\info.txt"), "directory");
}

TEST(Packs, MembersReadLikeFiles)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\p.pak", DirectoryPack({{"ten.bin", "0123456789"}, {"empty", ""}})));
    CFile file;
    ASSERT_EQ(file.Open((dir / "\\p\\ten.bin").c_str()), 1);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetSize(), 10);
    char buffer[13] = {};
    EXPECT_EQ(file.Read(buffer, 4, 3), 2u);
    EXPECT_EQ(std::string(buffer), "0123456789");
    EXPECT_EQ(file.Tell(), 10);
    ASSERT_TRUE(file.Seek(-3, kSeekEnd));
    EXPECT_EQ(file.Read(buffer, 2, 1), 1u);
    EXPECT_EQ(std::string(buffer, 2), "78");
    EXPECT_TRUE(file.Seek(100, kSeekCurrent));
    EXPECT_EQ(file.Read(buffer, 1, 1), 0u) << "outside the member";
    EXPECT_TRUE(file.Seek(-200, kSeekCurrent));
    EXPECT_EQ(file.Read(buffer, 1, 1), 0u) << "before the member";
    file.Rewind();
    EXPECT_EQ(file.Read(buffer, 1, 1), 1u);
    EXPECT_EQ(buffer[0], '0');
    EXPECT_EQ(file.Write("x", 1, 1), 0u);

    ASSERT_EQ(file.Open((dir / "\\p\\empty").c_str()), 1);
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_EQ(file.Read(buffer, 1, 1), 0u);

    CZipArchiveFile member;
    EXPECT_FALSE(member.Create((dir / "\\p\\ten.bin").c_str(), true));
    ASSERT_EQ(member.Open((dir / "\\p\\ten.bin").c_str()), 1);
    member.Release();
    EXPECT_FALSE(member.IsOpen());
    EXPECT_EQ(member.Read(buffer, 1, 1), 0u);
}

TEST(Packs, ScriptReaderReadsAPackedFile)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\sheets.pak", DirectoryPack({{"a.tms", "// header\r\n10000\t1\t2\r\n"}})));
    CScriptReader reader;
    ASSERT_TRUE(reader.Open((dir / "\\sheets\\a.tms").c_str()));
    std::string tokens[3];
    ASSERT_TRUE(reader.ReadLine(tokens, 3));
    EXPECT_EQ(tokens[0] + "," + tokens[1] + "," + tokens[2], "10000,1,2");
    EXPECT_FALSE(reader.ReadLine(tokens, 3));
}
