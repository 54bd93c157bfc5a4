#pragma once
#include <string>
#include <vector>

#include "sheet/CommandData.h"

// The *.tms file: ten header lines (the first names the movie, the others are placeholders),
// then one record per line: time in ten-thousandths of a second, pattern, level, 0, 0. The
// sheet document reads and writes it through here, for the editor and the device alike.
// The reader drops carriage returns, skips blank and comment lines and takes tabs, spaces or
// commas between the fields of a record.

// What reading a file came to.
enum class SheetRead {
    kRead,
    kUnreadable, // it could not be opened
    kTooLarge,   // longer than kMostSheetBytes or more than kMostSheetRecords records
    kNotSheet,   // no record, and a header that is not one this editor writes
};

// Far more than any sheet a person makes (an hour at one record per tenth of a second is
// 36,000 records, about 700 KB), and little enough to read in well under a second. Reading
// takes a file whole, so the length is checked before.
constexpr int32_t kMostSheetRecords = 1000000;
constexpr unsigned long long kMostSheetBytes = 64ull << 20;

struct CTimeSheetFileContent {
    static constexpr int kHeaderLines = 10;
    // The header lines whole (a line that the file does not have stays empty).
    std::string header[kHeaderLines];
    // Time, pattern and level of every record, in file order; the other two fields are 0.
    std::vector<CommandData> records;
};

// Nothing of a file that fails reaches content. A file with records is taken whatever its
// header holds (hand-made sheets are); one without is a sheet only when its header is the
// one this editor writes, placeholders and all: a saved empty sheet loads, a stray text
// file does not.
SheetRead ReadTimeSheetFile(const char* path, CTimeSheetFileContent& content);
// Whether header lines 2 to 10 are the placeholders this editor writes (the second may carry
// what the writer put there instead).
bool IsOwnHeader(const std::string (&header)[CTimeSheetFileContent::kHeaderLines]);
// Records as the clipboard carries them: one per line, time, pattern and level as whole numbers
// separated by tabs, commas or spaces (further fields ignored); blank and comment lines are
// skipped. False (records untouched) when any other line is there, or none is a record.
bool ParseRecordLines(const std::string& text, std::vector<CommandData>& records);
// One "time\tpattern\tlevel\t0\t0" line per record, each ended by CR LF.
std::string FormatRecordLines(const std::vector<CommandData>& records);
// A header line as the device manager keeps it: up to its first space, tab or comma.
std::string HeaderField(const std::string& line);
// The whole file for a movie path (empty: no movie known) and records already in time order,
// each line ended by CR CR LF as a text-mode stream writing CR LF has always ended them.
// secondLine, when not empty, takes the place of the second line's placeholder.
std::string FormatTimeSheet(const std::string& moviePath, const std::vector<CommandData>& records,
                            const std::string& secondLine = std::string());
