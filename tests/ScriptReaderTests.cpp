#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file/ScriptReader.h"
#include "support/FileFixtures.h"

using Quorvel::Base::File::CScriptReader;
using namespace TestSupport;

namespace {
using Lines = std::vector<std::vector<std::string>>;

enum Flags { kDefault, kNone, kSqueezeCommas, kSpaceOnly, kCommaOnly };

void ApplyFlags(CScriptReader& reader, Flags flags)
{
    if (flags == kDefault)
        return;
    reader.ClearFlags();
    if (flags == kSqueezeCommas) {
        reader.SetSeparateBySpace(true);
        reader.SetSeparateByComma(true);
        reader.SetSqueezeSpaces(true);
        reader.SetSqueezeCommas(true);
    }
    reader.SetSeparateBySpace(flags == kSpaceOnly || flags == kSqueezeCommas);
    reader.SetSeparateByComma(flags == kCommaOnly || flags == kSqueezeCommas);
}

Lines ReadAll(CScriptReader& reader, int count)
{
    Lines lines;
    std::vector<std::string> tokens(count, "stale");
    while (reader.ReadLine(tokens.data(), count))
        lines.push_back(tokens);
    for (const std::string& t : tokens)
        EXPECT_EQ(t, "") << "a failed ReadLine leaves every token empty";
    return lines;
}

Lines ReadText(const std::string& text, Flags flags, int count)
{
    CTempDir dir;
    EXPECT_TRUE(WriteAt(dir, "\\t.txt", text));
    CScriptReader reader;
    ApplyFlags(reader, flags);
    EXPECT_TRUE(reader.Open((dir / "\\t.txt").c_str()));
    Lines lines = ReadAll(reader, count);
    EXPECT_EQ(reader.GetLineCount(), static_cast<int32_t>(lines.size()));
    EXPECT_FALSE(reader.ReadLine(nullptr, 0)) << "stays exhausted";
    return lines;
}
} // namespace

