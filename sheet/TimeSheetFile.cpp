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

namespace {

// A whole number, an optional sign and at most ten digits, and nothing else.
bool WholeNumber(const std::string& token, int32_t& value)
{
    size_t at = token.size() > 1 && (token[0] == '-' || token[0] == '+') ? 1 : 0;
    if (at >= token.size() || token.size() - at > 10 ||
        token.find_first_not_of("0123456789", at) != std::string::npos)
        return false;
    value = ParseRecordField(token);
    return true;
}

} // namespace

bool ParseRecordLines(const std::string& text, std::vector<CommandData>& records)
{
    if (text.size() > kMostSheetBytes)
        return false;
    std::vector<CommandData> read;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        for (char& c : line)
            if (c == '\t' || c == ',' || c == '\r')
                c = ' ';
        const size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos || line.compare(first, 2, "//") == 0)
            continue;
        std::string tokens[3];
        size_t at = first;
        int32_t values[3] = {};
        for (int i = 0; i < 3; ++i) {
            if (at == std::string::npos || at >= line.size())
                return false;
            const size_t stop = line.find(' ', at);
            tokens[i] = line.substr(at, stop == std::string::npos ? std::string::npos : stop - at);
            if (!WholeNumber(tokens[i], values[i]))
                return false;
            at = stop == std::string::npos ? stop : line.find_first_not_of(' ', stop);
        }
        if (read.size() >= static_cast<size_t>(kMostSheetRecords))
            return false;
        read.emplace_back(values[0], values[1], values[2]);
    }
    if (read.empty())
        return false;
    records = std::move(read);
    return true;
}

std::string FormatRecordLines(const std::vector<CommandData>& records)
{
    std::string text;
    char line[96];
    for (const CommandData& record : records) {
        std::snprintf(line, sizeof line, "%d\t%d\t%d\t0\t0\r\n", static_cast<int>(record.time),
                      static_cast<int>(record.pattern), static_cast<int>(record.level));
        text += line;
    }
    return text;
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
