// tervane-soak: the plug-in over a long life in the simulated player. First the player closes
// and creates the editor again and again, then it creates and releases the whole plug-in
// object again and again; all the while it samples the process's GDI and USER objects, its
// handles and threads and the memory system's bytes in use, and requires that nothing grows
// once the first cycles are over (beyond the stated tolerance). Last it plays an hour-long
// sheet for an hour of virtual time and checks every tick's device state against the sheet.
// Needs a display.
//
//   tervane-soak [--editor-cycles N] [--plugin-cycles N] [--hour S]
//
// Exit code 0 when nothing grew and every tick matched, 1 otherwise, 2 on bad arguments.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "sim/PlayerSession.h"
#include "sim/ToolSupport.h"
#include "soak/ProcessSample.h"

namespace Quorvel { namespace Base { namespace Allocator {
// The bytes in use are counted from the first allocation on (and every block is guarded).
extern const bool kCheckBlockGuards = true;
}}} // namespace Quorvel::Base::Allocator

namespace {

const char kDemoSheet[] =
#include "sample_demo_tms.inc"
    ;
const char kNewsPage[] =
#include "sample_news_html.inc"
    ;

using Sample = ProcessSample;

// What may come and go without being a leak: the memory system keeps small free lists, and
// Wine's window manager a handle or two of its own.
const Sample kTolerance = {0, 0, 2, 0, 16 * 1024};
const char* const kNames[] = {"GDI objects", "windows", "handles", "threads", "bytes in use"};

long Field(const Sample& s, int i)
{
    const long fields[] = {s.gdi, s.user, s.handles, s.threads, s.bytes};
    return fields[i];
}

Sample Take()
{
    return TakeProcessSample();
}

void Print(const char* phase, int cycle, const Sample& s)
{
    std::printf("sample %s cycle=%d gdi=%ld windows=%ld handles=%ld threads=%ld bytes=%ld\n", phase, cycle, s.gdi,
                s.user, s.handles, s.threads, s.bytes);
    std::fflush(stdout);
}

// Every sample after the baseline against it: the growth of the last one and the most of any.
bool Judge(const char* phase, const std::vector<Sample>& samples, size_t baseline)
{
    bool steady = true;
    for (int i = 0; i < 5; ++i) {
        long most = 0;
        for (size_t k = baseline; k < samples.size(); ++k)
            most = std::max(most, Field(samples[k], i) - Field(samples[baseline], i));
        const long last = Field(samples.back(), i) - Field(samples[baseline], i);
        const bool ok = most <= Field(kTolerance, i);
        std::printf("%s %s: %s: %ld at the baseline, %+ld at the end, at most %+ld (tolerance %ld)\n",
                    ok ? "steady" : "GROWS", phase, kNames[i], Field(samples[baseline], i), last, most,
                    Field(kTolerance, i));
        steady = steady && ok;
    }
    std::fflush(stdout);
    return steady;
}

std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "tervane-soak-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool WriteText(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// The ticker reads a page of ours: what the system's HTML component (absent under Wine) would
// hold is not the plug-in's to count.
PlayerOptions Options(const std::string& folder, const std::string& sheet, double duration)
{
    PlayerOptions options;
    options.news = folder + "\\news.html";
    options.moduleFolder = ToolSupport::ProductFolderOfTool();
    options.settings = folder;
    options.sheet = sheet;
    options.duration = duration;
    return options;
}

SimEvent Event(const char* text)
{
    std::vector<SimEvent> events;
    std::string error;
    ParseSimEvents(text, events, error, true);
    return events.front();
}

bool SoakEditor(const std::string& folder, const std::string& sheet, int cycles)
{
    CPlayerSession session(Options(folder, sheet, 600.0), [](const std::string&) {});
    std::string error;
    if (!session.Start(error)) {
        std::printf("the session could not start: %s\n", error.c_str());
        return false;
    }
    const SimEvent play = Event("play"), close = Event("close"), create = Event("create");
    session.Apply(play);
    std::vector<Sample> samples;
    const int baseline = std::min(20, cycles);
    for (int cycle = 0; cycle <= cycles; ++cycle) {
        if (cycle == baseline || cycle % 100 == 0 || cycle == cycles) {
            samples.push_back(Take());
            Print("editor", cycle, samples.back());
        }
        if (cycle == cycles)
            break;
        session.Apply(close);
        session.Apply(create);
        session.Tick();
        session.ForgetShownReports();
    }
    const size_t at = cycles >= 20 ? 1 : 0;
    const bool steady = Judge("editor", samples, std::min(at, samples.size() - 1));
    session.Finish();
    return steady;
}

bool SoakPlugin(const std::string& folder, const std::string& sheet, int cycles)
{
    std::vector<Sample> samples;
    const int baseline = std::min(5, cycles);
    for (int cycle = 0; cycle <= cycles; ++cycle) {
        if (cycle == baseline || cycle % 20 == 0 || cycle == cycles) {
            samples.push_back(Take());
            Print("plugin", cycle, samples.back());
        }
        if (cycle == cycles)
            break;
        CPlayerSession session(Options(folder, sheet, 60.0), [](const std::string&) {});
        std::string error;
        if (!session.Start(error)) {
            std::printf("the session could not start: %s\n", error.c_str());
            return false;
        }
        session.Apply(Event("play"));
        for (int tick = 0; tick < 3; ++tick)
            session.Tick();
        session.Finish();
    }
    const size_t at = cycles >= 5 ? 1 : 0;
    return Judge("plugin", samples, std::min(at, samples.size() - 1));
}

struct Command {
    int time; // ten-thousandths of a second
    int pattern, level;
};

// A command every 1.3 s, off the tick grid, each a change of pattern or level.
std::vector<Command> HourSheet(int seconds, std::string& text)
{
    std::vector<Command> commands;
    text = "C:\\Movies\\hour.wmv\r\n";
    for (int i = 1; i < 10; ++i)
        text += "header " + std::to_string(i) + "\r\n";
    for (int i = 1; 13000 * i < seconds * 10000; ++i) {
        const Command c = {13000 * i, i % 10, (i * 7) % 11};
        commands.push_back(c);
        text += std::to_string(c.time) + "\t" + std::to_string(c.pattern) + "\t" + std::to_string(c.level) + "\t0\t0\r\n";
    }
    return commands;
}

// What the device shows after every tick must be the sheet's latest command at that position.
bool PlayHour(const std::string& folder, int seconds)
{
    std::string text;
    const std::vector<Command> commands = HourSheet(seconds, text);
    const std::string sheet = folder + "\\hour.tms";
    if (!WriteText(sheet, text))
        return false;
    struct Shown {
        int tenths;
        char pattern, level;
    };
    std::vector<Shown> shown;
    bool playing = true; // what the device receives as the player closes is not the sheet's
    CPlayerSession session(Options(folder, sheet, seconds + 1.0), [&shown, &playing](const std::string& line) {
        double t = 0.0;
        const size_t p = line.find("pattern="), l = line.find("level=");
        if (playing && line.compare(0, 9, "report t=") == 0 && p != std::string::npos && l != std::string::npos &&
            std::sscanf(line.c_str() + 9, "%lf", &t) == 1)
            shown.push_back({static_cast<int>(t * 10.0 + 0.5), line[p + 8], line[l + 6]});
    });
    std::string error;
    if (!session.Start(error)) {
        std::printf("the session could not start: %s\n", error.c_str());
        return false;
    }
    session.Apply(Event("play"));
    const DWORD begin = GetTickCount();
    for (int tick = 0; tick < seconds * 10; ++tick)
        session.Tick();
    const DWORD took = GetTickCount() - begin;
    playing = false;
    session.Finish();

    size_t next = 0, report = 0;
    long mismatches = 0;
    char pattern = '0', level = '0';
    for (int tenths = 1; tenths <= seconds * 10; ++tenths) {
        while (next < commands.size() && commands[next].time <= tenths * 1000)
            ++next;
        for (; report < shown.size() && shown[report].tenths <= tenths; ++report)
            pattern = shown[report].pattern, level = shown[report].level;
        const char wantPattern = next == 0 ? '0' : static_cast<char>('0' + commands[next - 1].pattern);
        const char wantLevel = next == 0 ? '0' : static_cast<char>('0' + commands[next - 1].level);
        if (pattern != wantPattern || level != wantLevel) {
            if (++mismatches <= 5)
                std::printf("tick at %.1f s: the device shows pattern %c level %c, the sheet says %c %c\n", tenths / 10.0,
                            pattern, level, wantPattern, wantLevel);
        }
    }
    std::printf("%s hour: %d ticks of virtual time, %u commands, %u reports, %ld ticks unlike the sheet (%.1f s, "
                "%.2f ms a tick)\n",
                mismatches == 0 ? "steady" : "WRONG", seconds * 10, static_cast<unsigned>(commands.size()),
                static_cast<unsigned>(shown.size()), mismatches, took / 1000.0, took / (seconds * 10.0));
    std::fflush(stdout);
    return mismatches == 0 && !shown.empty();
}

bool ParseCount(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    value = static_cast<int>(parsed);
    return *text != '\0' && *end == '\0' && parsed >= 0 && parsed <= 100000;
}

} // namespace

