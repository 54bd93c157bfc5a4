#include <gtest/gtest.h>

#include <string>

#include "editor/SettingsFile.h"
#include "support/FileFixtures.h"
#include "support/SkinFiles.h"

using TestSupport::CTempDir;
using TestSupport::ReadWholeFile;
using TestSupport::WriteAt;

TEST(SettingsFile, TheUsersFileFirstTheModulesWhileTheUserHasNone)
{
    CTempDir dir;
    ASSERT_TRUE(WriteAt(dir, "\\module\\cfg\\info.txt", "lastfile_path\tC:\\old install\\a.tms"));
    SettingsFiles files;
    files.user = dir / "\\user\\TervanePlugin\\info.txt";
    files.module = dir / "\\module\\cfg\\info.txt";

    std::string path;
    ASSERT_TRUE(ReadLastSheetPath(files, path));
    EXPECT_EQ(path, "C:\\old install\\a.tms") << "no user file yet: the one beside the module";

    // The user's folder is made on the first write; the module's file is left as it was.
    ASSERT_TRUE(TestSupport::MakeDirs(dir, "\\user"));
    ASSERT_TRUE(WriteLastSheetPath(files, "D:\\sheets\\b c,d.tms"));
    EXPECT_EQ(ReadWholeFile(files.user), "lastfile_path\tD:\\sheets\\b c,d.tms");
    EXPECT_EQ(ReadWholeFile(files.module), "lastfile_path\tC:\\old install\\a.tms");
    ASSERT_TRUE(ReadLastSheetPath(files, path));
    EXPECT_EQ(path, "D:\\sheets\\b c,d.tms");

    // Once the user has a file, a broken one is not replaced by the module's stale path.
    ASSERT_TRUE(WriteAt(dir, "\\user\\TervanePlugin\\info.txt", "lastfile_paths\tX:\\y.tms"));
    EXPECT_FALSE(ReadLastSheetPath(files, path));

    // Without a user folder the module's file is the only one.
    SettingsFiles moduleOnly;
    moduleOnly.module = files.module;
    ASSERT_TRUE(WriteLastSheetPath(moduleOnly, "E:\\e.tms"));
    EXPECT_EQ(ReadWholeFile(files.module), "lastfile_path\tE:\\e.tms");
    EXPECT_FALSE(WriteLastSheetPath(SettingsFiles(), "E:\\e.tms"));
}

TEST(SettingsFile, TheProductKeepsItPerUserAndAScriptedHostInItsFolder)
{
    SetSettingsFolder("");
    const SettingsFiles product = SettingsFilesOf(GetModuleHandleW(nullptr));
    EXPECT_NE(product.user.find("\\TervanePlugin\\info.txt"), std::string::npos) << product.user;
    EXPECT_NE(product.module.find("\\cfg\\info.txt"), std::string::npos) << product.module;

    SetSettingsFolder("C:\\scripted");
    const SettingsFiles scripted = SettingsFilesOf(GetModuleHandleW(nullptr));
    SetSettingsFolder("");
    EXPECT_EQ(scripted.user, "C:\\scripted\\info.txt");
    EXPECT_TRUE(scripted.module.empty());
}

