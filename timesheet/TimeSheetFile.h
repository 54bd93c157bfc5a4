#pragma once
#include <string>
#include <vector>

#include "timesheet/CommandData.h"

// What reading a time sheet file came to.
enum class SheetRead {
    kRead,
    kUnreadable, // it could not be opened (or, for the device, held no record line)
    kTooLarge,   // more than kMostSheetRecords records: refused before it fills the memory
};

// A time sheet file as the editor reads it: the ten header lines whole (line 1 names the
// movie) and the records in file order, each as time, pattern and level.
struct CTimeSheetFileContent {
    static constexpr int kHeaderLines = 10;
    std::string header[kHeaderLines];
    std::vector<CommandData> records;
};

// A file longer than this is refused before it is read: reading loads a file whole, and a
// million records take about 20 MB.
constexpr unsigned long long kMostSheetBytes = 64ull << 20;
// True when the file is there and longer than kMostSheetBytes.
bool IsTimeSheetFileTooLong(const char* path);

// The editor's reading of a *.tms file: the first ten lines that remain after blank and
// comment lines are the header, every further line a record (tabs, spaces or commas between
// its fields). Nothing is kept from a file that fails.
SheetRead ReadEditorTimeSheet(const char* path, CTimeSheetFileContent& content);
