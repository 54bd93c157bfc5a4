#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/PlayerSession.h"
#include "sim/ToolSupport.h"
#include "support/ScratchFile.h"
#include "support/SkinFiles.h"

namespace {

const char kSheet[] = "111111\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n"
                      "50000\t1\t3\t0\t0\n100000\t2\t5\t0\t0\n";

// Runs a simulation of the given events and returns the lines that start with prefix.
struct SimRun {
    std::vector<std::string> lines;

    std::vector<std::string> Starting(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            if (l.compare(0, prefix.size(), prefix) == 0)
                out.push_back(l);
        return out;
    }
};

std::vector<SimEvent> Events(const std::string& text)
{
    std::vector<SimEvent> events;
    std::string error;
    EXPECT_TRUE(ParseSimEvents(text, events, error)) << error;
    return events;
}

// The options of tervane-sim: the sheet loaded at start, a settings folder of the run's own.
PlayerOptions SimOptions(const CScratchFile& sheet, const TestSupport::CTempDir& settings, double duration)
{
    PlayerOptions options;
    options.sheet = sheet.Path();
    options.settings = settings.Path();
    options.duration = duration;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    options.moduleFolder = folder;
    return options;
}

SimRun Simulate(const std::string& events, double duration = 60.0)
{
    SimRun run;
    CScratchFile sheet(kSheet);
    TestSupport::CTempDir settings;
    CPlayerSession session(SimOptions(sheet, settings, duration),
                           [&run](const std::string& l) { run.lines.push_back(l); });
    std::string error;
    EXPECT_TRUE(session.Start(error)) << error;
    for (const SimEvent& e : Events(events))
        session.Apply(e);
    session.Finish();
    return run;
}

// Report lines reduced to position and the three changing characters.
std::vector<std::string> Brief(const SimRun& run)
{
    std::vector<std::string> out;
    for (const std::string& l : run.Starting("report ")) {
        const size_t t = l.find("t="), p = l.find("pattern="), v = l.find("level="), z = l.find("pause=");
        out.push_back(l.substr(t + 2, l.find(' ', t) - t - 2) + " " + l.substr(z + 6, 1) + l.substr(p + 8, 1) +
                      l.substr(v + 6, 1));
    }
    return out;
}

} // namespace

TEST(SimEvents, ParsesEveryEventAndItsArguments)
{
    std::vector<SimEvent> e = Events("play; pause;stop\n seek 7.5 ; rate 1.5; wait 1.25\n"
                                     "# a comment line\npreview 3 12; preview off; add 12.3456 4 7 # why\n"
                                     "remove 0.00019; deleteall; load C:\\my sheets\\a.tms; unplug; replug;;"
                                     "fault open; fault write; fault timeout 3; fault none");
    ASSERT_EQ(e.size(), 18u);
    const SimEvent::Kind kinds[] = {SimEvent::kPlay,    SimEvent::kPause,      SimEvent::kStop,   SimEvent::kSeek,
                                    SimEvent::kRate,    SimEvent::kWait,       SimEvent::kPreview, SimEvent::kPreviewOff,
                                    SimEvent::kAdd,     SimEvent::kRemove,     SimEvent::kDeleteAll, SimEvent::kLoad,
                                    SimEvent::kUnplug,  SimEvent::kReplug};
    for (size_t i = 0; i < 14; ++i)
        EXPECT_EQ(e[i].kind, kinds[i]) << i;
    EXPECT_EQ(e[3].value, 7.5);
    EXPECT_EQ(e[4].value, 1.5);
    EXPECT_EQ(e[5].ticks, 13) << "1.25 s is 12.5 ticks, rounded";
    EXPECT_EQ(e[6].pattern, 3);
    EXPECT_EQ(e[6].level, 12);
    EXPECT_EQ(e[8].time, 123456) << "12.3456 x 10000 lies a hair below 123456, which it means, as in the editor";
    EXPECT_EQ(e[8].pattern, 4);
    EXPECT_EQ(e[8].level, 7);
    EXPECT_EQ(e[9].time, 1);
    EXPECT_EQ(e[11].path, "C:\\my sheets\\a.tms");
    const char* faults[] = {"open", "write", "timeout", "none"};
    const long long counts[] = {-1, -1, 3, -1};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(e[14 + i].kind, SimEvent::kFault);
        EXPECT_EQ(e[14 + i].path, faults[i]);
        EXPECT_EQ(e[14 + i].ticks, counts[i]) << faults[i];
    }
}

