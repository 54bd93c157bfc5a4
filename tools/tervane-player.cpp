// tervane-player: opens a window standing for the media player's plug-in area, creates the
// plug-in object in it (linked in, or loaded from a built DLL with --dll), gives it a
// simulated player core and plays a script of player, editor and user events. It prints the
// device's reports, prompts and shell requests, and can take pictures of the editor and dump
// the editor's entries and the device's commands. Needs a display. With --device system the
// device is the virtual one below the system's own HID stack (a 64-bit Wine prefix).
//
//   tervane-player [--movie NAME] [--duration S] [--sheet PATH] [--settings DIR]
//                  [--size normal|wide|mini] [--events "E1; E2"] [--events-file F]
//                  [--news FILE] [--dll PATH] [--device sim|system] [--realtime]
//
// With --realtime the player's position follows the system's clock and the editor's own
// timers fire as they would in the player (a wait of S is S seconds), to measure timing.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/PlayerSession.h"
#include "sim/ToolSupport.h"

namespace {

const char kUsage[] =
    "usage: tervane-player [--movie NAME] [--duration S] [--sheet PATH] [--settings DIR]\n"
    "                      [--size normal|wide|mini] [--events \"E1; E2\"] [--events-file F]\n"
    "                      [--news FILE] [--dll PATH] [--device sim|system] [--realtime]\n"
    "events: play, pause, stop, seek S, rate R, wait S, preview P L, preview off, add S P L,\n"
    "        remove S, deleteall, load PATH, unplug, replug, fault open|write [N]|timeout [N]|none,\n"
    "        open NAME DURATION, close, create,\n"
    "        press ID, click [MODS] X Y, rclick [MODS] X Y, move X Y, drag [MODS] X1 Y1 X2 Y2,\n"
    "        wheel X Y N, type TEXT, key NAME, drop PATH..., answer yes|no|ok|cancel|PATH,\n"
    "        clip TEXT, shot FILE, dump      (MODS: shift, ctrl, alt joined by '+')\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tervane-player: %s\n%s", message.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    PlayerOptions options;
    std::vector<SimEvent> events;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-' || arg[1] != '-')
            return Fail("unexpected argument '" + arg + "'");
        if (arg == "--realtime") {
            options.realTime = true;
            continue;
        }
        if (i + 1 >= argc)
            return Fail(arg + " needs a value");
        const std::string value = argv[++i];
        std::string error;
        if (arg == "--movie") {
            if (value.empty())
                return Fail("--movie needs a name");
            options.movie = value;
        } else if (arg == "--duration") {
            char* end = nullptr;
            options.duration = std::strtod(value.c_str(), &end);
            if (*end != '\0' || !std::isfinite(options.duration) || options.duration <= 0.0 ||
                options.duration > 200000.0)
                return Fail("bad duration '" + value + "': seconds above 0 and up to 200000");
        } else if (arg == "--sheet") {
            options.sheet = value;
        } else if (arg == "--settings") {
            const DWORD attributes = GetFileAttributesA(value.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                return Fail("--settings needs an existing folder, not '" + value + "'");
            options.settings = value;
        } else if (arg == "--size") {
            if (value == "normal")
                options.size = 0;
            else if (value == "wide")
                options.size = 1;
            else if (value == "mini")
                options.size = -1;
            else
                return Fail("bad size '" + value + "': normal, wide or mini");
        } else if (arg == "--events") {
            if (!ParseSimEvents(ToolSupport::FromUtf8IfItIs(value), events, error, true))
                return Fail(error);
        } else if (arg == "--events-file") {
            std::string text;
            if (!ToolSupport::ReadWholeFile(value, text))
                return Fail("cannot read the events file '" + value + "'");
            if (!ParseSimEvents(ToolSupport::FromUtf8IfItIs(text), events, error, true))
                return Fail(value + ": " + error);
        } else if (arg == "--news") {
            options.news = value;
        } else if (arg == "--dll") {
            options.dll = value;
        } else if (arg == "--device") {
            if (!ToolSupport::ParseDevice(value, options, error))
                return Fail(error);
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }
    return ToolSupport::PlayEvents("tervane-player", options, events);
}
