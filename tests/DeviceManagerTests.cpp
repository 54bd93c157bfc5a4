#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimHidBus.h"
#include "device/TervaneManager.h"
#include "sheet/SheetDocument.h"
#include "support/ScratchFile.h"

namespace {

const char kHeader[] = "111111\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";

// One Tervane on a simulated bus, the device opened as the media-open procedure opens it,
// and the sheet document the manager plays. Reports are read back as pause flag, pattern digit
// and level digit: "013" is running, pattern 1, level 3.
class DeviceManager : public ::testing::Test {
protected:
    DeviceManager() : m_device(m_bus.AddTervane()), m_manager(new CTervaneManager(m_bus))
    {
        m_manager->Follow(&m_sheet);
    }

    CTervaneManager& Manager() { return *m_manager; }

    void SheetOf(const std::string& records)
    {
        CScratchFile file(kHeader + records);
        ASSERT_EQ(SheetRead::kRead, m_sheet.Load(file.Path()));
    }

    void OpenDevice() { ASSERT_TRUE(Manager().Device().Connect()); }

    // A load by path with the device already found: load, then Start.
    void Armed(const std::string& records)
    {
        SheetOf(records);
        OpenDevice();
        Manager().Start();
    }

    // The reports written since the last call.
    std::vector<std::string> Sent()
    {
        std::vector<std::string> out;
        const auto& reports = m_bus.Reports();
        for (; m_seen < reports.size(); ++m_seen) {
            const auto& b = reports[m_seen].bytes;
            out.push_back(std::string{static_cast<char>(b[6]), static_cast<char>(b[7]), static_cast<char>(b[8])});
        }
        return out;
    }

    // Feeds the positions one tick each and returns what they sent.
    std::vector<std::string> Play(std::initializer_list<double> positions)
    {
        for (double s : positions)
            Manager().UpdatePosition(s);
        return Sent();
    }

    using Sends = std::vector<std::string>;

    CSimHidBus m_bus;
    size_t m_device;
    CSheetDocument m_sheet;
    std::unique_ptr<CTervaneManager> m_manager;
    size_t m_seen = 0;
};

const char kFiveAndTen[] = "50000\t1\t3\t0\t0\n100000\t2\t5\t0\t0\n";

} // namespace

TEST_F(DeviceManager, PlaysFromZeroAndResendsOnlyWhenTheDueCommandChanges)
{
    Armed(kFiveAndTen);
    struct Step {
        double position;
        Sends expected;
    };
    const Step steps[] = {
        {0.0, {}},
        {0.1, {"000", "000"}},
        {0.2, {}},
        {4.9, {}},
        {5.0, {"010", "013"}},
        {7.5, {}},
        {10.0, {"023", "025"}},
        {12.0, {}},
        {7.0, {"015", "013"}},
        {7.1, {}},
        {2.0, {"003", "000"}},
    };
    for (const Step& s : steps)
        EXPECT_EQ(Play({s.position}), s.expected) << "at " << s.position << " s";
}

// Start leaves nothing in effect: wherever the movie is, the command due there is sent at the
// next tick, a first command at 0 s included; 0.0 itself selects nothing.
TEST_F(DeviceManager, StartSendsWhatIsDueAtTheNextTickAndACommandAtZeroPlays)
{
    Armed(kFiveAndTen);
    EXPECT_EQ(Play({6.0, 7.0, 9.9}), (Sends{"010", "013"}));
    EXPECT_EQ(Play({10.0}), (Sends{"023", "025"}));

    Armed("0\t4\t4\n50000\t1\t3\n");
    EXPECT_EQ(Play({0.0}), Sends{}) << "0.0 selects nothing";
    EXPECT_EQ(Play({0.1, 2.0, 4.9}), (Sends{"045", "044"})) << "the first point, at 0 s, plays from the start";
    EXPECT_EQ(Play({5.0, 0.0}), (Sends{"014", "013"}));
    EXPECT_EQ(Play({0.1}), (Sends{"043", "044"})) << "back in its span after a later command";
}