TEST(SimEvents, RejectsMalformedEventsWithAMessage)
{
    const char* bad[] = {"jump",      "play 3",       "seek",       "seek -1",   "seek x",      "seek nan",
                         "rate 0",    "rate -2",      "wait 1e9",   "wait inf",  "preview 3",   "preview on",
                         "add 1 2",   "add 1 2 3.5",  "remove",     "load",      "add 1 99999999999 0",
                         "seek 1e300", "fault",        "fault loose", "fault open 2", "fault write 0",
                         "fault timeout x", "fault none 1", "fault write 1 2"};
    for (const char* text : bad) {
        std::vector<SimEvent> events;
        std::string error;
        EXPECT_FALSE(ParseSimEvents(std::string("play; ") + text, events, error)) << text;
        EXPECT_NE(error.find(text), std::string::npos) << text << " -> " << error;
    }
}

TEST(PlaybackSession, ReportLinesCarryPositionBytesAndTheChangingCharacters)
{
    const uint8_t report[16] = {0, '<', '0', '1', '5', '2', '1', '3', ':', '0', '0', 1, 2, 3, 'h', '>'};
    EXPECT_EQ(FormatReportLine(12.3456, report),
              "report t=12.346 bytes=00 3C 30 31 35 32 31 33 3A 30 30 01 02 03 68 3E pattern=3 level=: pause=1");
}

// The position is computed from the last base, never by adding 0.1 over and over, which
// drifts: 1.7 plus thirty tenths added one by one is 4.699999999999999.
TEST(PlaybackSession, ThePositionIsTheBasePlusTicksTimesRate)
{
    CScratchFile sheet(kSheet);
    TestSupport::CTempDir settings;
    CPlayerSession session(SimOptions(sheet, settings, 600.0), [](const std::string&) {});
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    for (const SimEvent& e : Events("seek 1.7; play; wait 3"))
        session.Apply(e);
    EXPECT_EQ(session.Player().Position(), 4.7);
    for (const SimEvent& e : Events("rate 1.3; wait 7.3"))
        session.Apply(e);
    const double base = 1.7 + 30 * 1.0 / 10;
    EXPECT_EQ(session.Player().Position(), base + 73 * 1.3 / 10);
    for (const SimEvent& e : Events("pause; wait 5"))
        session.Apply(e);
    EXPECT_EQ(session.Player().Position(), base + 73 * 1.3 / 10) << "paused positions stay";
    for (const SimEvent& e : Events("stop"))
        session.Apply(e);
    EXPECT_EQ(session.Player().Position(), 0.0);
}

TEST(PlaybackSession, PlaysTheSheetWithPauseSeekAndEnd)
{
    const SimRun run = Simulate("play; wait 6; pause; wait 1; play; wait 5; seek 7; wait 0.1; wait 5", 12.0);
    EXPECT_EQ(Brief(run), (std::vector<std::string>{
                              "0.100 000", "0.100 000", // the all-zero command
                              "5.000 010", "5.000 013", // 5 s
                              "6.000 113",              // paused
                              "6.000 013",              // resumed
                              "10.000 023", "10.000 025",
                              "7.000 015", "7.000 013", // sought back into the 5 s span
                              "10.000 023", "10.000 025",
                              "0.000 005", "0.000 000", // the medium ended and stopped
                              "0.000 000", "0.000 000", // the player closes
                          }));
    EXPECT_EQ(run.Starting("player ended").size(), 1u);
}