TEST(ScriptReader, SplitsCleansAndSkipsLines)
{
    struct Case {
        const char* what;
        std::string text;
        Flags flags;
        int count;
        Lines expected;
    };
    const Case cases[] = {
        {"tabs", "1\t2\t3\n", kDefault, 3, {{"1", "2", "3"}}},
        {"squeezed blanks", "1  \t 2\n", kDefault, 3, {{"1", "2", ""}}},
        {"two commas", "1,,2\n", kDefault, 3, {{"1", "", "2"}}},
        {"comma then space", "1, 2\n", kDefault, 3, {{"1", "", "2"}}},
        {"leading tab", "\t5,6\n", kDefault, 3, {{"", "5", "6"}}},
        {"one leading space skipped", " 7 8\n", kDefault, 2, {{"7", "8"}}},
        {"trailing comment", "12 // note\n", kDefault, 2, {{"12", ""}}},
        {"comment line skipped", "// only\n\n3\n", kDefault, 1, {{"3"}}},
        {"crlf like lf", "a\r\nb\r\r\n\r\nc\r\n", kDefault, 1, {{"a"}, {"b"}, {"c"}}},
        {"no final line feed", "x\ny", kDefault, 1, {{"x"}, {"y"}}},
        {"empty file", "", kDefault, 1, {}},
        {"only carriage returns", std::string(5000, '\r'), kDefault, 1, {}},
        {"more tokens than asked", "1 2 3 4 5 6 7\n", kDefault, 5, {{"1", "2", "3", "4", "5"}}},
        {"flags clear: whole line", "a b,c // x\r\n", kNone, 2, {{"a b,c ", ""}}},
        {"flags clear: no squeezing", "a  ,,b\n", kNone, 1, {{"a  ,,b"}}},
        {"squeeze commas", "1,,,2\n", kSqueezeCommas, 3, {{"1", "2", ""}}},
        {"space needs comma too", "a b,c\n", kSpaceOnly, 2, {{"a b,c", ""}}},
        {"comma alone separates", "a b,c\n", kCommaOnly, 2, {{"a b", "c"}}},
        // Shift-JIS: a lead byte takes the next byte whatever it is.
        {"kanji", "\x95\x5C,\x83\x5C\n", kDefault, 2, {{"\x95\x5C", "\x83\x5C"}}},
        {"trail comma", "\x81,a,b\n", kDefault, 3, {{"\x81,a", "b", ""}}},
        {"trail slash is no comment", "\x81//x\n", kNone, 1, {{"\x81//x"}}},
        {"trail space not squeezed", "\x81  b\n", kDefault, 3, {{"\x81 ", "b", ""}}},
        {"lead joins next line", "\x82\nX\nY\n", kNone, 1, {{"\x82\nX"}, {"Y"}}},
        {"lead as last byte", "ab\x82", kNone, 1, {{"ab\x82\n"}}},
        {"nul inside a line", std::string("a\0b c\n", 6), kDefault, 2, {{std::string("a\0b", 3), "c"}}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(ReadText(k.text, k.flags, k.count), k.expected) << k.what;
}

TEST(ScriptReader, FlagsChangeBetweenLines)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\t.tms", "C:\\movie dir\\a b.wmv\r\n10000\t3\t5\t0\t0\r\n"));
    CScriptReader reader;
    reader.ClearFlags();
    ASSERT_TRUE(reader.Open((dir / "\\t.tms").c_str()));
    std::string tokens[3];
    ASSERT_TRUE(reader.ReadLine(tokens, 3));
    EXPECT_EQ(tokens[0], "C:\\movie dir\\a b.wmv");
    reader.SetSeparateBySpace(true);
    reader.SetSeparateByComma(true);
    reader.SetSqueezeSpaces(true);
    ASSERT_TRUE(reader.ReadLine(tokens, 3));
    EXPECT_EQ(tokens[0], "10000");
    EXPECT_EQ(tokens[1], "3");
    EXPECT_EQ(tokens[2], "5");
    EXPECT_EQ(reader.GetLineCount(), 2);
}

TEST(ScriptReader, LongLinesKeepEveryByte)
{
    std::string big(1 << 20, 'x');
    std::string text = big + ",y\n" + std::string(1 << 20, ' ') + "z\n";
    Lines lines = ReadText(text, kDefault, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0][0], big);
    EXPECT_EQ(lines[0][1], "y");
    EXPECT_EQ(lines[1][0], "z") << "a megabyte of spaces squeezes to the one skipped space";
}

TEST(ScriptReader, OpenReplacesOnlyOnSuccess)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\a.txt", "a1\na2\n"));
    ASSERT_TRUE(WriteAt(dir, "\\b.txt", "b1\n"));
    CScriptReader reader;
    std::string token;
    EXPECT_FALSE(reader.ReadLine(&token, 1)) << "nothing opened yet";
    ASSERT_TRUE(reader.Open((dir / "\\a.txt").c_str()));
    ASSERT_TRUE(reader.ReadLine(&token, 1));
    EXPECT_EQ(token, "a1");

    EXPECT_FALSE(reader.Open((dir / "\\missing.txt").c_str()));
    EXPECT_FALSE(reader.Open(""));
    ASSERT_TRUE(reader.ReadLine(&token, 1)) << "a failed Open leaves the reader as it was";
    EXPECT_EQ(token, "a2");
    EXPECT_EQ(reader.GetLineCount(), 2);

    ASSERT_TRUE(reader.Open((dir / "\\b.txt").c_str()));
    EXPECT_EQ(reader.GetLineCount(), 0);
    ASSERT_TRUE(reader.ReadLine(&token, 1));
    EXPECT_EQ(token, "b1");
    EXPECT_FALSE(reader.ReadLine(&token, 1));
}

TEST(ScriptReader, FileIsClosedAfterOpen)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\a.txt", "x\n"));
    CScriptReader reader;
    ASSERT_TRUE(reader.Open((dir / "\\a.txt").c_str()));
    // An exclusive open succeeds only when the reader holds no handle on the file.
    EXPECT_TRUE(WriteAt(dir, "\\a.txt", "y\n"));
}
