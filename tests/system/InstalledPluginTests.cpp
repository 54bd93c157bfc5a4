// The installed plug-in as the media player meets it: created by its class identifier from the
// DLL the registry names for this program's pointer size. scripts/install-test.sh runs these
// after a silent install, in the prefix of the virtual Tervane device, naming that DLL in
// TERVANE_INSTALLED_PLUGIN and a copy of the sample sheet in the prefix in TERVANE_SHARED_SHEET;
// CTest does not list them, as nothing is installed outside that run.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/Recovery.h"
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

// The recovery copies in the user's settings folder, which both players share.
std::vector<std::string> RecoveryCopies()
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return {};
    const std::string copies = std::string(folder) + "\\TervanePlugin\\";
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA((copies + "recovery*.tms").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    do
        found.push_back(copies + data.cFileName);
    while (FindNextFileA(search, &data));
    FindClose(search);
    return found;
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

// The player dies with a change unsaved: the installed plug-in has kept a copy of it in the
// user's settings folder, which stays. The test program ends here without a result of its
// own; install-test.sh reads the line it prints and finds the copy.
TEST(InstalledPlugin, LeavesACopyOfUnsavedChangesWhenItsPlayerDies)
{
    REQUIRE_INSTALLED_PLUGIN();
    for (const std::string& copy : RecoveryCopies())
        DeleteFileA(copy.c_str());
    CFaultSessionSetup setup;
    PlayerOptions options = Installed(setup);
    options.sheet = Setting("TERVANE_SHARED_SHEET");
    std::vector<SimEvent> events;
    std::string error;
    // A new point on the graph, as in the fault session, and a tick for the copy to be written.
    ASSERT_TRUE(ParseSimEvents("play\nwait 3.2\npause\nmove 330 180\nwait 0.3\nclick 330 180\nwait 1\n", events, error, true))
        << error;
    // Never finished nor deleted: the process ends with it, as a crashing player's does.
    CPlayerSession* session = new CPlayerSession(options, [](const std::string&) {});
    ASSERT_TRUE(session->Start(error)) << error;
    for (const SimEvent& e : events)
        session->Apply(e);
    const std::vector<std::string> copies = RecoveryCopies();
    ASSERT_EQ(1u, copies.size()) << "the installed plug-in kept no copy of the unsaved point";
    std::printf("copy left: %s\n", copies[0].c_str());
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 0);
}

// The copy another player left is offered as the editor opens, naming its sheet; the user's
// "no" discards it.
TEST(InstalledPlugin, OffersTheCopyAnotherPlayerLeft)
{
    REQUIRE_INSTALLED_PLUGIN();
    ASSERT_EQ(1u, RecoveryCopies().size()) << "no copy left to offer";
    CFaultSessionSetup setup;
    PlayerOptions options = Installed(setup);
    options.sheet.clear();
    options.answers = {"no"};
    const SessionRun run = PlaySession(options, "wait 1\n");

    const std::string sheet = Setting("TERVANE_SHARED_SHEET");
    const bool offered = std::any_of(run.lines.begin(), run.lines.end(), [&sheet](const std::string& line) {
        return line.compare(0, 7, "prompt ") == 0 && line.find(CRecoveryCopy::kQuestion) != std::string::npos &&
               line.find(sheet) != std::string::npos;
    });
    EXPECT_TRUE(offered) << "no offer of the copy of " << sheet;
    EXPECT_TRUE(RecoveryCopies().empty()) << "the copy was not discarded";
}