TEST_F(DeviceManager, OfEqualTimesTheLaterOneIsSent)
{
    Armed("50000\t1\t1\n50000\t2\t2\n80000\t3\t3\n80000\t4\t4\n");
    EXPECT_EQ(Play({4.0, 5.0}), (Sends{"000", "000", "020", "022"})) << "before 5 s the due command is the all-zero one";
    EXPECT_EQ(Play({8.0}), (Sends{"042", "044"}));
}

TEST_F(DeviceManager, PreviewHoldsBackADueCommandAndStopPreviewRestoresIt)
{
    Armed(kFiveAndTen);
    Play({0.1, 4.0});
    Manager().StartPreview(7, 9);
    EXPECT_EQ(Sent(), (Sends{"070", "079", "079"})) << "pattern, level, then resume";
    EXPECT_EQ(Play({5.0, 6.0}), Sends{}) << "held back";
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"009", "000", "010", "013"})) << "stop, then the held-back command";
    EXPECT_EQ(Play({6.1}), Sends{});
}

// A second press while previewing must not take the preview's own values for the ones to
// restore, and ending a preview that never began must not stop the device.
TEST_F(DeviceManager, PreviewIgnoresARepeatedStartAndAStopWithoutPreview)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().StopPreview();
    EXPECT_EQ(Sent(), Sends{}) << "not previewing";
    Manager().StartPreview(7, 9);
    Sent();
    Manager().StartPreview(2, 2);
    EXPECT_EQ(Sent(), Sends{}) << "already previewing";
    EXPECT_TRUE(Manager().IsPreviewing());
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"009", "000", "010", "013"})) << "the values from before the first start";
    Manager().StopPreview();
    EXPECT_EQ(Sent(), Sends{}) << "stopped already";
}

// The result is the position in ten-thousandths, except on the tick whose due command a
// preview holds back.
TEST_F(DeviceManager, UpdatePositionAnswersZeroWhenAPreviewHoldsACommandBack)
{
    Armed(kFiveAndTen);
    EXPECT_EQ(Manager().UpdatePosition(0.1), 1000);
    Manager().StartPreview(7, 9);
    EXPECT_EQ(Manager().UpdatePosition(4.0), 40000) << "nothing new is due";
    EXPECT_EQ(Manager().UpdatePosition(5.0), 0) << "the 5 s command is held back";
    EXPECT_EQ(Manager().UpdatePosition(6.0), 60000) << "held already";
    Manager().StopPreview();
    EXPECT_EQ(Manager().UpdatePosition(10.0), 100000);
}

TEST_F(DeviceManager, StopDuringPreviewWaitsForThePreviewToEnd)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().Device().Pause();
    Sent();
    Manager().StartPreview(6, 6);
    Sent();
    Manager().FollowPlayState(1); // the media player stopped while previewing
    EXPECT_TRUE(Manager().IsStopPending());
    EXPECT_EQ(Sent(), Sends{});
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"006", "000", "010", "013", "003", "000"}))
        << "stop, the saved values, and stop again";
    EXPECT_FALSE(Manager().IsStopPending());

    Manager().StartPreview(6, 6);
    Sent();
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"006", "000", "000", "000"}))
        << "no pause was saved this time and nothing is pending";
}

// When a preview ends the device takes the player's state of then, not the one the preview
// began in, and the command in effect then.
TEST_F(DeviceManager, AfterAPreviewTheDeviceFollowsThePlayerOfNow)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().FollowPlayState(2);
    EXPECT_EQ(Sent(), (Sends{"113"}));
    Manager().StartPreview(6, 6);
    EXPECT_EQ(Sent(), (Sends{"163", "166", "066"}));
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"006", "000", "010", "013", "113"})) << "still paused";

    Manager().StartPreview(6, 6);
    Manager().FollowPlayState(3);
    EXPECT_EQ(Sent(), (Sends{"163", "166", "066"})) << "the player's play is held back";
    EXPECT_EQ(Play({10.0}), Sends{}) << "so is the command due";
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"006", "000", "020", "025"})) << "running, with the command of now";
    EXPECT_EQ(Play({10.1}), Sends{});

    Manager().StartPreview(6, 6);
    Manager().FollowPlayState(2);
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"065", "066", "066", "006", "000", "020", "025", "125"}))
        << "paused while previewing: paused after";
}

