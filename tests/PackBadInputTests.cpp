#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/file/File.h"
#include "base/file/Zip.h"
#include "support/PackWriter.h"
#include "support/FileFixtures.h"

using namespace Quorvel::Base::File;
using namespace TestSupport;

namespace {
using Mutation = std::function<void(std::string&)>;

struct BadCase {
    const char* what;
    Mutation mutate;
};

const std::string kData = "lastfile_path\tC:\\sheets\\a.tms\r\n";

// Writes the mutated pack and reports whether the member opened, with its content.
bool OpensAs(const CTempDir& dir, const std::string& packName, const std::string& pack,
             const std::string& member, std::string& content)
{
    EXPECT_TRUE(WriteAt(dir, "\\" + packName, pack));
    CFile file;
    if (file.Open((dir / ("\\" + member)).c_str()) != 1)
        return false;
    content.assign(static_cast<size_t>(file.GetSize()), '\0');
    if (!content.empty()) {
        EXPECT_EQ(file.Read(&content[0], 1, static_cast<uint32_t>(content.size())), content.size());
    }
    return true;
}

Mutation SetField(size_t at, uint32_t value, bool keyed)
{
    return [=](std::string& pack) { PutLittleEndian32(pack, at, keyed ? value ^ PackKey("a.txt") : value); };
}

Mutation Truncate(size_t size)
{
    return [=](std::string& pack) { pack.resize(size); };
}
} // namespace

// Single-file pack for a.txt: name length at 10, name at 14, offset at 20, size at 24,
// block at 28.
TEST(PackBadInput, SingleFilePackFailsCleanly)
{
    CTempDir dir;
    const std::string good = SingleFilePack("a.txt", kData);
    const uint32_t blockSize = static_cast<uint32_t>(good.size() - 28);
    const uint32_t streamSize = blockSize - 4;
    std::string content;
    ASSERT_TRUE(OpensAs(dir, "a116120116.pak", good, "a.txt", content));
    ASSERT_EQ(content, kData);

    const BadCase cases[] = {
        {"block shorter than the trailer", SetField(24, 3, true)},
        {"block of only the trailer", SetField(24, 4, true)},
        {"empty block", SetField(24, 0, true)},
        {"decoded size beyond deflate's reach",
         [](std::string& p) { p = SingleFilePackWithBlock("a.txt", StoreBlock(kData, 0xFFFFFFF0u)); }},
        {"decoded size just past the ratio",
         [&](std::string& p) {
             p = SingleFilePackWithBlock("a.txt", StoreBlock(kData, streamSize * CZip::kMaxRatio + 1));
         }},
        {"decoded size too small",
         [](std::string& p) { p = SingleFilePackWithBlock("a.txt", StoreBlock(kData, 3)); }},
        {"offset past the end", SetField(20, static_cast<uint32_t>(good.size()) + 1, true)},
        {"size past the end", SetField(24, blockSize + 1, true)},
        {"offset and size wrap around", [](std::string& p) {
             SetField(20, 0xFFFFFFF0u, true)(p);
             SetField(24, 0x20, true)(p);
         }},
        {"name length zero", SetField(10, 0, false)},
        {"name length past the buffer", SetField(10, 265, false)},
        {"name length 0xFFFFFFFF", SetField(10, 0xFFFFFFFFu, false)},
        {"name longer than the buffer",
         [](std::string& p) { p = SingleFilePack(std::string(300, 'a') + ".txt", kData); }},
        {"cut inside the magic", Truncate(7)},
        {"cut inside the name length", Truncate(12)},
        {"cut inside the name", Truncate(17)},
        {"cut inside the size", Truncate(26)},
        {"cut inside the block", Truncate(good.size() - 1)},
        {"corrupt zlib stream", [](std::string& p) { p[28 + 5] ^= 0x55; p[28 + 9] ^= 0x55; }},
        {"wrong magic", [](std::string& p) { p[9] = 'A'; }},
    };
    for (const BadCase& k : cases) {
        std::string pack = good;
        k.mutate(pack);
        EXPECT_FALSE(OpensAs(dir, "a116120116.pak", pack, "a.txt", content)) << k.what;
    }

    // A generous claim within deflate's reach is no fault: the member is what inflates.
    std::string generous = SingleFilePackWithBlock("a.txt", StoreBlock(kData, streamSize * CZip::kMaxRatio));
    ASSERT_TRUE(OpensAs(dir, "a116120116.pak", generous, "a.txt", content));
    EXPECT_EQ(content, kData);
}

// Directory pack with the one member a.txt: directory size at 10, name length at 14, name at
// 18, offset at 24, size at 28, the ending zero at 32, the block at 36.
TEST(PackBadInput, DirectoryPackFailsCleanly)
{
    CTempDir dir;
    const std::string good = DirectoryPack({{"a.txt", kData}});
    const uint32_t blockSize = static_cast<uint32_t>(good.size() - 36);
    std::string content;
    ASSERT_TRUE(OpensAs(dir, "p.pak", good, "p\\a.txt", content));
    ASSERT_EQ(content, kData);

    const BadCase cases[] = {
        {"directory larger than the file", SetField(10, static_cast<uint32_t>(good.size()), false)},
        {"directory size 0xFFFFFFFF", SetField(10, 0xFFFFFFFFu, false)},
        {"directory shorter than a field", SetField(10, 3, false)},
        {"name length past the buffer", SetField(14, 269, false)},
        {"name length 0xFFFFFFFF", SetField(14, 0xFFFFFFFFu, false)},
        {"entry runs past the directory", SetField(14, 20, false)},
        {"offset past the end", SetField(24, static_cast<uint32_t>(good.size()), true)},
        {"size past the end", SetField(28, blockSize + 1, true)},
        {"block shorter than the trailer", SetField(28, 2, true)},
        {"offset and size wrap around", [](std::string& p) {
             SetField(24, 0xFFFFFFFFu, true)(p);
             SetField(28, 0x10, true)(p);
         }},
        {"name longer than the buffer",
         [](std::string& p) { p = DirectoryPack({{std::string(270, 'x'), kData}, {"a.txt", kData}}); }},
        {"no ending zero and no match",
         [](std::string& p) {
             p = DirectoryPack({{"b.txt", kData}});
             PutLittleEndian32(p, 10, 18);
         }},
        {"cut inside the directory", Truncate(20)},
        {"cut inside the block", Truncate(good.size() - 2)},
        {"corrupt zlib stream", [](std::string& p) { p[36 + 4] ^= 0x3C; p[36 + 8] ^= 0xC3; }},
    };
    for (const BadCase& k : cases) {
        std::string pack = good;
        k.mutate(pack);
        EXPECT_FALSE(OpensAs(dir, "p.pak", pack, "p\\a.txt", content)) << k.what;
    }
}

TEST(PackBadInput, OverlongPathsFailBeforeAnyPackIsRead)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\p.pak", DirectoryPack({{std::string(250, 'm'), kData}})));
    ASSERT_TRUE(MakeDirs(dir, "\\p"));
    TestSupport::CCurrentDirectory cd(dir / "\\p");
    CFile file;
    EXPECT_EQ(file.Open(std::string(250, 'm').c_str()), 0);
    EXPECT_EQ(file.Open((dir / "\\p\\" + std::string(300, 'm')).c_str()), 0);
}
