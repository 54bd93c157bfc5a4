// The installed plug-in as the media player meets it: created by its class identifier from the
// DLL the registry names for this program's pointer size. scripts/install-test.sh runs these
// after a silent install, in the prefix of the virtual Tervane device, naming that DLL in
// TERVANE_INSTALLED_PLUGIN; CTest does not list them, as nothing is installed outside that run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "support/FaultSession.h"

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The server the session said it created the object from (the line ends with the player's
// position), letter case aside (Windows paths).
std::string CreatedFrom(const SessionRun& run)
{
    const std::string start = "plugin created by its class identifier from ";
    for (const std::string& line : run.lines)
        if (line.compare(0, start.size(), start) == 0)
            return Lower(line.substr(start.size(), line.rfind(" t=") - start.size()));
    return std::string();
}

} // namespace

// The object made through COM is the installed DLL's and, with nothing of it redirected, plays
// the session through every device fault on the system's stack with the reports of the linked
// plug-in on the simulated bus (without the refused open, which the virtual device cannot make).
TEST(InstalledPlugin, CreatedByItsClassIdentifierPlaysEveryDeviceFaultOnTheSystemStack)
{
    const char* installed = std::getenv("TERVANE_INSTALLED_PLUGIN");
    const char* device = std::getenv("TERVANE_VIRTUAL_DEVICE");
    if (installed == nullptr || device == nullptr || std::string(device) != "1")
        GTEST_SKIP() << "no installed plug-in and virtual device: scripts/install-test.sh runs this after an install";
    CFaultSessionSetup setup;
    const SessionRun inside = PlayFaultSession(setup.Linked(), {"fault open"});
    PlayerOptions options = setup.Shipped();
    options.dll.clear();
    options.byClassId = true;
    options.systemDevice = true;
    const SessionRun run = PlayFaultSession(options);

    EXPECT_EQ(Lower(installed), CreatedFrom(run));
    ASSERT_GE(run.device.size(), 30u);
    EXPECT_EQ(inside.device, run.device);
    EXPECT_FALSE(HasLine(run, "report t=9.500"));
    EXPECT_EQ(1u, CountLines(run, "report t=18.000"));
}