TEST(PlaybackSession, EventsTheRealPlayerIgnoresChangeNothing)
{
    const SimRun run = Simulate("pause; stop; play; play; wait 1; pause; pause; stop; stop");
    EXPECT_EQ(run.Starting("event pause ignored").size(), 2u);
    EXPECT_EQ(run.Starting("event stop ignored").size(), 2u);
    EXPECT_EQ(run.Starting("event play ignored").size(), 1u);
    EXPECT_EQ(Brief(run), (std::vector<std::string>{"0.100 000", "0.100 000", "1.000 100", "0.000 100", "0.000 100",
                                                    "0.000 100", "0.000 100"}))
        << "one pause, one stop, and the two stop reports of closing";
}

TEST(PlaybackSession, StopDuringPreviewReachesTheDeviceWhenThePreviewEnds)
{
    const SimRun run = Simulate("play; wait 5.5; preview 7 9; stop; wait 1; preview off");
    EXPECT_EQ(Brief(run), (std::vector<std::string>{"0.100 000", "0.100 000", "5.000 010", "5.000 013",
                                                    "5.500 073", "5.500 079", "5.500 079", // preview
                                                    "0.000 009", "0.000 000", "0.000 010", "0.000 013",
                                                    "0.000 003", "0.000 000", // the pending stop
                                                    "0.000 000", "0.000 000"}));
}

TEST(PlaybackSession, AnUnpluggedDeviceGetsTheCurrentCommandAgainOnlyWhenTheNextOneIsDue)
{
    const SimRun run = Simulate("play; wait 6; unplug; wait 2; replug; wait 3");
    EXPECT_EQ(Brief(run), (std::vector<std::string>{"0.100 000", "0.100 000", "5.000 010", "5.000 013",
                                                    "10.000 025", // the pattern report was lost in the reconnect
                                                    "11.000 005", "11.000 000"}));
}

TEST(PlaybackSession, EditsAndLoadsTakeEffectOnTheNextTick)
{
    CScratchFile other("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n30000\t8\t8\n");
    CScratchFile headerOnly("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
    const SimRun run = Simulate(std::string("play; wait 2; add 2.5 6 6; remove 5; wait 5; load ") + headerOnly.Path() +
                           "; wait 1; load " + other.Path() + "; seek 1; wait 3; deleteall; wait 1");
    EXPECT_EQ(run.Starting("load ").size(), 3u) << "the sheet at the start, then the two loads";
    EXPECT_EQ(Brief(run), (std::vector<std::string>{
                              "0.100 000", "0.100 000", "2.500 060", "2.500 066", // the added command
                              // nothing at 5 s: removed; nothing from the failed load either
                              "1.000 006", "1.000 000", // the new sheet: before its first command
                              "3.000 080", "3.000 088",
                              "4.000 008", "4.000 000", // delete all
                              "5.000 000", "5.000 000"}));
}

// The tools' --device takes the simulated bus or the system's stack, nothing else.
TEST(SimEvents, DeviceOptionTakesSimOrSystem)
{
    const struct {
        const char* value;
        bool taken;
        bool system;
    } cases[] = {{"sim", true, false}, {"system", true, true}, {"", false, false}, {"System", false, false},
                 {"usb", false, false}, {"system ", false, false}};
    for (const auto& k : cases) {
        PlayerOptions options;
        options.systemDevice = !k.system; // a refused value leaves it as it was
        std::string error;
        EXPECT_EQ(k.taken, ToolSupport::ParseDevice(k.value, options, error)) << k.value;
        EXPECT_EQ(k.taken ? k.system : !k.system, options.systemDevice) << k.value;
        EXPECT_EQ(k.taken, error.empty()) << k.value << ": " << error;
    }
}
