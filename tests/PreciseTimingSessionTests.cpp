#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/TervaneManager.h"
#include "editor/PluginWindow.h"
#include "sim/PlayerSession.h"
#include "support/EditorSession.h"

using TestSupport::ReadWholeFile;
using TestSupport::WriteAt;

namespace {

// Two commands in one tick (1.2345 s and 1.265 s), one between ticks, one on a tick.
const char kSheet[] = "111111\n2\n3\n4\n5\n6\n7\n8\n9\n10\n"
                      "12345\t1\t3\t0\t0\n12650\t2\t5\t0\t0\n20373\t3\t7\t0\t0\n35000\t4\t4\t0\t0\n";

struct Arrival {
    double position;
    char pattern;
    char level;
};

class PreciseTimingSession : public TestSupport::EditorSession {
protected:
    // The level reports (the second of each command's two) since the last call that changed
    // what the device does, with the position at which each reached it.
    std::vector<Arrival> Arrivals()
    {
        std::vector<Arrival> arrivals;
        const auto& reports = m_session->Bus().Reports();
        for (; m_seen < reports.size(); ++m_seen) {
            const SimHidReport& r = reports[m_seen];
            if (m_seen > 0 && reports[m_seen - 1].bytes[7] == r.bytes[7] && reports[m_seen - 1].bytes[8] != r.bytes[8])
                arrivals.push_back({r.position, static_cast<char>(r.bytes[7]), static_cast<char>(r.bytes[8])});
        }
        return arrivals;
    }
    // Each arrival is the command expected, no earlier than its time and later by less than a
    // millisecond of the system's clock (at the rate).
    void ExpectOnTime(const std::vector<Arrival>& arrivals, const std::vector<std::string>& commands,
                      const std::vector<double>& times, double rate)
    {
        ASSERT_EQ(arrivals.size(), commands.size());
        for (size_t i = 0; i < arrivals.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(std::string({arrivals[i].pattern, arrivals[i].level}), commands[i]);
            EXPECT_GE(arrivals[i].position, times[i] - 1e-9);
            EXPECT_LT(arrivals[i].position, times[i] + 0.001 * rate);
        }
    }
    size_t m_seen = 0;
};

} // namespace

// Ctrl+T turns precise timing on: the time box says so, the settings file keeps it, and each
// command reaches the device at its own time, two in one tick both in order, at rates 1 and 2,
// after a seek and a pause as well. Off again, commands go at the ticks as before.
TEST_F(PreciseTimingSession, ReportsArriveAtTheirOwnTimes)
{
    ASSERT_TRUE(WriteAt(m_dir, "\\a.tms", kSheet));
    ASSERT_TRUE(WriteAt(m_dir, "\\info.txt", "lastfile_path\t" + Path("\\a.tms")));
    Start();
    CTervaneManager& manager = *Plugin().DeviceManager();
    EXPECT_FALSE(manager.IsPreciseTiming()) << "off by default";
    Run("key ctrl+t; wait 0.1");
    EXPECT_TRUE(manager.IsPreciseTiming());
    EXPECT_EQ(Window().TimeEditBox().Text(), L"精密 オン");
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")), "lastfile_path\t" + Path("\\a.tms") + "\r\nprecise_timing\t1");
    Arrivals();

    Run("play; wait 4");
    ExpectOnTime(Arrivals(), {"13", "25", "37", "44"}, {1.2345, 1.265, 2.0373, 3.5}, 1.0);

    Run("seek 1; rate 2; wait 1.2");
    ExpectOnTime(Arrivals(), {"00", "13", "25", "37"}, {1.0, 1.2345, 1.265, 2.0373}, 2.0);

    // Paused just before a command: nothing until the movie plays again, then at its time.
    Run("rate 1; seek 1.9; wait 0.1; pause; wait 1");
    ExpectOnTime(Arrivals(), {"25"}, {1.9}, 1.0);
    Run("play; wait 0.3");
    ExpectOnTime(Arrivals(), {"37"}, {2.0373}, 1.0);

    // Turned on as the movie plays, the first tick finds a command nearer than the shortest
    // timer the system fires (10 ms): at 6 ms it goes when that timer can fire, at 0.3 ms at
    // once rather than 9.7 ms late. Neither teaches the timers' aim a lateness: the next
    // command still comes at its own time, not before it.
    Run("key ctrl+t; seek 1.9313; wait 0.1; key ctrl+t; wait 0.2");
    std::vector<Arrival> turnedOn = Arrivals();
    ASSERT_EQ(turnedOn.size(), 2u);
    EXPECT_EQ(std::string({turnedOn[1].pattern, turnedOn[1].level}), "37");
    EXPECT_NEAR(turnedOn[1].position, 2.0413, 1e-9);
    Run("key ctrl+t; seek 1.937; wait 0.1; key ctrl+t; wait 1.6");
    turnedOn = Arrivals();
    ASSERT_EQ(turnedOn.size(), 3u);
    EXPECT_EQ(std::string({turnedOn[1].pattern, turnedOn[1].level}), "37");
    EXPECT_NEAR(turnedOn[1].position, 2.037, 1e-9);
    ExpectOnTime({turnedOn[2]}, {"44"}, {3.5}, 1.0);

    // Off: the first tick at or after a command sends the latest; one passed over in a tick is lost.
    Run("key ctrl+t; wait 0.1");
    EXPECT_EQ(Window().TimeEditBox().Text(), L"精密 オフ");
    EXPECT_EQ(ReadWholeFile(Path("\\info.txt")), "lastfile_path\t" + Path("\\a.tms"));
    Arrivals();
    Run("seek 1; wait 1.5");
    const std::vector<Arrival> off = Arrivals();
    ASSERT_EQ(off.size(), 3u);
    EXPECT_EQ(std::string({off[1].pattern, off[1].level}), "25") << "1.2345 s passed over";
    EXPECT_DOUBLE_EQ(off[1].position, 1.3);
    EXPECT_DOUBLE_EQ(off[2].position, 2.1);

    // The setting outlives the editor.
    Run("key ctrl+t; close; create; wait 0.1");
    EXPECT_TRUE(Plugin().DeviceManager()->IsPreciseTiming());
}

