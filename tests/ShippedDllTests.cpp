#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/PlayerSession.h"
#include "support/ScratchFile.h"
#include "support/SkinFiles.h"

namespace {

const char kDemoSheet[] =
#include "sample_demo_tms.inc"
    ;
const char kFaultSession[] =
#include "sample_device_faults_events.inc"
    ;

// The product folder that the package holds for this architecture: the shipped DLL with its
// skins and address files. The test programs run in build/<arch>.
std::string ProductFolder()
{
    return sizeof(void*) == 8 ? "..\\package\\amd64\\TervanePlugin" : "..\\package\\TervanePlugin";
}

struct SessionRun {
    std::vector<std::string> device; // what the device received and what the user was asked
    std::vector<std::string> lines;
    size_t openDeviceHandles = 0;
    size_t openInfoSets = 0;
    int misuses = 0;
};

SessionRun Play(PlayerOptions options)
{
    std::vector<SimEvent> events;
    std::string error;
    EXPECT_TRUE(ParseSimEvents(kFaultSession, events, error, true)) << error;
    SessionRun run;
    CPlayerSession session(options, [&run](const std::string& line) {
        run.lines.push_back(line);
        if (line.compare(0, 7, "report ") == 0 || line.compare(0, 7, "prompt ") == 0 || line.compare(0, 6, "shell ") == 0)
            run.device.push_back(line);
    });
    EXPECT_TRUE(session.Start(error)) << error;
    for (const SimEvent& e : events)
        session.Apply(e);
    session.Finish();
    run.openDeviceHandles = session.Bus().OpenDeviceHandles();
    run.openInfoSets = session.Bus().OpenDeviceInfoSets();
    run.misuses = session.Bus().Misuses();
    return run;
}

bool HasLine(const SessionRun& run, const std::string& start)
{
    for (const std::string& line : run.device)
        if (line.compare(0, start.size(), start) == 0)
            return true;
    return false;
}

} // namespace

// The shipped DLL, loaded from the product folder as it is, finds the simulated device
// through its own SetupAPI, HID and file imports and sends what the linked plug-in sends,
// fault for fault, with the same questions to the user.
TEST(ShippedDll, PlaysEveryDeviceFaultWithTheReportsOfTheLinkedPlugin)
{
    const std::string folder = ProductFolder();
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\TervanePlugin.dll").c_str()))
        << folder << ": run scripts/package.sh first";
    CScratchFile sheet(kDemoSheet);
    TestSupport::CTempDir settings;

    PlayerOptions linked;
    linked.sheet = sheet.Path();
    linked.settings = settings.Path();
    linked.moduleFolder = folder;
    linked.movie = "demo.wmv"; // the movie the sample sheet names: against any other it rests
    const SessionRun inside = Play(linked);

    PlayerOptions shipped;
    shipped.sheet = sheet.Path();
    shipped.dll = folder + "\\TervanePlugin.dll";
    shipped.movie = linked.movie;
    const SessionRun dll = Play(shipped);

    ASSERT_GE(inside.device.size(), 30u);
    EXPECT_EQ(inside.device, dll.device);
    // The faults were met: the 9.5 s command is lost while the device is away and the 14 s
    // one arrives after the replug; 38 s is lost while the device cannot be opened, 44 s
    // arrives once it can.
    EXPECT_FALSE(HasLine(dll, "report t=9.500"));
    EXPECT_TRUE(HasLine(dll, "report t=14.000"));
    EXPECT_FALSE(HasLine(dll, "report t=38.000"));
    EXPECT_TRUE(HasLine(dll, "report t=44.000"));
    // The DLL let go of the device and every search, and called the bus as Windows expects.
    EXPECT_EQ(0u, dll.openDeviceHandles);
    EXPECT_EQ(0u, dll.openInfoSets);
    EXPECT_EQ(0, dll.misuses);
    EXPECT_EQ(0u, inside.openDeviceHandles);
}
