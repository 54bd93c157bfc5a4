#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/file/File.h"
#include "base/file/ScriptReader.h"
#include "base/file/Zip.h"
#include "support/PackWriter.h"
#include "support/FileFixtures.h"
#include "support/LeakReports.h"

using namespace Quorvel::Base::File;
using namespace TestSupport;

namespace {
constexpr int kCasesPerKind = 800;

class CMutator {
public:
    explicit CMutator(uint32_t seed) : m_random(seed) {}

    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(m_random() % n) : 0; }

    // One to four random damages: flipped, overwritten, inserted, dropped or repeated bytes,
    // a cut, or a 32-bit field replaced by a value that breaks naive arithmetic.
    void Mutate(std::string& bytes, const std::string& alphabet)
    {
        int damages = 1 + Below(4);
        for (int d = 0; d < damages; ++d) {
            uint32_t at = Below(static_cast<uint32_t>(bytes.size()) + 1);
            switch (Below(7)) {
            case 0:
                if (at < bytes.size())
                    bytes[at] ^= static_cast<char>(1 << Below(8));
                break;
            case 1:
                if (at < bytes.size())
                    bytes[at] = Pick(alphabet);
                break;
            case 2:
                bytes.insert(at, 1 + Below(8), Pick(alphabet));
                break;
            case 3:
                bytes.erase(at, Below(16));
                break;
            case 4:
                bytes.resize(Below(static_cast<uint32_t>(bytes.size()) + 1));
                break;
            case 5:
                bytes.insert(at, bytes.substr(Below(static_cast<uint32_t>(bytes.size()) + 1), Below(64)));
                break;
            default:
                if (at + 4 <= bytes.size()) {
                    const uint32_t nasty[] = {0, 1, 3, 4, 0xFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                              static_cast<uint32_t>(bytes.size()),
                                              static_cast<uint32_t>(bytes.size()) + 1};
                    PutLittleEndian32(bytes, at, nasty[Below(sizeof(nasty) / sizeof(nasty[0]))]);
                }
                break;
            }
        }
    }

private:
    char Pick(const std::string& alphabet)
    {
        if (alphabet.empty() || Below(4) == 0)
            return static_cast<char>(Below(256));
        return alphabet[Below(static_cast<uint32_t>(alphabet.size()))];
    }

    std::mt19937 m_random;
};

// Reads a member to its end in uneven pieces with a stray seek; the sizes it reports must
// stay within what the pack can hold.
void ReadEverything(CFile& file, CMutator& dice, uint64_t packSize)
{
    int32_t size = file.GetSize();
    ASSERT_GE(size, 0);
    ASSERT_LE(static_cast<uint64_t>(size), packSize * CZip::kMaxRatio);
    std::vector<char> buffer(4096);
    uint64_t total = 0;
    for (;;) {
        uint32_t got = file.Read(buffer.data(), 1 + dice.Below(7), 1 + dice.Below(500));
        if (got == 0)
            break;
        total += got;
        ASSERT_LE(total, static_cast<uint64_t>(size));
    }
    file.Seek(static_cast<int32_t>(dice.Below(2 * size + 2)) - size, dice.Below(3));
    file.Read(buffer.data(), 1, static_cast<uint32_t>(buffer.size()));
}
} // namespace

