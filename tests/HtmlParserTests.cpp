#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Win32.h"
#include <objbase.h>

#include "sim/SimHtmlReader.h"
#include "support/LeakReports.h"
#include "support/NewsPages.h"
#include "support/TestWindow.h"
#include "ticker/HtmlParser.h"

using namespace TestSupport;

namespace {

using Strings = std::vector<std::string>;

// Only guards against a thread that never reaches its wait; nothing is timed by it.
const DWORD kPatience = 60000;

// Passes documents through and notes the COM apartment each was made in.
class CApartmentProbe : public IHtmlDocumentSource {
public:
    explicit CApartmentProbe(IHtmlDocumentSource& inner) : m_inner(inner) {}
    std::unique_ptr<IHtmlDocument> CreateDocument(const std::string& address) override
    {
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        singleThreaded = SUCCEEDED(CoGetApartmentType(&type, &qualifier)) &&
                         (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
        return m_inner.CreateDocument(address);
    }
    bool singleThreaded = false;

private:
    IHtmlDocumentSource& m_inner;
};

struct WalkCase {
    const char* name;
    std::string page;
    std::function<void(CSimHtmlSource&, CHtmlParser&)> arrange;
    Strings links;
    Strings titles;
    bool posted;
};

const char kSamplePage[] =
#include "sample_news_html.inc"
    ;

const std::string kOne = kLinkOne;
const std::string kTwo = kLinkTwo;
const std::string kThree = kLinkThree;

std::string ThreeHeadlines()
{
    return TickerPage({Anchor(kOne, "One"), "<a id='two' href='" + kTwo + "'>Two</a>", Anchor(kThree, "Three")});
}

// Headlines only at the place the walk reads them: every child of the ticker element, every
// child of that, the first child twice, every child, and its first child.
const char kDepthPage[] = R"(
<div id="ticker">
  <div>
    <div>
      <div><ul><li><a href="1">One</a></li></ul><ul><li><a href="x">second child of the first-child level</a></li></ul></div>
      <div><ul><li><a href="y">second child again</a></li></ul></div>
    </div>
    <div><div><ul><li><a href="2">Two</a></li><li><b><a href="z">one level too deep</a></b></li><li></li></ul></div></div>
    <div></div>
    <div><div></div></div>
  </div>
  <div><div><div><ul><li><a href="3">Three</a><a href="w">second anchor in the item</a></li></ul></div></div></div>
</div>)";

} // namespace

TEST(HtmlParser, WalksTheHeadlinesOfAPage)
{
    const auto none = [](CSimHtmlSource&, CHtmlParser&) {};
    // What a page may put on the editor is bounded: a hundred headlines, 256 bytes of a title
    // (never half a character), links no longer than 2,048 bytes.
    std::vector<std::string> many;
    Strings manyLinks, manyTitles;
    for (int i = 0; i < 120; ++i) {
        many.push_back(Anchor("https://n.example/" + std::to_string(i), "N" + std::to_string(i)));
        if (i < 100) {
            manyLinks.push_back("https://n.example/" + std::to_string(i));
            manyTitles.push_back("N" + std::to_string(i));
        }
    }
    std::string longTitle = "x", cutTitle = "x";
    for (int i = 0; i < 130; ++i) {
        longTitle += u8"あ";
        if (i < 127)
            cutTitle += "あ";
    }
    const std::string longLink = "https://n.example/" + std::string(2100, 'a');
    const WalkCase cases[] = {
        {"a hundred headlines at most", TickerPage(many), none, manyLinks, manyTitles, true},
        {"long title and long link", TickerPage({Anchor(kOne, longTitle), Anchor(longLink, "Long")}), none,
         {kOne, ""}, {cutTitle, "Long"}, true},
        {"three anchors", ThreeHeadlines(), none, {kOne, kTwo, kThree}, {"One", "Two", "Three"}, true},
        // The text of the page is UTF-8; the lists hold the thread's code page (Shift-JIS).
        {"Japanese title", TickerPage({Anchor(kOne, u8"新着ニュース  です")}), none, {kOne}, {"新着ニュース です"}, true},
        {"the sample page", kSamplePage, none,
         {"https://www.tervane.example/news/2024/patterns.html", "https://www.tervane.example/news/2024/editor.html",
          "https://www.tervane.example/news/2024/support.html"},
         {"新しいパターン集を公開しました", "Editor update: wide window and faster time line",
          "サポート窓口の受付時間変更のお知らせ"},
         true},
        {"headline depth", kDepthPage, none, {"1", "2", "3"}, {"One", "Two", "Three"}, true},
        // A non-anchor at an anchor's place is no headline: later links keep their own titles.
        {"non-anchor between anchors",
         TickerPage({Anchor(kOne, "One"), "<span>12 May</span>", Anchor(kTwo, "Two")}), none, {kOne, kTwo},
         {"One", "Two"}, true},
        {"unreadable href",
         ThreeHeadlines(), [](CSimHtmlSource& s, CHtmlParser&) { s.Page().FindById(L"two")->failHref = true; },
         {kOne, kThree}, {"One", "Three"}, true},
        {"unreadable text",
         ThreeHeadlines(), [](CSimHtmlSource& s, CHtmlParser&) { s.Page().FindById(L"two")->failText = true; },
         {kOne, kThree}, {"One", "Three"}, true},
        // What was taken before the failure stays, but nothing is announced.
        {"children fail halfway", ThreeHeadlines(),
         [](CSimHtmlSource& s, CHtmlParser&) { s.Page().FindById(L"headlines")->Child(1).failChildren = true; },
         {kOne}, {"One"}, false},
        {"no ticker element", "<div id='news'><a href='1'>One</a></div>", none, {}, {}, false},
        {"no document", ThreeHeadlines(), [](CSimHtmlSource& s, CHtmlParser&) { s.SetCreateFails(true); }, {}, {},
         false},
        {"state unreadable", ThreeHeadlines(),
         [](CSimHtmlSource& s, CHtmlParser&) { s.SetReadyStateFails(true); }, {}, {}, false},
        {"complete after loading", ThreeHeadlines(),
         [](CSimHtmlSource& s, CHtmlParser&) { s.SetLoadingReads(3); }, {kOne, kTwo, kThree},
         {"One", "Two", "Three"}, true},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CSimHtmlSource> source = SourceFor(c.page);
        CApartmentProbe probe(*source);
        CHtmlParser parser;
        parser.SetAddress("https://www.tervane.example/news/today.html");
        c.arrange(*source, parser);
        CTickerTarget target;
        FetchFrom(parser, probe, target);

        EXPECT_EQ(c.posted ? 1 : 0, target.Received());
        EXPECT_EQ(c.posted, parser.IsDone());
        EXPECT_FALSE(parser.IsBusy());
        // The getters append to what the caller has.
        Strings links{"kept"}, titles{"kept"};
        parser.GetLinks(links);
        parser.GetTitles(titles);
        links.erase(links.begin());
        titles.erase(titles.begin());
        EXPECT_EQ(c.links, links);
        EXPECT_EQ(c.titles, titles);
        EXPECT_EQ("https://www.tervane.example/news/today.html", source->LastAddress());
        EXPECT_TRUE(probe.singleThreaded);
    }
}

