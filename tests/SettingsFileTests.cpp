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
