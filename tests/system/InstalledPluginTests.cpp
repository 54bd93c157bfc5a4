// The installed plug-in as the media player meets it: created by its class identifier from the
// DLL the registry names for this program's pointer size. scripts/install-test.sh runs these
// after a silent install, in the prefix of the virtual Tervane device, naming that DLL in
// TERVANE_INSTALLED_PLUGIN and a copy of the sample sheet in the prefix in TERVANE_SHARED_SHEET;
// CTest does not list them, as nothing is installed outside that run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "support/FaultSession.h"
#include "support/SkinTable.h"

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Setting(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

#define REQUIRE_INSTALLED_PLUGIN()                                                                                     \
    if (Setting("TERVANE_INSTALLED_PLUGIN").empty() || Setting("TERVANE_SHARED_SHEET").empty() ||                      \
        Setting("TERVANE_VIRTUAL_DEVICE") != "1")                                                                      \
    GTEST_SKIP() << "no installed plug-in and virtual device: scripts/install-test.sh runs this after an install"

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

// The installed plug-in as the player makes it, on the system's stack with nothing redirected.
PlayerOptions Installed(const CFaultSessionSetup& setup)
{
    PlayerOptions options = setup.Shipped();
    options.dll.clear();
    options.byClassId = true;
    options.systemDevice = true;
    return options;
}

// Of the pixels of two pictures of the player area: how many are the same, and how many of the
// first are not black (the skins paint most of the editor; without them it stays black).
struct Likeness {
    size_t pixels = 0, same = 0, painted = 0;
};

Likeness Compare(const std::string& first, const std::string& second)
{
    SkinTable::Bitmap a;
    SkinTable::Bitmap b;
    std::string error;
    Likeness likeness;
    if (!SkinTable::ReadBitmap(first, &a, &error) || !SkinTable::ReadBitmap(second, &b, &error)) {
        ADD_FAILURE() << error;
        return likeness;
    }
    if (a.width != b.width || a.height != b.height) {
        ADD_FAILURE() << a.width << "x" << a.height << " against " << b.width << "x" << b.height;
        return likeness;
    }
    likeness.pixels = a.pixels.size() / 3;
    for (size_t i = 0; i + 2 < a.pixels.size(); i += 3) {
        likeness.same += std::equal(a.pixels.begin() + i, a.pixels.begin() + i + 3, b.pixels.begin() + i);
        likeness.painted += a.pixels[i] != 0 || a.pixels[i + 1] != 0 || a.pixels[i + 2] != 0;
    }
    return likeness;
}

} // namespace

// The object made through COM is the installed DLL's and plays the session through every
// device fault on the system's stack with the reports of the linked plug-in on the simulated
// bus (without the refused open, which the virtual device cannot make). The sheet it plays,
// dropped on it, is the one it remembers for the user.
TEST(InstalledPlugin, CreatedByItsClassIdentifierPlaysEveryDeviceFaultOnTheSystemStack)
{
    REQUIRE_INSTALLED_PLUGIN();
    CFaultSessionSetup setup;
    const SessionRun inside = PlayFaultSession(setup.Linked(), {"fault open"});
    PlayerOptions options = Installed(setup);
    options.sheet = Setting("TERVANE_SHARED_SHEET");
    const SessionRun run = PlayFaultSession(options);

    EXPECT_EQ(Lower(Setting("TERVANE_INSTALLED_PLUGIN")), CreatedFrom(run));
    ASSERT_GE(run.device.size(), 30u);
    EXPECT_EQ(inside.device, run.device);
    EXPECT_FALSE(HasLine(run, "report t=9.500"));
    EXPECT_EQ(1u, CountLines(run, "report t=18.000"));
}

// Given no sheet, the installed plug-in opens the one a player remembered for the user last
// (install-test.sh has the other player's DLL play before, where both run) and plays it as
// the linked plug-in plays that sheet.
TEST(InstalledPlugin, OpensTheSheetThePlayerBeforeItRemembered)
{
    REQUIRE_INSTALLED_PLUGIN();
    // Each ends with a picture of the editor as the user sees it.
    TestSupport::CTempDir pictures;
    const std::string kPlay = "play\nwait 10\nstop\nwait 1\nshot ";
    CFaultSessionSetup setup;
    PlayerOptions linked = setup.Linked();
    linked.sheet = Setting("TERVANE_SHARED_SHEET");
    const SessionRun inside = PlaySession(linked, kPlay + pictures / "\\linked.bmp");
    PlayerOptions options = Installed(setup);
    options.sheet.clear();
    const SessionRun run = PlaySession(options, kPlay + pictures / "\\installed.bmp");

    EXPECT_EQ(Lower(Setting("TERVANE_INSTALLED_PLUGIN")), CreatedFrom(run));
    // Pattern and level at 2 s, 5 s and 9.5 s.
    ASSERT_GE(inside.device.size(), 6u);
    EXPECT_TRUE(HasLine(run, "report t=9.500"));
    EXPECT_EQ(inside.device, run.device);
    // The installed DLL found the product's skins (the x64 one in the folder above its own) and
    // shows the editor as the linked plug-in with the product folder's skins does.
    const Likeness likeness = Compare(pictures / "\\linked.bmp", pictures / "\\installed.bmp");
    EXPECT_GT(likeness.painted * 2, likeness.pixels) << "the linked plug-in's editor is mostly black";
    EXPECT_GE(likeness.same * 100, likeness.pixels * 99) << likeness.same << " of " << likeness.pixels << " pixels alike";
}