// Every change of the sheet that touches the command in effect reaches the device at the next
// tick, as if that command had just become due: an edit of the point being played, an insert
// over it, undo and redo, delete all; and while previewing it is what the preview restores.
// What the device gets is what the graph shows, and before 0 s (with the lead) it rests.
TEST_F(DeviceManager, TheDevicePlaysWhatTheSheetHoldsAfterEveryChange)
{
    Armed("20000\t1\t3\n50000\t2\t5\n");
    struct Step {
        const char* what;
        std::function<void()> act;
        double position;
        Sends expected;
    };
    CSheetDocument& sheet = m_sheet;
    const Step steps[] = {
        {"playing the 2 s point", [] {}, 2.5, {"010", "013"}},
        {"its pattern changed", [&] { sheet.Repattern(20, 7); }, 2.6, {"073", "073"}},
        {"dropped at its own time with another level", [&] { sheet.Move(20, 20000, 8); }, 2.7, {"073", "078"}},
        {"an insert over it", [&] { sheet.Insert(20000, 4, 4); }, 2.8, {"048", "044"}},
        {"undo", [&] { sheet.Undo(); }, 2.9, {"074", "078"}},
        {"undo again", [&] { sheet.Undo(); }, 3.0, {"078", "073"}},
        {"redo", [&] { sheet.Redo(); }, 3.1, {"073", "078"}},
        {"an edit elsewhere", [&] { sheet.Repattern(50, 6); }, 3.2, {}},
        {"previewing, its pattern changed", [&] {
             Manager().StartPreview(9, 9);
             Sent();
             sheet.Repattern(20, 1);
         }, 3.3, {}},
        {"the preview ends with it", [&] { Manager().StopPreview(); }, 3.4, {"009", "000", "010", "018"}},
        {"delete all", [&] { sheet.DeleteAll(); }, 3.5, {"008", "000"}},
        {"undone", [&] { sheet.Undo(); }, 3.6, {"010", "018"}},
        {"pattern 12, level 15 by hand", [&] { sheet.Insert(40000, 12, 15); }, 4.0, {"098", "09:"}},
        {"a lead of -500 ms near the start", [&] { Manager().SetLeadMs(-500); }, 0.2, {"00:", "000"}},
        {"still before the first point", [] {}, 0.6, {}},
        {"the lead reaches it", [] {}, 2.5, {"010", "018"}},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(Play({step.position}), step.expected) << step.what;
    }
    EXPECT_EQ(Manager().Current(), CommandData(20000, 1, 8));
}

// The timer hands positions to the manager only once a device handle exists; before that it
// calls Connect on every tick and Start once the device appears.
TEST_F(DeviceManager, WithoutADeviceItDisarmsAndStartRearmsOnceOneIsFound)
{
    CSimHidBus emptyBus;
    CTervaneManager manager(emptyBus);
    manager.Follow(&m_sheet);
    SheetOf(kFiveAndTen);
    EXPECT_TRUE(manager.IsArmed()) << "a new sheet arms";
    EXPECT_EQ(manager.UpdatePosition(5.0), 0);
    EXPECT_FALSE(manager.IsArmed());
    EXPECT_FALSE(manager.Device().Connect());

    emptyBus.AddTervane();
    ASSERT_TRUE(manager.Device().Connect());
    manager.Start();
    EXPECT_EQ(manager.UpdatePosition(10.0), 100000);
    ASSERT_EQ(emptyBus.Reports().size(), 2u);
    EXPECT_EQ(emptyBus.Reports()[1].bytes[7], '2');
}

