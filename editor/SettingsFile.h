#pragma once
#include <string>

#include "base/Win32.h"

// The editor's configuration: "lastfile_path", a TAB and the path of the last time sheet on
// the first line; then, each on a line of its own and only when it is not its default, the
// device's lead time ("lead_time", a TAB and whole milliseconds), the user's comfort limit
// ("max_level", a TAB and a level from 1 to 9) and precise timing ("precise_timing", a TAB and
// 1), which versions before them never read. With only defaults the file is the first line
// alone, with no line end, as it always was.
constexpr char kSettingsFileName[] = "\\cfg\\info.txt";

// Where the last time sheet is remembered. A normal user cannot write beside a module
// installed under Program Files, so the file is kept per user; the file beside the module
// is still read while the user has none (an older install wrote it there).
struct SettingsFiles {
    // Read first and always written; empty when the user's folder is unknown.
    std::string user;
    // Read only while the user's file does not exist; written only without a user file.
    std::string module;
};

// The settings files of this process: the user's and the module's, or only info.txt in the
// folder a scripted host named.
SettingsFiles SettingsFilesOf(HINSTANCE module);
// Empty returns to the files of the product.
void SetSettingsFolder(const std::string& folder);

bool ReadLastSheetPath(const SettingsFiles& files, std::string& path);
// Makes the user's folder when needed; false when nothing could be written.
bool WriteLastSheetPath(const SettingsFiles& files, const std::string& path);

// The device's lead time in milliseconds: 0 when none is stored or it is not a number; kept
// within what the device manager takes.
int ReadLeadTime(const SettingsFiles& files);
bool WriteLeadTime(const SettingsFiles& files, int milliseconds);
// The highest level the device may receive, 1 to 10: 10 when none is stored.
int ReadMostLevel(const SettingsFiles& files);
bool WriteMostLevel(const SettingsFiles& files, int level);
// Whether commands go out at their own times between the ticks: off when none is stored.
bool ReadPreciseTiming(const SettingsFiles& files);
bool WritePreciseTiming(const SettingsFiles& files, bool on);

// One file: the path after "lastfile_path" and a TAB, the whole rest of the first line,
// spaces and commas included. False when the file can't be read or its first field is
// anything else.
bool ReadLastSheetPath(const std::string& file, std::string& path);
// Rewrites one file whole, its lead time kept; false when it can't be written.
bool WriteLastSheetPath(const std::string& file, const std::string& path);
// A line after the first of one file's text; false when it has none that reads as a lead time
// (a comfort limit).
bool ParseLeadTime(const std::string& text, int& milliseconds);
bool ParseMostLevel(const std::string& text, int& level);
bool ParsePreciseTiming(const std::string& text, bool& on);
