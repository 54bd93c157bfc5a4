// Tests on the system's own HID stack: SetupAPI, hid.dll and hidclass of a 64-bit Wine prefix
// with the virtual Tervane device below them. They run through scripts/usb-run.sh, which
// starts that prefix and installs the device; one at a time, as they plug it in and out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "device/HIDController.h"
#include "device/HidSystem.h"
#include "sim/usb/VirtualTervane.h"
#include "support/FaultSession.h"
#include "support/TransportCases.h"

namespace {

// Set by scripts/usb-run.sh once the device is installed in the prefix the test runs in.
bool DeviceInstalled()
{
    const char* set = std::getenv("TERVANE_VIRTUAL_DEVICE");
    return set != nullptr && *set == '1';
}

#define REQUIRE_VIRTUAL_DEVICE()                                                                                       \
    if (!DeviceInstalled())                                                                                            \
    GTEST_SKIP() << "no virtual Tervane device in this prefix: run through scripts/usb-run.sh (ctest does)"

// The virtual device with the system's own functions, plugged in and without faults.
class CVirtualTervaneBench final : public ITervaneBench {
public:
    bool Begin(std::string& error)
    {
        std::string said;
        return m_device.Ensure(said, error) && m_device.ClearFaults(error) && m_device.Restart(error);
    }
    IHidSystem& System() override { return HidSystemWin32(); }
    bool Unplug() override { return Report(m_device.Unplug(m_said, m_error)); }
    bool Replug() override { return Report(m_device.Replug(m_said, m_error)); }
    bool FailNextWrites(uint32_t count) override { return Report(m_device.FailWrites(count, m_error)); }
    bool HoldNextWrites(uint32_t count) override { return Report(m_device.HoldWrites(count, m_error)); }
    std::vector<HidReportBytes> TakeReports() override
    {
        std::vector<HidReportBytes> reports;
        for (const VtRecordEntry& entry : m_device.TakeNew()) {
            HidReportBytes bytes;
            std::copy(entry.bytes, entry.bytes + bytes.size(), bytes.begin());
            if (entry.outcome == VT_TAKEN)
                reports.push_back(bytes);
        }
        return reports;
    }

private:
    bool Report(bool done)
    {
        EXPECT_TRUE(done) << m_error;
        return done;
    }

    CVirtualTervane m_device;
    std::string m_said;
    std::string m_error;
};

} // namespace

// Every case of the transport (found, not found, wrong IDs, a write failing, a write held
// past the wait, unplugged, plugged in again, reports too short or too long) answers on the
// system's stack exactly as on the simulated bus, and as the table says.
TEST(SystemHid, TransportCasesAnswerAsOnTheSimulatedBus)
{
    REQUIRE_VIRTUAL_DEVICE();
    for (const TransportCase& k : TransportCases()) {
        CSimTervaneBench sim;
        const std::vector<std::string> onBus = PlayTransportCase(k, sim);
        CVirtualTervaneBench device;
        std::string error;
        ASSERT_TRUE(device.Begin(error)) << error;
        const std::vector<std::string> onSystem = PlayTransportCase(k, device);
        EXPECT_EQ(onBus, onSystem) << k.name;
        EXPECT_EQ(k.transcript, onSystem) << k.name;
    }
}

