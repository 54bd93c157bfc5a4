#include "fuzz/FuzzReaders.h"

#include <memory>

#include "base/file/File.h"
#include "base/file/Zip.h"
#include "controls/ShellButtons.h"
#include "device/TervaneManager.h"
#include "sheet/SheetDocument.h"
#include "editor/SettingsFile.h"
#include "editor/SiteAddress.h"
#include "sim/MemoryFiles.h"
#include "sim/SimHtmlDocument.h"
#include "sim/SimHtmlReader.h"
#include "support/PackWriter.h"
#include "ticker/HtmlParser.h"
#include "timesheet/TimeLineButtonManager.h"

using Quorvel::Base::File::CFile;
using Quorvel::Base::File::CZip;

namespace {

const std::string kFolder = kFuzzFolder;

const char kDemoSheet[] =
#include "sample_demo_tms.inc"
    ;
const char kNewsPage[] =
#include "sample_news_html.inc"
    ;
const char kNewsAddress[] =
#include "cfg_news_txt.inc"
    ;
const char kLinkAddress[] =
#include "cfg_link_txt.inc"
    ;

std::vector<std::string> SheetSeeds()
{
    std::string hour = "C:\\Movies\\hour.wmv\r\n";
    for (int i = 1; i < 10; ++i)
        hour += std::to_string(i * 111111) + "\r\n";
    for (int t = 0; t < 600; ++t)
        hour += std::to_string(t * 60000) + "\t" + std::to_string(t % 10) + "\t" + std::to_string(t % 11) + "\t0\t0\r\n";
    return {kDemoSheet, hour,
            "C:\\\x83\x80\x81\x5B\x83\x72\x81\x5B\\a.wmv\r\n// comment\r\n\r\n2\n3\n4\n5\n6\n7\n8\n9\n10\n"
            "10000\t1\t2\t0\t0\r\n  20000 ,, 3 , 4\r\n\x95\x5C,\x83\x5C x//y\r\n5000\t9\t10\t0\t0\n",
            "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n30000 1 2 0 0\n10000 3 4 0 0\n10000 5 6 0 0\n"};
}

// The one reader of sheets, and everything that follows what it read: the device's playing
// list, read back through every way the device asks for it, and the time line's points.
std::string ReadSheet(CMemoryFiles& files, const std::string& input)
{
    files.Put(kFolder + "\\in.tms", input);
    CSheetDocument document;
    CTervaneManager manager;
    manager.Follow(&document);
    CTimeLineButtonManager timeLine(document);
    if (document.Load((kFolder + "\\in.tms").c_str()) != SheetRead::kRead)
        return manager.Sheet().Count() == 0 && timeLine.EntryCount() == 0 ? std::string()
                                                                          : "a refused file left records";
    TimeSheet& sheet = manager.Sheet();
    const int count = sheet.Count();
    if (static_cast<size_t>(count) != document.RecordCount() || static_cast<size_t>(count) > input.size())
        return "a command count of " + std::to_string(count) + " for " + std::to_string(document.RecordCount()) +
               " records of " + std::to_string(input.size()) + " bytes";
    CommandData command;
    for (int i = 0; i < count; ++i)
        if (!sheet.CommandAt(i, command))
            return "command " + std::to_string(i) + " of " + std::to_string(count) + " is missing";
    for (int32_t t : {1, 1000, 100000, 2147483647})
        sheet.LatestAt(t, command);
    for (int i = 0; i < TimeSheet::kHeaderLines; ++i)
        sheet.HeaderLine(i);
    if (timeLine.Entries().size() > static_cast<size_t>(count))
        return "more points than records";
    double seconds = 0.0;
    timeLine.PreviousEntryTime(seconds);
    timeLine.NextEntryTime(seconds);
    return std::string();
}

std::vector<std::string> PackSeeds()
{
    const std::string text = "movie.wmv\r\n\x83\x65\x83\x58\x83\x67\r\n10000\t1\t2\t0\t0\r\n";
    return {TestSupport::SingleFilePack("a.txt", kDemoSheet),
            TestSupport::DirectoryPack({{"a.txt", text}, {"sub\\b.txt", kDemoSheet}, {"\x95\x5C.txt", ""}}),
            TestSupport::DirectoryPack({{"a.txt", std::string(5000, 'a')}})};
}

// One input stands for both kinds of pack; every member is read to its end in pieces, with a
// seek, and may never claim more than the pack can hold.
std::string ReadPack(CMemoryFiles& files, const std::string& input)
{
    files.Put(kFolder + "\\a116120116.pak", input);
    files.Put(kFolder + "\\d.pak", input);
    const char* members[] = {"\\a.txt", "\\d\\a.txt", "\\d\\sub\\b.txt", "\\d\\\x95\x5C.txt"};
    char buffer[700];
    for (const char* member : members) {
        CFile file;
        if (file.Open((kFolder + member).c_str()) != 1)
            continue;
        const int32_t size = file.GetSize();
        if (size < 0 || static_cast<uint64_t>(size) > input.size() * static_cast<uint64_t>(CZip::kMaxRatio))
            return std::string("a member of ") + std::to_string(size) + " bytes in a pack of " +
                   std::to_string(input.size());
        uint64_t total = 0;
        for (uint32_t piece = 1; total <= static_cast<uint64_t>(size); piece = piece % 7 + 1) {
            const uint32_t got = file.Read(buffer, piece, 97);
            if (got == 0)
                break;
            total += static_cast<uint64_t>(got) * piece;
        }
        if (total > static_cast<uint64_t>(size) + 7 * 97)
            return "read " + std::to_string(total) + " bytes of a member of " + std::to_string(size);
        file.Seek(size / 2, 0);
        file.Read(buffer, 1, sizeof buffer);
    }
    return std::string();
}

std::string ReadSettings(CMemoryFiles& files, const std::string& input)
{
    const std::string file = kFolder + "\\cfg\\info.txt";
    files.Put(file, input);
    std::string path;
    if (ReadLastSheetPath(file, path) && path.size() > input.size())
        return "a path longer than the file";
    return std::string();
}

// The news and the site address files take turns; an address handed out is always one that
// may go to the shell.
std::string ReadAddress(CMemoryFiles& files, const std::string& input)
{
    const bool news = !input.empty() && (input[0] & 1) != 0;
    const char* name = news ? kNewsAddressFile : TervaneControl::kLinkAddressFile;
    const char* fallback = news ? kDefaultNewsAddress : TervaneControl::kDefaultLinkAddress;
    files.Put(kFolder + name, input);
    const std::string address = SiteAddressFromFile(kFolder, name, fallback);
    if (address != fallback && !IsWebAddress(address))
        return "handed out '" + address + "', which is no web address";
    return std::string();
}

std::vector<std::string> PageSeeds()
{
    return {kNewsPage,
            "<html><body><div id='ticker'><ul><li><a href=\"https://a.example/1\">one</a></li>"
            "<li><a href='https://b.example/2'>\x83\x65\x83\x58\x83\x67</a></li></ul></div></body></html>",
            "<div id=ticker><div><div><div><a href=x>deep</a></div></div></div></div>"};
}

// Links and titles come in pairs, from the same anchors.
std::string ReadPage(CMemoryFiles&, const std::string& input)
{
    std::string error;
    std::unique_ptr<CSimHtmlElement> page = ReadSimHtml(input, error);
    if (!page)
        return error.empty() ? "a page refused without a reason" : std::string();
    CSimHtmlSource source(std::move(page));
    std::unique_ptr<IHtmlDocument> document = source.CreateDocument(kDefaultNewsAddress);
    if (!document)
        return "no document of a page that was read";
    CHtmlParser parser;
    parser.TakeHeadlines(*document);
    std::vector<std::string> links, titles;
    parser.GetLinks(links);
    parser.GetTitles(titles);
    if (links.size() != titles.size())
        return std::to_string(links.size()) + " links for " + std::to_string(titles.size()) + " titles";
    return std::string();
}

} // namespace

std::vector<FuzzReader> FuzzReaders()
{
    return {
        {"sheet", SheetSeeds(), &ReadSheet},
        {"pack", PackSeeds(), &ReadPack},
        {"settings",
         {"lastfile_path\tC:\\sheets\\a.tms", "lastfile_path\tC:\\My Sheets\\a, b \x95\x5C.tms\r\nmore",
          "lastfile_path\t", "lastfile_path C:\\x.tms"},
         &ReadSettings},
        {"address", {kNewsAddress, kLinkAddress, "\r\n\r\n  https://x.example/a?b=c&d=e  \r\n", "file:///C:/x"}, &ReadAddress},
        {"ticker", PageSeeds(), &ReadPage},
    };
}
