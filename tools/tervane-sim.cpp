// tervane-sim: plays a time sheet in the real plug-in (linked in, or loaded from a built DLL
// with --dll) inside a simulated media player, with a simulated HID bus that has one Tervane
// device or, with --device system, the virtual device below the system's own HID stack, and
// prints every report the device receives. The player opens the movie the sheet names (or
// "movie.wmv"), so that the sheet plays rather than rests as against another movie. Needs a display, as the plug-in's editor window is real.
//
//   tervane-sim SHEET.tms [--duration SECONDS] [--events "E1; E2; ..."] [--events-file FILE]
//               [--dll PATH] [--device sim|system] [--realtime]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "base/file/FilePath.h"
#include "sheet/SheetDocument.h"
#include "sim/PlayerSession.h"
#include "sim/ToolSupport.h"

namespace {

// Positions must stay inside the 32-bit ten-thousandths range of command times.
constexpr double kMaxDuration = 200000.0;

const char kUsage[] =
    "usage: tervane-sim SHEET.tms [--duration SECONDS] [--events \"E1; E2; ...\"] [--events-file FILE]\n"
    "                   [--dll PATH] [--device sim|system] [--realtime]\n"
    "events: play, pause, stop, seek S, rate R, wait S, preview P L, preview off,\n"
    "        add S P L, remove S, deleteall, load PATH, unplug, replug,\n"
    "        fault open|write [N]|timeout [N]|none\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tervane-sim: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// A settings folder of this run only: the simulation neither reads nor changes the one the
// plug-in keeps beside itself.
class CScratchSettings {
public:
    CScratchSettings()
    {
        char temp[MAX_PATH] = {};
        char name[MAX_PATH] = {};
        if (GetTempPathA(MAX_PATH, temp) != 0 && GetTempFileNameA(temp, "tsm", 0, name) != 0) {
            DeleteFileA(name);
            if (CreateDirectoryA(name, nullptr))
                m_folder = name;
        }
    }
    ~CScratchSettings()
    {
        if (m_folder.empty())
            return;
        DeleteFileA((m_folder + "\\info.txt").c_str());
        RemoveDirectoryA(m_folder.c_str());
    }
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
};

} // namespace

int main(int argc, char** argv)
{
    PlayerOptions options;
    std::vector<SimEvent> events;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::string error;
        if (arg == "--duration") {
            if (!hasValue)
                return Fail("--duration needs a number of seconds");
            char* end = nullptr;
            options.duration = std::strtod(argv[++i], &end);
            if (*end != '\0' || !std::isfinite(options.duration) || options.duration <= 0.0 ||
                options.duration > kMaxDuration)
                return Fail(std::string("bad duration '") + argv[i] + "': seconds above 0 and up to 200000");
        } else if (arg == "--events") {
            if (!hasValue)
                return Fail("--events needs a list of events");
            if (!ParseSimEvents(argv[++i], events, error))
                return Fail(error);
        } else if (arg == "--events-file") {
            if (!hasValue)
                return Fail("--events-file needs a file");
            std::string text;
            if (!ToolSupport::ReadWholeFile(argv[++i], text))
                return Fail(std::string("cannot read the events file '") + argv[i] + "'");
            if (!ParseSimEvents(ToolSupport::FromUtf8IfItIs(text), events, error))
                return Fail(std::string(argv[i]) + ": " + error);
        } else if (arg == "--dll") {
            if (!hasValue)
                return Fail("--dll needs the path of a built TervanePlugin.dll");
            options.dll = argv[++i];
        } else if (arg == "--realtime") {
            options.realTime = true;
        } else if (arg == "--device") {
            if (!hasValue || !ToolSupport::ParseDevice(argv[++i], options, error))
                return Fail(hasValue ? error : "--device needs sim or system");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option '" + arg + "'");
        } else if (options.sheet.empty()) {
            options.sheet = arg;
        } else {
            return Fail("more than one time sheet: '" + options.sheet + "' and '" + arg + "'");
        }
    }
    if (options.sheet.empty())
        return Fail("no time sheet given");
    CSheetDocument probe;
    if (probe.Load(options.sheet.c_str()) != SheetRead::kRead) {
        std::fprintf(stderr, "tervane-sim: cannot read a time sheet from '%s' (missing, unreadable, too large or "
                             "no time sheet)\n",
                     options.sheet.c_str());
        return 1;
    }
    // The movie the sheet was made for, by file name: a sheet rests against any other one.
    const std::string named = probe.HeaderLine(0);
    if (!Quorvel::Base::File::ExtensionOfPath(named).empty())
        options.movie = Quorvel::Base::File::FileNameOfPath(named);

    // A loaded DLL keeps its settings where the product keeps them.
    CScratchSettings settings;
    if (options.dll.empty())
        options.settings = settings.Folder();
    return ToolSupport::PlayEvents("tervane-sim", options, events);
}