TEST(FileRobustness, MutatedPacksNeverCrash)
{
    CTempDir dir;
    CMutator dice(20261208);
    const std::string text = "movie.wmv\r\n\x83\x65\x83\x58\x83\x67\r\n10000\t1\t2\t0\t0\r\n";
    std::string longText;
    for (int i = 0; i < 200; ++i)
        longText += std::to_string(i * 1000) + "\t" + std::to_string(i % 10) + "\t5\t0\t0\r\n";
    const std::string singlePack = SingleFilePack("a.txt", longText);
    const std::string directoryPack =
        DirectoryPack({{"a.txt", text}, {"sub\\b.txt", longText}, {"\x95\x5C.txt", ""}});
    const std::string packAlphabet = std::string("\0\x01\xFF\x7F\x80", 5) + "TOVAPACK4SA";

    int opened = 0, refused = 0;
    for (int i = 0; i < 2 * kCasesPerKind; ++i) {
        const bool single = i % 2 == 0;
        std::string pack = single ? singlePack : directoryPack;
        dice.Mutate(pack, packAlphabet);
        const std::string packName = single ? "a116120116.pak" : "d.pak";
        ASSERT_TRUE(WriteAt(dir, "\\" + packName, pack));
        const char* members[] = {"d\\a.txt", "d\\sub\\b.txt", "d\\sub/b.txt", "d\\\x95\x5C.txt"};
        std::string member = single ? "a.txt" : members[dice.Below(4)];
        CFile file;
        if (file.Open((dir / ("\\" + member)).c_str()) == 1) {
            ++opened;
            ReadEverything(file, dice, pack.size());
        } else {
            ++refused;
            EXPECT_FALSE(file.IsOpen());
        }
        if (HasFatalFailure())
            FAIL() << "case " << i;
    }
    // Both ways out were taken, so the damage was neither always fatal nor always harmless.
    EXPECT_GT(opened, 100);
    EXPECT_GT(refused, 100);
}

TEST(FileRobustness, MutatedTextsNeverCrash)
{
    CTempDir dir;
    CMutator dice(1208);
    const std::string sheet =
        "C:\\\x83\x80\x81\x5B\x83\x72\x81\x5B\\a.wmv\r\n// comment\r\n\r\n"
        "10000\t1\t2\t0\t0\r\n  20000 ,, 3 , 4\r\n\x95\x5C,\x83\x5C x//y\r\n";
    const char kTextAlphabet[] = "\r\n\t ,/\0\x81\x9F\xE0\xFC\x5C";
    const std::string textAlphabet(kTextAlphabet, sizeof(kTextAlphabet) - 1);

    uint64_t lines = 0;
    for (int i = 0; i < kCasesPerKind; ++i) {
        std::string text = sheet;
        dice.Mutate(text, textAlphabet);
        ASSERT_TRUE(WriteAt(dir, "\\t.tms", text));
        CScriptReader reader;
        reader.SetSeparateBySpace(dice.Below(2) != 0);
        reader.SetSeparateByComma(dice.Below(2) != 0);
        reader.SetSqueezeSpaces(dice.Below(2) != 0);
        reader.SetSqueezeCommas(dice.Below(2) != 0);
        ASSERT_TRUE(reader.Open((dir / "\\t.tms").c_str()));
        std::string tokens[6];
        const int count = 1 + dice.Below(6);
        size_t tokenBytes = 0;
        int32_t read = 0;
        while (reader.ReadLine(tokens, count)) {
            ASSERT_LE(++read, static_cast<int32_t>(text.size())) << "case " << i;
            for (int t = 0; t < count; ++t)
                tokenBytes += tokens[t].size();
        }
        EXPECT_EQ(reader.GetLineCount(), read);
        // Tokens only ever hold bytes of the file, plus the line feed a final lead byte takes.
        EXPECT_LE(tokenBytes, text.size() + 1) << "case " << i;
        lines += read;
    }
    EXPECT_GT(lines, static_cast<uint64_t>(kCasesPerKind));
}

// The memory system's verdict at exit: the file and script runs leave behind nothing that
// a run of no test at all does not (the test program's own statics account for that).
TEST(FileRobustness, LeavesNoLeakAtExit)
{
    std::string baseline, afterRuns;
    ASSERT_TRUE(RunAndCollectLeakReports("NoTestAtAll.*", baseline));
    ASSERT_TRUE(RunAndCollectLeakReports("FileRobustness.Mutated*:Pack*:ScriptReader.*", afterRuns));
    EXPECT_EQ(afterRuns, baseline);
}