// The graph shows a hand-made sheet in time order, and the device plays it so.
TEST_F(DeviceManager, AFileOutOfTimeOrderPlaysInTimeOrder)
{
    Armed("100000\t2\t5\n50000\t1\t3\n");
    EXPECT_EQ(Play({5.0}), (Sends{"010", "013"}));
    EXPECT_EQ(Play({10.0}), (Sends{"023", "025"})) << "the 10 s command is due at 10 s";
    EXPECT_EQ(Play({7.0}), (Sends{"015", "013"}));
}

TEST_F(DeviceManager, LoopRearmsAtPositionZero)
{
    SheetOf(kFiveAndTen);
    EXPECT_EQ(Manager().UpdatePosition(5.0), 0) << "no device: disarmed";
    OpenDevice();
    EXPECT_EQ(Play({5.0}), Sends{}) << "not armed";
    Play({0.0});
    EXPECT_TRUE(Manager().IsArmed());
    EXPECT_EQ(Play({5.0}), (Sends{"010", "013"}));
}

// The editor keeps its points when a load fails, so the device must keep playing them too.
TEST_F(DeviceManager, AFailedLoadChangesNothing)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    CScratchFile prose("no\ntime\nsheet\n");
    EXPECT_EQ(SheetRead::kNotSheet, m_sheet.Load(prose.Path()));
    EXPECT_EQ(SheetRead::kUnreadable, m_sheet.Load("Z:\\missing.tms"));
    EXPECT_EQ(Manager().Sheet().Count(), 2);
    EXPECT_TRUE(Manager().IsArmed());
    EXPECT_EQ(Play({5.1, 10.0}), (Sends{"023", "025"}));
}

// Another sheet ends a preview without a word and plays from the next tick, as if started.
TEST_F(DeviceManager, ASuccessfulLoadResetsEverythingAndSendsNothing)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().StartPreview(6, 6);
    Sent();
    SheetOf("20000\t4\t4\n");
    EXPECT_EQ(Sent(), Sends{}) << "not even when a preview was on";
    EXPECT_FALSE(Manager().IsPreviewing());
    EXPECT_TRUE(Manager().IsArmed());
    EXPECT_EQ(Manager().Current(), CommandData());
    EXPECT_EQ(Play({3.0}), (Sends{"046", "044"})) << "the 2 s command of the new sheet";
}

TEST_F(DeviceManager, DestructionStopsTheDeviceOnceAndClosesEverything)
{
    Armed(kFiveAndTen);
    Play({0.1, 10.0});
    ITask* task = m_manager.release(); // the plug-in object owns it as a task
    delete task;
    EXPECT_EQ(Sent(), (Sends{"005", "000"}));
    EXPECT_TRUE(m_bus.IsClean()) << m_bus.Accounting();
}

namespace {

// A position (ten-thousandths) and the pattern and level the device was sent there.
struct Arrival {
    int32_t at;
    int pattern;
    int level;
};

// The window's side of precise timing, in ten-thousandths: a tick every 100 ms at the rate,
// and before each tick the one-shot timers the manager asked for, each at the very position
// it asked for (starved: they never fire). Every command's second report (its pattern and
// level) is an arrival.
class PreciseTiming : public DeviceManager {
protected:
    std::vector<Arrival> Drive(int32_t from, int32_t to, double rate, bool starved = false)
    {
        const int32_t step = static_cast<int32_t>(std::lround(rate * 1000));
        const int32_t horizon = static_cast<int32_t>(std::lround(rate * 1200));
        std::vector<Arrival> arrivals;
        for (int32_t tick = from; tick < to; tick += step) {
            At(tick, arrivals);
            int32_t due[8];
            size_t count = Manager().DueBefore(tick / 10000.0, (tick + horizon) / 10000.0, due, 8);
            while (!starved && count > 0 && due[0] < tick + step) {
                const int32_t fired = due[0];
                At(fired, arrivals);
                count = Manager().DueBefore(fired / 10000.0, (fired + horizon) / 10000.0, due, 8);
            }
        }
        return arrivals;
    }