// tervane-usb answers each command, refuses bad ones with a message and exit code 2, and its
// record shows every write the device received, in order, with what became of it.
TEST(SystemHid, ToolDrivesTheDeviceAndRefusesBadCommands)
{
    REQUIRE_VIRTUAL_DEVICE();
    CVirtualTervane device;
    std::string said;
    std::string error;
    ASSERT_TRUE(device.Ensure(said, error) && device.ClearFaults(error) && device.Restart(error)) << error;
    struct Case {
        const char* arguments;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {"", 2, "no command"},
        {"plug", 2, "bad command 'plug'"},
        {"install now", 2, "bad command 'install'"},
        {"fault", 2, "fault needs"},
        {"fault write", 2, "fault needs"},
        {"fault write 0", 2, "fault needs"},
        {"fault write -1", 2, "fault needs"},
        {"fault write 2x", 2, "fault needs"},
        {"fault write 4294967295", 2, "fault needs"},
        {"fault open 1", 2, "fault needs"},
        {"fault none 1", 2, "fault needs"},
        {"record x", 2, "record takes"},
        {"record -1", 2, "record takes"},
        {"status", 0, "nodes=1 found=yes record=0"},
        {"install", 0, "installed already"},
        {"replug", 1, "plugged in already"},
        {"fault write all", 0, ""},
        {"fault timeout 3", 0, ""},
        {"fault none", 0, ""},
        {"unplug", 0, "unplugged in"},
        {"unplug", 1, "not plugged in"},
        {"status", 1, "nodes=0 found=no"},
        {"replug", 0, "plugged in again in"},
    };
    for (const Case& k : cases) {
        std::string output;
        EXPECT_EQ(k.code, device.Run(k.arguments, output)) << "'" << k.arguments << "': " << output;
        EXPECT_NE(std::string::npos, output.find(k.says)) << "'" << k.arguments << "': " << output;
    }

    // One write taken, one failed and one held, each as the transport wrote it.
    HIDController hid(HidSystemWin32());
    ASSERT_TRUE(hid.Connect());
    std::string output;
    EXPECT_EQ(HIDController::kSendOk, hid.Send(TervaneReport('0', '3', '7').data()));
    ASSERT_EQ(0, device.Run("fault write 1", output)) << output;
    EXPECT_EQ(HIDController::kSendFailed, hid.Send(TervaneReport('1', '3', '7').data()));
    ASSERT_TRUE(hid.Connect());
    ASSERT_EQ(0, device.Run("fault timeout 1", output)) << output;
    EXPECT_EQ(HIDController::kSendFailed, hid.Send(TervaneReport('0', '4', '2').data()));
    ASSERT_TRUE(hid.Connect());
    EXPECT_EQ(HIDController::kSendOk, hid.Send(TervaneReport('0', '5', '2').data()));

    ASSERT_EQ(0, device.Run("record", output)) << output;
    const char* expected[] = {
        "taken length=16 bytes=00 3C 30 31 35 32 30 33 37 30 30 01 02 03 68 3E",
        "failed length=16 bytes=00 3C 30 31 35 32 31 33 37 30 30 01 02 03 68 3E",
        "held length=16 bytes=00 3C 30 31 35 32 30 34 32 30 30 01 02 03 68 3E",
        "taken length=16 bytes=00 3C 30 31 35 32 30 35 32 30 30 01 02 03 68 3E",
    };
    std::istringstream lines(output);
    std::string line;
    unsigned long long previous = 0;
    for (unsigned i = 0; i < 4; ++i) {
        ASSERT_TRUE(std::getline(lines, line)) << output;
        EXPECT_EQ(std::to_string(i) + " arrived=", line.substr(0, line.find('=') + 1)) << line;
        EXPECT_NE(std::string::npos, line.find(expected[i])) << line;
        const unsigned long long arrived = std::strtoull(line.c_str() + line.find('=') + 1, nullptr, 10);
        EXPECT_LE(previous, arrived) << "in the order they arrived: " << line;
        previous = arrived;
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;
    ASSERT_EQ(0, device.Run("record 3", output)) << output;
    EXPECT_EQ(0u, output.find("3 arrived=")) << output;
    EXPECT_EQ(std::string::npos, output.find('\n')) << output;
}

// The shipped DLL, loaded as it is with nothing of it redirected, plays the session through
// every device fault on the system's stack and sends what the linked plug-in sends on the
// simulated bus. The one fault the virtual device cannot make is a refused open: the system's
// HID class driver opens it for every program. So the linked plug-in plays the session
// without that fault, and the report at 38 s that the fault loses arrives on both.
TEST(ShippedDll, PlaysEveryDeviceFaultOnTheSystemStackWithTheReportsOfTheLinkedPlugin)
{
    REQUIRE_VIRTUAL_DEVICE();
    CFaultSessionSetup setup;
    ASSERT_TRUE(setup.HasDll()) << setup.Folder() << ": run scripts/package.sh first";
    const SessionRun inside = PlayFaultSession(setup.Linked(), {"fault open"});
    PlayerOptions shipped = setup.Shipped();
    shipped.systemDevice = true;
    const SessionRun system = PlayFaultSession(shipped);

    ASSERT_GE(system.device.size(), 30u);
    EXPECT_EQ(inside.device, system.device);
    EXPECT_TRUE(Said(system, "event fault open not made"));
    // The faults were met: 9.5 s is lost while the device is away and 14 s arrives after the
    // replug; of the two reports at 18 s the held one is lost, and of those at 27 s the failed
    // one, while the other reconnects.
    EXPECT_FALSE(HasLine(system, "report t=9.500"));
    EXPECT_EQ(2u, CountLines(system, "report t=14.000"));
    EXPECT_EQ(1u, CountLines(system, "report t=18.000"));
    EXPECT_EQ(1u, CountLines(system, "report t=27.000"));
    EXPECT_TRUE(Said(system, "device held a write past the transport's wait"));
    EXPECT_TRUE(Said(system, "device failed a write"));
    EXPECT_EQ(1u, CountLines(system, "report t=38.000"));
    // The DLL's own question at the close was answered as the redirected one is.
    EXPECT_TRUE(HasLine(system, "prompt unanswered message"));
}
