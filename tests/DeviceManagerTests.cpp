#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/SimHidBus.h"
#include "device/TervaneManager.h"
#include "support/ScratchFile.h"

namespace {

const char kHeader[] = "111111\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";

// One Tervane on a simulated bus, the device opened as the media-open procedure opens it.
// Reports are read back as pause flag, pattern digit and level digit: "013" is running,
// pattern 1, level 3.
class DeviceManager : public ::testing::Test {
protected:
    DeviceManager() : m_device(m_bus.AddTervane()), m_manager(new CTervaneManager(m_bus)) {}

    CTervaneManager& Manager() { return *m_manager; }

    void SheetOf(const std::string& records)
    {
        CScratchFile file(kHeader + records);
        ASSERT_TRUE(Manager().LoadSheet(file.Path(), true));
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

TEST_F(DeviceManager, StartInsideTheFirstSpanSendsNothingUntilTheNextCommand)
{
    Armed(kFiveAndTen);
    EXPECT_EQ(Play({6.0, 7.0, 9.9}), Sends{});
    EXPECT_EQ(Play({10.0}), (Sends{"020", "025"}));
}

TEST_F(DeviceManager, PositionZeroNeverSelectsAndACommandAtZeroWaitsForAReturn)
{
    Armed("0\t4\t4\n50000\t1\t3\n");
    EXPECT_EQ(Play({0.0, 0.1, 2.0, 4.9}), Sends{}) << "the first command is current from Start";
    EXPECT_EQ(Play({5.0}), (Sends{"010", "013"}));
    EXPECT_EQ(Play({0.0}), Sends{}) << "0.0 selects nothing";
    EXPECT_EQ(Play({0.1}), (Sends{"043", "044"})) << "back in its span after a later command";
}

TEST_F(DeviceManager, OfEqualTimesTheLaterOneIsSent)
{
    Armed("50000\t1\t1\n50000\t2\t2\n");
    EXPECT_EQ(Play({4.0, 5.0}), (Sends{"000", "000", "020", "022"}))
        << "before 5 s the due command is the all-zero one (current holds the first command)";
    Manager().Sheet().AddCommand(80000, 3, 3);
    Manager().Sheet().AddCommand(80000, 4, 4);
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
    Manager().SetStopPending(); // the media player stopped while previewing
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

TEST_F(DeviceManager, PausedWhenThePreviewStartedIsPausedAgainAfterIt)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().Device().Pause();
    Sent();
    Manager().StartPreview(6, 6);
    EXPECT_EQ(Sent(), (Sends{"163", "166", "066"}));
    Manager().StopPreview();
    EXPECT_EQ(Sent(), (Sends{"006", "000", "010", "013", "113"}));
}

// The timer hands positions to the manager only once a device handle exists; before that it
// calls Connect on every tick and Start once the device appears.
TEST_F(DeviceManager, WithoutADeviceItDisarmsAndStartRearmsOnceOneIsFound)
{
    CSimHidBus emptyBus;
    CTervaneManager manager(emptyBus);
    CScratchFile file(std::string(kHeader) + kFiveAndTen);
    ASSERT_TRUE(manager.LoadSheet(file.Path(), true));
    manager.Start();
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
    EXPECT_EQ(Play({5.0}), Sends{}) << "Start took the first command in time order";
    EXPECT_EQ(Play({10.0}), (Sends{"020", "025"})) << "the 10 s command is due at 10 s";
    EXPECT_EQ(Play({7.0}), (Sends{"015", "013"}));
}

TEST_F(DeviceManager, LoopRearmsAtPositionZeroAfterALoadWithoutStart)
{
    CScratchFile file(std::string(kHeader) + kFiveAndTen);
    OpenDevice();
    for (bool loop : {true, false}) {
        ASSERT_TRUE(Manager().LoadSheet(file.Path(), loop));
        EXPECT_EQ(Play({5.0}), Sends{}) << "not armed after a load";
        Play({0.0});
        EXPECT_EQ(Manager().IsArmed(), loop);
        EXPECT_EQ(Play({5.0}), loop ? (Sends{"010", "013"}) : Sends{}) << "loop " << loop;
        Manager().Device().Stop();
        Sent();
    }
}

// The editor keeps its points when a load fails, so the device must keep playing them too.
TEST_F(DeviceManager, AFailedLoadChangesNothing)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    CScratchFile headerOnly(kHeader);
    EXPECT_FALSE(Manager().LoadSheet(headerOnly.Path(), true));
    EXPECT_FALSE(Manager().LoadSheet("Z:\\missing.tms", true));
    EXPECT_EQ(Manager().Sheet().Count(), 2);
    EXPECT_TRUE(Manager().IsArmed());
    EXPECT_EQ(Play({10.0}), (Sends{"023", "025"}));
}

TEST_F(DeviceManager, ASuccessfulLoadResetsEverythingAndSendsNothing)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().StartPreview(6, 6);
    Sent();
    SheetOf("20000\t4\t4\n");
    EXPECT_EQ(Sent(), Sends{}) << "not even when a preview was on";
    EXPECT_FALSE(Manager().IsPreviewing());
    EXPECT_FALSE(Manager().IsArmed());
    EXPECT_EQ(Manager().Current(), CommandData());
    Manager().Start();
    EXPECT_EQ(Play({3.0}), Sends{}) << "Start made the 2 s command current";
}

TEST_F(DeviceManager, DeleteAllStopsTheDeviceAndLeavesAnEmptyArmedSheet)
{
    Armed(kFiveAndTen);
    Play({0.1, 5.0});
    Manager().Reset();
    Manager().Device().Stop();
    Manager().Start();
    EXPECT_EQ(Sent(), (Sends{"003", "000"}));
    EXPECT_EQ(Play({7.0, 10.0}), Sends{}) << "an empty sheet never finds a due command";
    Manager().Sheet().AddCommand(110000, 5, 5);
    EXPECT_EQ(Play({11.0}), (Sends{"050", "055"}));
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
