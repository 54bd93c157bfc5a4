#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "sim/SimHidBus.h"
#include "device/Tervane.h"
#include "support/HidReports.h"

namespace {
using Reports = std::vector<HidReportBytes>;

// A Tervane on the bus, opened the way the device manager opens it.
struct ConnectedTervane {
    CSimHidBus bus;
    size_t index = bus.AddTervane();
    std::unique_ptr<CTervane> device{new CTervane(bus)};

    ConnectedTervane() { EXPECT_TRUE(device->Connect()); }
};
} // namespace

TEST(DeviceCommands, NothingIsSentBeforeTheDeviceWasOpened)
{
    CSimHidBus bus;
    bus.AddTervane();
    {
        CTervane device(bus);
        EXPECT_FALSE(device.SetPatternLevel(3, 7));
        device.Pause();
        device.SetPattern(5);
        device.SetLevel(9);
        EXPECT_EQ(5, device.GetPattern());
        EXPECT_EQ(9, device.GetLevel());
        EXPECT_TRUE(device.IsPaused());
        HidReportBytes report;
        std::copy(device.GetReport(), device.GetReport() + 16, report.begin());
        EXPECT_EQ(TervaneReport('1', '5', '9'), report);
    }
    // Not even a search: the first opening is never a side effect of an operation.
    EXPECT_EQ(0, bus.SearchCount());
    EXPECT_TRUE(bus.Reports().empty());
    EXPECT_TRUE(bus.IsClean()) << bus.Accounting();
}

TEST(DeviceCommands, OperationsSendTheirReportsInOrder)
{
    using Step = std::function<void(CTervane&)>;
    struct Case {
        const char* name;
        Step before; // not logged
        Step act;
        Reports expected;
    };
    const Step nothing = [](CTervane&) {};
    const Case cases[] = {
        {"pattern then level", nothing, [](CTervane& d) { EXPECT_TRUE(d.SetPatternLevel(3, 7)); },
         {TervaneReport('0', '3', '0'), TervaneReport('0', '3', '7')}},
        {"stop from 4/5", [](CTervane& d) { d.SetPatternLevel(4, 5); },
         [](CTervane& d) { d.Stop(); },
         {TervaneReport('0', '0', '5'), TervaneReport('0', '0', '0')}},
        {"pause survives a pattern change", [](CTervane& d) { d.Pause(); },
         [](CTervane& d) { d.SetPatternLevel(2, 6); },
         {TervaneReport('1', '2', '0'), TervaneReport('1', '2', '6')}},
        {"pause", nothing, [](CTervane& d) { d.Pause(); }, {TervaneReport('1', '0', '0')}},
        {"resume", [](CTervane& d) { d.Pause(); d.SetPatternLevel(1, 2); },
         [](CTervane& d) { d.Resume(); }, {TervaneReport('0', '1', '2')}},
        {"single pattern", [](CTervane& d) { d.SetPatternLevel(4, 8); },
         [](CTervane& d) { d.SetPattern(6); }, {TervaneReport('0', '6', '8')}},
        {"single level", [](CTervane& d) { d.SetPatternLevel(4, 8); },
         [](CTervane& d) { d.SetLevel(10); }, {TervaneReport('0', '4', ':')}},
    };
    for (const Case& k : cases) {
        ConnectedTervane t;
        k.before(*t.device);
        t.bus.ClearReports();
        k.act(*t.device);
        EXPECT_EQ(k.expected, LoggedReports(t.bus)) << k.name;
    }
}