TEST(HtmlParser, AsksForTheDefaultPageAndGivesUpAtTheLimit)
{
    // A limit of 0 gives up after the first look at a loading page: exactly one read.
    std::unique_ptr<CSimHtmlSource> source = SourceFor(ThreeHeadlines());
    source->SetLoadingReads(CSimHtmlSource::kNeverComplete);
    CHtmlParser parser;
    parser.SetWaitLimit(0);
    CTickerTarget target;
    FetchFrom(parser, *source, target);
    EXPECT_EQ(1, source->ReadyStateReads());
    EXPECT_EQ(1, source->DocumentsCreated());
    EXPECT_EQ(std::string(kDefaultNewsAddress), source->LastAddress());
    EXPECT_EQ(0, target.Received());
}

// The window closes while the page still loads: the parser goes with it, at once, whatever
// the time limit, and nothing is announced afterwards.
TEST(HtmlParser, StopEndsAWaitThatNeverCompletes)
{
    std::unique_ptr<CSimHtmlSource> source = SourceFor(ThreeHeadlines());
    source->SetLoadingReads(CSimHtmlSource::kNeverComplete);
    CTickerTarget target;
    {
        CHtmlParser parser;
        // Only the stop request can end this wait.
        parser.SetWaitLimit(INFINITE);
        parser.SetTargetWindow(target.Get());
        parser.SetDocumentSource(source.get());
        ASSERT_TRUE(parser.StartParser());
        ASSERT_TRUE(source->WaitUntilPolled(kPatience));
        EXPECT_TRUE(parser.IsBusy());
    }
    PumpMessages();
    EXPECT_EQ(0, target.Received());
    EXPECT_GE(source->ReadyStateReads(), 1);
}

TEST(HtmlParser, StopLeavesNoLeakAtExit)
{
    std::string baseline, afterStop;
    ASSERT_TRUE(RunAndCollectLeakReports("NoTestAtAll.*", baseline));
    ASSERT_TRUE(RunAndCollectLeakReports("HtmlParser.StopEndsAWaitThatNeverCompletes", afterStop));
    EXPECT_EQ(baseline, afterStop);
}

// Our Wine has no HTML engine: the document can't be created, and the fetch ends quietly.
// The address can't reach a network even where an engine exists.
TEST(HtmlParser, SystemDocumentComponentFailsQuietly)
{
    APTTYPE before = APTTYPE_CURRENT, after = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier;
    const HRESULT beforeResult = CoGetApartmentType(&before, &qualifier);

    CTickerTarget target;
    CHtmlParser parser;
    parser.SetAddress("about:blank");
    parser.SetTargetWindow(target.Get());
    ASSERT_TRUE(parser.StartParser());
    parser.WaitWhileBusy();
    PumpMessages();

    EXPECT_EQ(0, target.Received());
    EXPECT_FALSE(parser.IsDone());
    Strings links, titles;
    parser.GetLinks(links);
    parser.GetTitles(titles);
    EXPECT_TRUE(links.empty());
    EXPECT_TRUE(titles.empty());
    // The calling thread's COM state is the parser's business no more than before.
    EXPECT_EQ(beforeResult, CoGetApartmentType(&after, &qualifier));
    EXPECT_EQ(before, after);
}
