#include <gtest/gtest.h>

#include "editor/ModulePath.h"

namespace {

TEST(ModulePath, DirectoryEndsBeforeTheLastRealSeparator)
{
    struct Case {
        const char* path;
        const char* directory;
    };
    const Case cases[] = {
        {"C:\\Plugins\\TervanePlugin.dll", "C:\\Plugins"},
        // "表" is 0x95 0x5C: its second byte is no separator.
        {"C:\\表\\x.dll", "C:\\表"},
        {"C:\\a\\表", "C:\\a"},
        {"C:\\ソフト\\TervanePlugin.dll", "C:\\ソフト"},
        {"TervanePlugin.dll", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.directory, DirectoryOfPath(c.path)) << c.path;
    EXPECT_FALSE(ModuleDirectory(GetModuleHandleW(nullptr)).empty());
}

// Both players share one product folder: the 64-bit DLL in its x64 subfolder finds the skins,
// cfg and manual one level up; the 32-bit DLL and a 64-bit one anywhere else look beside them.
TEST(ModulePath, SixtyFourBitModuleInTheX64SubfolderSharesTheFolderAbove)
{
    struct Case {
        const char* folder;
        bool sixtyFourBit;
        const char* resources;
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)\\TervanePlugin\\x64", true, "C:\\Program Files (x86)\\TervanePlugin"},
        {"C:\\Program Files (x86)\\TervanePlugin\\X64", true, "C:\\Program Files (x86)\\TervanePlugin"},
        {"C:\\Program Files (x86)\\TervanePlugin", true, "C:\\Program Files (x86)\\TervanePlugin"},
        {"C:\\Program Files (x86)\\TervanePlugin\\x64", false, "C:\\Program Files (x86)\\TervanePlugin\\x64"},
        {"C:\\Program Files (x86)\\TervanePlugin", false, "C:\\Program Files (x86)\\TervanePlugin"},
        // Only a folder of that very name: the build trees and other names stay as they are.
        {"D:\\build\\x86_64", true, "D:\\build\\x86_64"},
        {"D:\\build\\x64old", true, "D:\\build\\x64old"},
        {"D:\\ax64", true, "D:\\ax64"},
        // "表" is 0x95 0x5C: the name is found after the real separator.
        {"C:\\表\\x64", true, "C:\\表"},
        {"x64", true, "x64"},
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.resources, ResourceDirectoryOf(c.folder, c.sixtyFourBit)) << c.folder << " " << c.sixtyFourBit;
}

} // namespace