int main(int argc, char** argv)
{
    int editorCycles = 1000, pluginCycles = 100, hour = 3600;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        int* target = arg == "--editor-cycles" ? &editorCycles : arg == "--plugin-cycles" ? &pluginCycles
                                                               : arg == "--hour"          ? &hour
                                                                                          : nullptr;
        if (target == nullptr || i + 1 >= argc || !ParseCount(argv[++i], *target)) {
            std::fprintf(stderr, "usage: tervane-soak [--editor-cycles N] [--plugin-cycles N] [--hour S]\n");
            return 2;
        }
    }
    const std::string folder = TempFolder();
    const std::string sheet = folder + "\\demo.tms";
    if (!WriteText(sheet, kDemoSheet) || !WriteText(folder + "\\news.html", kNewsPage)) {
        std::printf("cannot write %s\n", sheet.c_str());
        return 1;
    }
    const bool editor = SoakEditor(folder, sheet, editorCycles);
    const bool plugin = SoakPlugin(folder, sheet, pluginCycles);
    const bool played = hour == 0 || PlayHour(folder, hour);
    DeleteFileA(sheet.c_str());
    DeleteFileA((folder + "\\news.html").c_str());
    DeleteFileA((folder + "\\hour.tms").c_str());
    DeleteFileA((folder + "\\info.txt").c_str());
    RemoveDirectoryA(folder.c_str());
    std::printf("tervane-soak: %s\n", editor && plugin && played ? "nothing grew, every tick matched" : "FAILED");
    return editor && plugin && played ? 0 : 1;
}