// Timers that came late teach the editor to set them earlier by as much; when they come on
// time again, one comes that much early and its command goes at once. The next one, 4.5 ms
// later, is timed from where the movie is, not from the command just sent: it too goes no
// more than half the shortest timer (5 ms) before its time.
TEST_F(PreciseTimingSession, NoCommandGoesMoreThanHalfTheShortestTimerEarly)
{
    // Away from the ticks, so that each timer fires by itself and is learnt from.
    std::string sheet = "111111\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    for (int i = 0; i < 13; ++i)
        sheet += std::to_string(10250 + 1500 * i) + "\t" + std::to_string(i % 2 + 1) + "\t" +
                 std::to_string(i % 2 + 2) + "\t0\t0\n";
    sheet += "40000\t5\t6\t0\t0\n40045\t6\t7\t0\t0\n";
    ASSERT_TRUE(WriteAt(m_dir, "\\a.tms", sheet));
    ASSERT_TRUE(WriteAt(m_dir, "\\info.txt", "lastfile_path\t" + Path("\\a.tms") + "\r\nprecise_timing\t1"));
    Start();
    m_session->SetTimersLate(5);
    Run("play; wait 3.5");
    const std::vector<Arrival> trained = Arrivals();
    ASSERT_EQ(trained.size(), 13u);
    EXPECT_NEAR(trained.front().position, 1.030, 1e-9) << "the first timer, before anything was learnt";
    EXPECT_LT(trained.back().position, 2.8300 - 1e-9) << "the last, set earlier by what was learnt";

    m_session->SetTimersLate(0);
    Run("wait 1");
    const std::vector<Arrival> onTime = Arrivals();
    ASSERT_EQ(onTime.size(), 2u);
    EXPECT_EQ(std::string({onTime[0].pattern, onTime[0].level}), "56");
    EXPECT_EQ(std::string({onTime[1].pattern, onTime[1].level}), "67");
    EXPECT_LT(onTime[0].position, 4.0 - 1e-9) << "early, as the timer came";
    EXPECT_GE(onTime[0].position, 4.0 - 0.005 - 1e-9);
    EXPECT_GE(onTime[1].position, 4.0045 - 0.005 - 1e-9);
    EXPECT_LT(onTime[1].position, 4.0045 + 0.001);
}
