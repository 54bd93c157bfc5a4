#include "timesheet/TimeSheetFile.h"

#include "base/Win32.h"
#include "base/file/ScriptReader.h"

using Quorvel::Base::File::CScriptReader;

namespace {
constexpr int kRecordTokens = 10;
} // namespace

bool IsTimeSheetFileTooLong(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path == nullptr || !GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return false;
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size > kMostSheetBytes;
}

SheetRead ReadEditorTimeSheet(const char* path, CTimeSheetFileContent& content)
{
    if (IsTimeSheetFileTooLong(path))
        return SheetRead::kTooLarge;
    CScriptReader reader;
    reader.ClearFlags();
    if (path == nullptr || !reader.Open(path))
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
    content = std::move(read);
    return SheetRead::kRead;
}