    void At(int32_t position, std::vector<Arrival>& arrivals)
    {
        const size_t before = m_bus.Reports().size();
        Manager().UpdatePosition(position / 10000.0);
        const auto& reports = m_bus.Reports();
        for (size_t i = before + 1; i < reports.size(); i += 2)
            arrivals.push_back({position, reports[i].bytes[7] - '0', reports[i].bytes[8] - '0'});
        Sent();
    }

    // Random times (any ten-thousandth, often several in one tick), each command differing
    // from the one before, no level 0.
    std::vector<Arrival> RandomSheet(uint32_t seed, int count)
    {
        uint32_t state = seed;
        auto next = [&state](uint32_t bound) {
            state = state * 1664525u + 1013904223u;
            return static_cast<int32_t>((static_cast<uint64_t>(state) * bound) >> 32);
        };
        std::vector<int32_t> times;
        while (static_cast<int>(times.size()) < count) {
            const int32_t t = 10000 + next(100000);
            if (std::find(times.begin(), times.end(), t) == times.end())
                times.push_back(t);
        }
        std::sort(times.begin(), times.end());
        std::vector<Arrival> sheet;
        std::string records;
        for (int32_t t : times) {
            Arrival c{t, next(10), 1 + next(9)};
            if (!sheet.empty() && (c.pattern == sheet.back().pattern || c.level == sheet.back().level))
                c = {t, (sheet.back().pattern + 1) % 10, sheet.back().level % 9 + 1};
            sheet.push_back(c);
            records += std::to_string(t) + "\t" + std::to_string(c.pattern) + "\t" + std::to_string(c.level) + "\n";
        }
        Armed(records);
        return sheet;
    }
};

} // namespace

// The model: with the setting on, every command of a random sheet reaches the device once, in
// order, at the very position it falls due (its time less the lead), at rates 1 and 2 and
// with the lead either way; with the timers starved, each still arrives, at the first tick
// after it. With the setting off the same drive sends the latest command of each tick only.
TEST_F(PreciseTiming, EveryCommandArrivesOnceInOrderAtItsOwnTime)
{
    for (double rate : {1.0, 2.0}) {
        for (int lead : {0, 30, -20}) {
            for (bool starved : {false, true}) {
                SCOPED_TRACE("rate " + std::to_string(rate) + " lead " + std::to_string(lead) +
                             (starved ? " starved" : ""));
                const std::vector<Arrival> sheet = RandomSheet(static_cast<uint32_t>(lead + 100 * rate), 60);
                Manager().SetLeadMs(lead);
                Manager().SetPreciseTiming(true);
                std::vector<Arrival> arrivals = Drive(1000, 120000, rate, starved);
                ASSERT_FALSE(arrivals.empty());
                EXPECT_EQ(arrivals.front().level, 0) << "the rest before the first command";
                arrivals.erase(arrivals.begin());
                ASSERT_EQ(arrivals.size(), sheet.size());
                const int32_t step = static_cast<int32_t>(std::lround(rate * 1000));
                for (size_t i = 0; i < sheet.size(); ++i) {
                    EXPECT_EQ(arrivals[i].pattern, sheet[i].pattern) << i;
                    EXPECT_EQ(arrivals[i].level, sheet[i].level) << i;
                    const int32_t due = sheet[i].at - lead * 10;
                    if (starved) {
                        EXPECT_GE(arrivals[i].at, due) << i;
                        EXPECT_LT(arrivals[i].at, due + step) << i;
                    } else {
                        EXPECT_EQ(arrivals[i].at, due) << i;
                    }
                }
            }
        }
    }

    const std::vector<Arrival> sheet = RandomSheet(7, 60);
    Manager().SetPreciseTiming(false);
    std::vector<Arrival> arrivals = Drive(1000, 120000, 1.0);
    arrivals.erase(arrivals.begin());
    EXPECT_LT(arrivals.size(), sheet.size()) << "commands that share a tick with a later one are passed over";
    for (const Arrival& a : arrivals)
        EXPECT_EQ(a.at % 1000, 0) << "only ticks send";
}

