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

} // namespace