// The lead time's line: read strictly, kept within the device's range, and each writer keeps
// the other's line.
TEST(SettingsFile, TheLeadTimeRidesOnASecondLineThatTheFirstNeverSees)
{
    struct Case {
        const char* text;
        bool read;
        int milliseconds;
    };
    const Case cases[] = {
        {"lastfile_path\tC:\\a.tms\r\nlead_time\t300", true, 300},
        {"lastfile_path\tC:\\a.tms\nlead_time\t-20\r\n", true, -20},
        {"x\r\nlead_time\t+40", true, 40},
        {"x\r\nlead_time\t9999", true, 500},
        {"x\r\nlead_time\t-600", true, -500},
        {"lastfile_path\tC:\\a.tms", false, 0},
        {"x\r\nlead_time\t", false, 0},
        {"x\r\nlead_time\tabc", false, 0},
        {"x\r\nlead_time\t30x", false, 0},
        {"x\r\nlead_time 30", false, 0},
        {"x\r\nlead_time\t1234567", false, 0},
        {"x\r\n\r\nlead_time\t30", true, 30},
        {"x\r\nmax_level\t5\r\nlead_time\t-30", true, -30},
        {"lead_time\t30", false, 0},
    };
    for (const Case& c : cases) {
        int milliseconds = 0;
        EXPECT_EQ(c.read, ParseLeadTime(c.text, milliseconds)) << c.text;
        if (c.read) {
            EXPECT_EQ(c.milliseconds, milliseconds) << c.text;
        }
    }

    CTempDir dir;
    SettingsFiles files;
    files.user = dir / "\\TervanePlugin\\info.txt";
    EXPECT_EQ(0, ReadLeadTime(files)) << "no file: no lead";
    ASSERT_TRUE(WriteLeadTime(files, 120));
    ASSERT_TRUE(WriteLastSheetPath(files, "D:\\b.tms"));
    EXPECT_EQ(ReadWholeFile(files.user), "lastfile_path\tD:\\b.tms\r\nlead_time\t120");
    std::string path;
    ASSERT_TRUE(ReadLastSheetPath(files, path));
    EXPECT_EQ(path, "D:\\b.tms") << "the first line reads as it always did";
    EXPECT_EQ(120, ReadLeadTime(files));
    ASSERT_TRUE(WriteLeadTime(files, 0));
    EXPECT_EQ(ReadWholeFile(files.user), "lastfile_path\tD:\\b.tms") << "no lead: the file of before";
}

// Precise timing: a line of its own, written only while on, so the file of a user who never
// turns it on stays the file older versions read; every writer keeps the others' lines.
TEST(SettingsFile, PreciseTimingIsALineOfItsOwnWrittenOnlyWhileOn)
{
    struct Case {
        const char* text;
        bool read;
        bool on;
    };
    const Case cases[] = {
        {"lastfile_path\tC:\\a.tms\r\nprecise_timing\t1", true, true},
        {"x\r\nlead_time\t30\r\nmax_level\t5\r\nprecise_timing\t1\r\n", true, true},
        {"x\nprecise_timing\t0", true, false},
        {"x\r\nprecise_timing\t", false, false},
        {"x\r\nprecise_timing\ton", false, false},
        {"x\r\nprecise_timing 1", false, false},
        {"precise_timing\t1", false, false},
        {"lastfile_path\tC:\\precise_timing\t1", false, false},
    };
    for (const Case& c : cases) {
        bool on = false;
        EXPECT_EQ(c.read, ParsePreciseTiming(c.text, on)) << c.text;
        EXPECT_EQ(c.on, on) << c.text;
    }

    CTempDir dir;
    SettingsFiles files;
    files.user = dir / "\\TervanePlugin\\info.txt";
    EXPECT_FALSE(ReadPreciseTiming(files)) << "no file: off";
    ASSERT_TRUE(WriteLastSheetPath(files, "D:\\b.tms"));
    ASSERT_TRUE(WritePreciseTiming(files, true));
    ASSERT_TRUE(WriteLeadTime(files, -40));
    ASSERT_TRUE(WriteMostLevel(files, 6));
    EXPECT_EQ(ReadWholeFile(files.user),
              "lastfile_path\tD:\\b.tms\r\nlead_time\t-40\r\nmax_level\t6\r\nprecise_timing\t1");
    EXPECT_TRUE(ReadPreciseTiming(files));
    ASSERT_TRUE(WriteLastSheetPath(files, "D:\\c.tms"));
    EXPECT_TRUE(ReadPreciseTiming(files)) << "a new path keeps it";
    std::string path;
    ASSERT_TRUE(ReadLastSheetPath(files.user, path));
    EXPECT_EQ(path, "D:\\c.tms") << "the first line reads as it always did";
    EXPECT_EQ(ReadLeadTime(files), -40);
    EXPECT_EQ(ReadMostLevel(files), 6);
    ASSERT_TRUE(WritePreciseTiming(files, false));
    ASSERT_TRUE(WriteLeadTime(files, 0));
    ASSERT_TRUE(WriteMostLevel(files, 10));
    EXPECT_EQ(ReadWholeFile(files.user), "lastfile_path\tD:\\c.tms") << "only defaults: the file of before";
}
