#include <gtest/gtest.h>

#include <string>

#include "editor/SiteAddress.h"
#include "support/FileFixtures.h"
#include "ticker/HtmlParser.h"

using namespace TestSupport;

TEST(SiteAddress, OnlyWebAddressesMayReachTheShell)
{
    const struct {
        const char* address;
        bool web;
    } cases[] = {
        {"https://www.tervane.example/news/ticker.html", true},
        {"http://www.tervane.example", true},
        {"HTTPS://WWW.TERVANE.EXAMPLE/", true},
        {"http://www.tervane.example/a?b=c#d", true},
        {"https://www.tervane.example/\x83\x6A\x83\x85\x81\x5B\x83\x58.html", true},
        {"", false},
        {"http://", false},
        {"https:///etc/passwd", false},
        {"http:www.tervane.example", false},
        {"file:///C:/Windows/system32/calc.exe", false},
        {"javascript:alert(1)", false},
        {"mailto:news@tervane.example", false},
        {"C:\\Windows\\notepad.exe", false},
        {"\\\\server\\share\\run.exe", false},
        {"httpx://www.tervane.example/", false},
        {" https://www.tervane.example/", false},
        {"https://www.tervane.example/a b", false},
        {"https://www.tervane.example/\" --new-window \"file:///C:/", false},
        {"https://www.tervane.example/\tx", false},
        {"https://www.tervane.example/\x7F", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.web, IsWebAddress(c.address)) << "\"" << c.address << "\"";
}

TEST(SiteAddress, FirstNonEmptyLineOfTheFileOrTheFallback)
{
    const char kFallback[] = "https://www.tervane.example/fallback.html";
    const std::string longLine = "https://www.tervane.example/" + std::string(5000, 'a');
    const struct {
        const char* name;
        const char* content; // null: no file
        std::string expected;
    } cases[] = {
        {"missing file", nullptr, kFallback},
        {"empty file", "", kFallback},
        {"only blank lines", "\r\n  \r\n\t\n", kFallback},
        {"plain", "https://www.tervane.example/news/a.html", "https://www.tervane.example/news/a.html"},
        {"blank lines, blanks and CRLF", "\r\n \r\n  http://www.tervane.example/b.html \t\r\nhttps://ignored.example/\r\n",
         "http://www.tervane.example/b.html"},
        {"byte-order mark", "\xEF\xBB\xBFhttps://www.tervane.example/c.html\n", "https://www.tervane.example/c.html"},
        {"not a web address", "file:///C:/Windows/system32/calc.exe\r\n", kFallback},
        {"first line decides", "news page:\nhttps://www.tervane.example/d.html\n", kFallback},
        {"line beyond the read limit", longLine.c_str(), kFallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir module;
        if (c.content != nullptr) {
            ASSERT_TRUE(WriteAt(module, "\\cfg\\news.txt", c.content));
        }
        EXPECT_EQ(c.expected, SiteAddressFromFile(module.Path(), kNewsAddressFile, kFallback));
    }

    // Without the module folder nothing is read from the drive's root.
    EXPECT_EQ(kFallback, SiteAddressFromFile("", "\\cfg\\news.txt", kFallback));
    // The shipped default is an address of our own.
    EXPECT_TRUE(IsWebAddress(kDefaultNewsAddress));
    EXPECT_NE(std::string::npos, std::string(kDefaultNewsAddress).find(".example/"));
}
