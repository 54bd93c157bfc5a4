#pragma once
#include <string>

#include "base/Win32.h"

// The editor's only configuration: "lastfile_path", a TAB and the path of the last time
// sheet, with no line end, in cfg\info.txt beside the module.
constexpr char kSettingsFileName[] = "\\cfg\\info.txt";

// The settings file of this process: the one beside the module, or info.txt in the folder a
// scripted host named.
std::string SettingsFilePath(HINSTANCE module);
// Empty returns to the module's own file.
void SetSettingsFolder(const std::string& folder);

// The path after "lastfile_path" and a TAB: the whole rest of the first line, spaces and
// commas included. False when the file can't be read or its first field is anything else.
bool ReadLastSheetPath(const std::string& file, std::string& path);
// Rewrites the file whole; false when it can't be written.
bool WriteLastSheetPath(const std::string& file, const std::string& path);
