#pragma once
#include <string>
#include <vector>

#include "sim/SimEvents.h"

struct PlayerOptions;

// What the two player tools share: reading an events file, finding the folder that stands
// for the DLL's, and writing lines for a reader on the other side of the console.
namespace ToolSupport {

// A whole file; false when it can't be read.
bool ReadWholeFile(const std::string& path, std::string& text);
// Text typed on a Linux machine is UTF-8; the plug-in's narrow text is the ANSI code page.
// Valid UTF-8 is converted, anything else is taken as it is.
std::string FromUtf8IfItIs(const std::string& text);
// A line in the ANSI code page, written as UTF-8 with a line end.
void PrintLine(const std::string& line);
// The build folder beside the tools (holding obj and cfg) when there is one, else the tool's.
std::string ProductFolderOfTool();
// The value of --device: "sim" (the simulated bus) or "system" (the virtual device below the
// system's own HID stack). False, with a message, for anything else.
bool ParseDevice(const std::string& value, PlayerOptions& options, std::string& error);

// Starts a session of the player with the product folder of the tool, plays the events and
// closes the player; the tool's exit code (1 when the session could not start).
int PlayEvents(const char* tool, PlayerOptions options, const std::vector<SimEvent>& events);

} // namespace ToolSupport
