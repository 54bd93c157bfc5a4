// tervane-sim: plays a time sheet against a simulated media player and a simulated HID bus
// with one Tervane device, and prints every report the device receives.
//
//   tervane-sim SHEET.tms [--duration SECONDS] [--events "E1; E2; ..."] [--events-file FILE]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/PlaybackSim.h"

namespace {

// Positions must stay inside the 32-bit ten-thousandths range of command times.
constexpr double kMaxDuration = 200000.0;

const char kUsage[] =
    "usage: tervane-sim SHEET.tms [--duration SECONDS] [--events \"E1; E2; ...\"] [--events-file FILE]\n"
    "events: play, pause, stop, seek S, rate R, wait S, preview P L, preview off,\n"
    "        add S P L, remove S, deleteall, load PATH, unplug, replug\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tervane-sim: %s\n%s", message.c_str(), kUsage);
    return 2;
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

} // namespace

int main(int argc, char** argv)
{
    std::string sheet;
    double duration = 60.0;
    std::vector<SimEvent> events;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        std::string error;
        if (arg == "--duration") {
            if (!hasValue)
                return Fail("--duration needs a number of seconds");
            char* end = nullptr;
            duration = std::strtod(argv[++i], &end);
            if (*end != '\0' || !std::isfinite(duration) || duration <= 0.0 || duration > kMaxDuration)
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
            if (!ReadWholeFile(argv[++i], text))
                return Fail(std::string("cannot read the events file '") + argv[i] + "'");
            if (!ParseSimEvents(text, events, error))
                return Fail(std::string(argv[i]) + ": " + error);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option '" + arg + "'");
        } else if (sheet.empty()) {
            sheet = arg;
        } else {
            return Fail("more than one time sheet: '" + sheet + "' and '" + arg + "'");
        }
    }
    if (sheet.empty())
        return Fail("no time sheet given");

    CPlaybackSim sim(duration, [](const std::string& line) { std::printf("%s\n", line.c_str()); });
    std::string error;
    if (!sim.Open(sheet, error)) {
        std::fprintf(stderr, "tervane-sim: %s\n", error.c_str());
        return 1;
    }
    for (const SimEvent& e : events)
        sim.Apply(e);
    sim.Close();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