// A pattern is encoded by its low four bits; a level never goes above the limit (10, or the
// user's comfort limit), and the device keeps the value it was given.
TEST(DeviceCommands, ValuesAreEncodedByTheirLowFourBitsAndLevelsKeepTheLimit)
{
    struct Case {
        int value;
        char pattern;
        char level;
    };
    const Case cases[] = {{0, '0', '0'}, {9, '9', '9'}, {10, ':', ':'}, {12, '<', ':'},
                          {15, '?', ':'}, {16, '0', ':'}, {-1, '?', '?'}};
    for (const Case& k : cases) {
        ConnectedTervane t;
        EXPECT_TRUE(t.device->SetPatternLevel(k.value, 0)) << k.value;
        EXPECT_EQ(k.value, t.device->GetPattern());
        t.device->SetLevel(k.value);
        EXPECT_EQ(k.value, t.device->GetLevel());
        Reports expected = {TervaneReport('0', k.pattern, '0'), TervaneReport('0', k.pattern, '0'),
                            TervaneReport('0', k.pattern, k.level)};
        EXPECT_EQ(expected, LoggedReports(t.bus)) << k.value;
    }
    ConnectedTervane t;
    t.device->SetPatternLevel(3, 9);
    t.bus.ClearReports();
    t.device->SetMostLevel(6);
    t.device->SetLevel(8);
    t.device->SetMostLevel(6);
    t.device->SetMostLevel(10);
    EXPECT_EQ(LoggedReports(t.bus), (Reports{TervaneReport('0', '3', '6'), TervaneReport('0', '3', '6'),
                                            TervaneReport('0', '3', '8')}))
        << "lowered, the level in effect drops at once; a level above the limit is sent at it; raised, it comes back";
    EXPECT_EQ(8, t.device->GetLevel());
}

TEST(DeviceCommands, FailedFirstReportIsRepairedBySecondButStillFails)
{
    ConnectedTervane t;
    t.bus.SetWriteFault(t.index, SimWriteFault::Fails, 1);
    EXPECT_FALSE(t.device->SetPatternLevel(3, 7));
    EXPECT_EQ(Reports{TervaneReport('0', '3', '7')}, LoggedReports(t.bus));
    EXPECT_EQ(2, t.bus.OpenCount(t.index));
    EXPECT_EQ(1u, t.bus.OpenDeviceHandles());
    EXPECT_TRUE(t.device->IsLinkUp());
}

TEST(DeviceCommands, SettingsChangedWhileUnpluggedReachTheDeviceWithTheNextReport)
{
    ConnectedTervane t;
    t.bus.Unplug(t.index);
    EXPECT_FALSE(t.device->SetPatternLevel(3, 7));
    t.device->Pause();
    EXPECT_TRUE(t.bus.Reports().empty());
    EXPECT_TRUE(t.device->HasHandle());

    // A replug alone resends nothing; the next operation reconnects and carries it all.
    t.bus.Replug(t.index);
    EXPECT_TRUE(t.bus.Reports().empty());
    t.device->SetLevel(8);
    EXPECT_EQ(Reports{TervaneReport('1', '3', '8')}, LoggedReports(t.bus));
    EXPECT_EQ(2, t.bus.OpenCount(t.index));
}

TEST(DeviceCommands, DestructionStopsTheDeviceAndReleasesEverything)
{
    ConnectedTervane t;
    t.device->SetPatternLevel(4, 5);
    t.bus.ClearReports();
    t.device.reset();
    EXPECT_EQ((Reports{TervaneReport('0', '0', '5'), TervaneReport('0', '0', '0')}),
              LoggedReports(t.bus));
    EXPECT_TRUE(t.bus.IsClean()) << t.bus.Accounting();

    // Closed first, as the device manager does at teardown: the final stop finds no handle.
    ConnectedTervane closed;
    closed.device->SetPatternLevel(4, 5);
    closed.bus.ClearReports();
    closed.device->Close();
    closed.device.reset();
    EXPECT_TRUE(closed.bus.Reports().empty());
    EXPECT_TRUE(closed.bus.IsClean()) << closed.bus.Accounting();
}

TEST(DeviceCommandsWin32, WithoutDeviceEveryOperationSendsNothing)
{
    CTervane device;
    EXPECT_FALSE(device.Connect());
    EXPECT_FALSE(device.SetPatternLevel(3, 7));
    device.Pause();
    device.Stop();
    EXPECT_FALSE(device.HasHandle());
    EXPECT_EQ(0, device.GetPattern());
    EXPECT_TRUE(device.IsPaused());
}