// What the setting changes between two positions, and what it leaves as it was: a seek, a
// pause, a stop, a preview and the sheet resting against another movie.
TEST_F(PreciseTiming, PositionsBetweenTicksAndWhatStaysAsItWas)
{
    const char kTwoInATick[] = "12300\t1\t3\n12600\t2\t5\n30000\t3\t7\n";
    int32_t due[8];
    struct Case {
        const char* what;
        bool precise;
        std::function<Sends(CTervaneManager&, size_t&)> run;
        size_t asked;
        Sends sent;
    };
    const Case cases[] = {
        {"two commands in one tick, both in order", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.2);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.UpdatePosition(1.3);
             return Sends{};
         },
         2, Sends{"000", "000", "010", "013", "023", "025"}},
        {"off: the later one alone, as before", false,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.2);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.UpdatePosition(1.3);
             return Sends{};
         },
         0, Sends{"000", "000", "020", "025"}},
        {"one sent a little early is not taken back by the next position just short of it", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.2);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.UpdatePosition(1.26);
             m.UpdatePosition(1.256);
             m.UpdatePosition(1.3);
             return Sends{};
         },
         2, Sends{"000", "000", "010", "013", "023", "025"}},
        {"a seek past what was asked about plays where it lands", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.2);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.UpdatePosition(3.5);
             return Sends{};
         },
         2, Sends{"000", "000", "030", "037"}},
        {"a seek back sends what is due there, nothing passed", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(3.1);
             n = m.DueBefore(3.1, 3.22, due, 8);
             m.UpdatePosition(1.25);
             return Sends{};
         },
         0, Sends{"030", "037", "017", "013"}},
        {"paused: the position stands and nothing falls due", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.24);
             m.DueBefore(1.24, 1.36, due, 8);
             m.UpdatePosition(1.24);
             n = m.DueBefore(1.24, 1.24, due, 8);
             return Sends{};
         },
         0, Sends{"010", "013"}},
        {"stopped: what passes is counted from where it plays again, not from the old place", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.2);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.FollowPlayState(1);
             m.UpdatePosition(0.0);
             m.UpdatePosition(1.3);
             return Sends{};
         },
         2, Sends{"000", "000", "000", "000", "020", "025"}},
        {"a preview holds the sheet back and asks for no timer", true,
         [&](CTervaneManager& m, size_t& n) {
             m.UpdatePosition(1.2);
             m.StartPreview(7, 7);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.UpdatePosition(1.3);
             return Sends{};
         },
         0, Sends{"000", "000", "070", "077", "077"}},
        {"against another movie the device rests", true,
         [&](CTervaneManager& m, size_t& n) {
             m.SetOtherMovie(true);
             m.UpdatePosition(1.2);
             n = m.DueBefore(1.2, 1.32, due, 8);
             m.UpdatePosition(1.3);
             return Sends{};
         },
         0, Sends{"000", "000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_manager.reset(new CTervaneManager(m_bus));
        m_manager->Follow(&m_sheet);
        Armed(kTwoInATick);
        Sent();
        Manager().SetPreciseTiming(c.precise);
        size_t asked = 99;
        c.run(Manager(), asked);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(Sent(), c.sent);
    }

    m_manager.reset(new CTervaneManager(m_bus));
    m_manager->Follow(&m_sheet);
    Armed(kTwoInATick);
    Manager().SetPreciseTiming(true);
    Manager().SetLeadMs(30);
    Manager().UpdatePosition(1.1);
    ASSERT_EQ(Manager().DueBefore(1.1, 1.3, due, 8), 2u);
    EXPECT_EQ(due[0], 12000) << "the lead moves each timer earlier";
    EXPECT_EQ(due[1], 12300);
    EXPECT_EQ(Manager().DueBefore(1.1, 1.3, due, 1), 1u) << "no more than asked for";
    Manager().SetPreciseTiming(false);
    EXPECT_EQ(Manager().DueBefore(1.1, 1.3, due, 8), 0u) << "off: no timers";
    Manager().SetPreciseTiming(true);
    Manager().Device().Close();
    EXPECT_EQ(Manager().DueBefore(1.1, 1.3, due, 8), 0u) << "no device: no timers";
}
