#include "sheet/TimeSheetFile.h"

#include <cstdio>

#include "base/Win32.h"
#include "base/file/ScriptReader.h"

using Quorvel::Base::File::CScriptReader;

namespace {

constexpr int kRecordTokens = 10;

bool IsTooLong(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size > kMostSheetBytes;
}

} // namespace

SheetRead ReadTimeSheetFile(const char* path, CTimeSheetFileContent& content)
{
    if (path == nullptr)
        return SheetRead::kUnreadable;
    if (IsTooLong(path))
        return SheetRead::kTooLarge;
    CScriptReader reader;
    reader.ClearFlags();
    if (!reader.Open(path))
        return SheetRead::kUnreadable;
    CTimeSheetFileContent read;
    std::string tokens[kRecordTokens];
    for (int i = 0; i < CTimeSheetFileContent::kHeaderLines && reader.ReadLine(tokens, kRecordTokens); ++i)
        read.header[i] = tokens[0];

    reader.SetSeparateBySpace(true);
    reader.SetSeparateByComma(true);
    reader.SetSqueezeSpaces(true);
    reader.SetSqueezeCommas(false);
    while (reader.ReadLine(tokens, kRecordTokens)) {
        if (read.records.size() >= static_cast<size_t>(kMostSheetRecords))
            return SheetRead::kTooLarge;
        read.records.emplace_back(ParseRecordField(tokens[0]), ParseRecordField(tokens[1]),
                                  ParseRecordField(tokens[2]));
    }
    if (read.records.empty() && !IsOwnHeader(read.header))
        return SheetRead::kNotSheet;
    content = std::move(read);
    return SheetRead::kRead;
}

bool IsOwnHeader(const std::string (&header)[CTimeSheetFileContent::kHeaderLines])
{
    if (header[0].empty())
        return false;
    char placeholder[16];
    for (int i = 3; i <= CTimeSheetFileContent::kHeaderLines; ++i) {
        std::snprintf(placeholder, sizeof placeholder, "%d%d%d%d%d%d", i, i, i, i, i, i);
        if (header[i - 1] != placeholder)
            return false;
    }
    return !header[1].empty();
}

std::string HeaderField(const std::string& line)
{
    // The reader's own default splitting: a space, tab or comma ends the field.
    const CScriptReader reader;
    std::string field;
    reader.SplitLine(line, &field, 1);
    return field;
}

std::string FormatTimeSheet(const std::string& moviePath, const std::vector<CommandData>& records,
                            const std::string& secondLine)
{
    std::string text;
    text.reserve(32 * (records.size() + CTimeSheetFileContent::kHeaderLines));
    text += moviePath.empty() ? std::string("111111") : moviePath;
    text += "\r\r\n";
    char line[96];
    for (int i = 2; i <= CTimeSheetFileContent::kHeaderLines; ++i) {
        if (i == 2 && !secondLine.empty()) {
            text += secondLine + "\r\r\n";
            continue;
        }
        std::snprintf(line, sizeof line, "%d%d%d%d%d%d\r\r\n", i, i, i, i, i, i);
        text += line;
    }
    for (const CommandData& command : records) {
        std::snprintf(line, sizeof line, "%d\t%d\t%d\t%d\t%d\r\r\n", static_cast<int>(command.time),
                      static_cast<int>(command.pattern), static_cast<int>(command.level), 0, 0);
        text += line;
    }
    return text;
}
