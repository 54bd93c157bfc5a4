#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/BitmapObject.h"
#include "editor/DibCanvas.h"
#include "editor/PluginMessages.h"
#include "support/NewsPages.h"
#include "support/ShellRecorder.h"
#include "support/SkinFiles.h"
#include "ticker/HtmlParser.h"

using namespace TestSupport;

namespace {

const COLORREF kPaper = RGB(0, 0, 0);
const std::string kOne = kLinkOne;
const std::string kTwo = kLinkTwo;
const std::string kThree = kLinkThree;

// The editor's background without skins, painting into a canvas, fed by a parser that
// reads a page in memory and announces it through a stand-in editor window.
class Ticker : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_scratch = CreateCompatibleDC(m_canvas.Dc());
        m_background.InitializeFrom(m_target.Get(), m_scratch, m_canvas.Dc(), m_module.Path(), &m_parser);
        m_target.ForwardTo(&m_background, kSizeModeNormal);
    }
    void TearDown() override { DeleteDC(m_scratch); }

    void Feed(const std::vector<std::string>& items)
    {
        m_source = SourceFor(TickerPage(items));
        FetchFrom(m_parser, *m_source, m_target);
        ASSERT_EQ(1, m_target.Received());
        ASSERT_TRUE(m_background.IsTickerReady());
    }
    void Tick(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            m_background.TickTicker();
    }
    void ChangeSizeMode(WPARAM request, SizeMode stored)
    {
        EXPECT_EQ(0, m_background.HandleMessage(nullptr, WM_PLUGIN_SIZEMODE, request, 0));
        m_target.ForwardTo(&m_background, stored);
    }
    void Paint()
    {
        m_canvas.Fill(kPaper);
        m_background.HandleMessage(nullptr, WM_PAINT, reinterpret_cast<WPARAM>(m_canvas.Dc()), 0);
    }
    int Ink(int left, int top, int right, int bottom) const
    {
        return m_canvas.Count(left, top, right, bottom, kTickerColour);
    }
    int AllInk() const { return Ink(0, 0, 1000, 750); }
    // Paints, and tells whether the headline's ink lies in its strip at top and nowhere else.
    bool DrawnAt(int top, int right)
    {
        Paint();
        const int inside = Ink(0, top, right, top + 20);
        return inside > 0 && inside == AllInk();
    }
    // The cursor after the pointer moved to (x, y); the cross means it was not touched.
    HCURSOR PointAt(int x, int y)
    {
        SetCursor(m_cross);
        m_background.HandleMessage(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        return GetCursor();
    }
    void ClickAt(int x, int y) { m_background.HandleMessage(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    const TickerEntry& Current() const { return m_background.GetTickerEntries()[m_background.GetTickerIndex()]; }

    const HCURSOR m_arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    const HCURSOR m_hand = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    const HCURSOR m_cross = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
    CShellRecorder m_shell;
    CScopedShell m_bound{m_shell};
    CDibCanvas m_canvas{1000, 750, kPaper};
    HDC m_scratch = nullptr;
    CTempDir m_module;
    CTickerTarget m_target;
    std::unique_ptr<CSimHtmlSource> m_source;
    CHtmlParser m_parser;
    CBitmapObject m_background;
};

struct TickerView {
    int32_t index;
    int32_t state;
    int32_t top; // while the headline is drawn
    bool operator==(const TickerView& other) const
    {
        return index == other.index && state == other.state && (state == kTickerWaiting || top == other.top);
    }
};

std::ostream& operator<<(std::ostream& out, const TickerView& view)
{
    return out << "{index " << view.index << ", state " << view.state << ", top " << view.top << "}";
}

// After tick n (from 1) in the normal size mode: five ticks rising from 600 to 585, sixty
// shown, five sinking, sixty hidden; then the next headline.
TickerView Model(int tick, int headlines)
{
    const int cycle = (tick - 1) / 130;
    const int r = (tick - 1) % 130;
    const int32_t index = cycle % headlines;
    if (r <= 3)
        return {index, kTickerSlidingIn, 597 - 3 * r};
    if (r <= 64)
        return {index, kTickerShown, 585};
    if (r <= 68)
        return {index, kTickerSlidingOut, 588 + 3 * (r - 65)};
    return {(cycle + 1) % headlines, kTickerWaiting, 0};
}

} // namespace

TEST_F(Ticker, ThreeHeadlinesTakeTurnsEvery130Ticks)
{
    Paint();
    EXPECT_EQ(0, AllInk());
    Feed({Anchor(kOne, "First headline"), Anchor(kTwo, "Second"), Anchor(kThree, "Third one")});
    const std::vector<TickerEntry>& entries = m_background.GetTickerEntries();
    ASSERT_EQ(3u, entries.size());
    const char* titles[] = {"First headline", "Second", "Third one"};
    const std::string* links[] = {&kOne, &kTwo, &kThree};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(titles[i], entries[i].title);
        EXPECT_EQ(*links[i], entries[i].link);
        EXPECT_EQ(0, entries[i].x);
        EXPECT_EQ(580, entries[i].y);
        EXPECT_EQ(0, entries[i].left);
        EXPECT_EQ(580, entries[i].top);
        EXPECT_EQ(static_cast<int32_t>(entries[i].title.size()) * 6, entries[i].right);
        EXPECT_EQ(600, entries[i].bottom);
        EXPECT_EQ(kTickerWaiting, entries[i].state);
    }

    for (int tick = 1; tick <= 400; ++tick) {
        Tick(1);
        const TickerView seen{m_background.GetTickerIndex(), Current().state, m_background.GetTickerTop()};
        ASSERT_EQ(Model(tick, 3), seen) << "after tick " << tick;
        if (tick == 1 || tick == 30 || tick == 67 || tick == 131 + 40) {
            EXPECT_TRUE(DrawnAt(seen.top, Current().right)) << "after tick " << tick;
        } else if (tick == 100 || tick == 130) {
            Paint();
            EXPECT_EQ(0, AllInk()) << "after tick " << tick;
        }
    }
    // Tick 391 began the fourth cycle with the first headline again.
    EXPECT_EQ(0, m_background.GetTickerIndex());

    // A second announcement appends the headlines once more.
    m_background.HandleMessage(nullptr, WM_PLUGIN_TICKER, 0, 0);
    EXPECT_EQ(6u, m_background.GetTickerEntries().size());
    EXPECT_EQ("First headline", m_background.GetTickerEntries()[3].title);
}

TEST_F(Ticker, ATwentyByteTitleIsA120PixelStrip)
{
    Feed({Anchor(kOne, "Twenty-byte headline")});
    Tick(5);
    ASSERT_EQ(kTickerShown, Current().state);
    ASSERT_EQ(585, m_background.GetTickerTop());
    EXPECT_EQ(120, Current().right);
    EXPECT_TRUE(DrawnAt(585, 120));

    struct Point {
        int x, y;
        bool inside;
    };
    const Point points[] = {{0, 585, true},   {119, 604, true},  {60, 595, true}, {120, 590, false},
                            {60, 584, false}, {60, 605, false}, {-1, 590, false}};
    for (const Point& p : points) {
        SCOPED_TRACE(::testing::Message() << p.x << ", " << p.y);
        EXPECT_EQ(p.inside ? m_hand : m_arrow, PointAt(p.x, p.y));
        m_shell.calls.clear();
        ClickAt(p.x, p.y);
        EXPECT_EQ(p.inside ? std::vector<std::string>{kOne} : std::vector<std::string>{}, m_shell.Files());
    }
    ClickAt(10, 590);
    ASSERT_EQ(1u, m_shell.calls.size());
    const CShellRecorder::SCall& call = m_shell.calls[0];
    EXPECT_EQ(m_target.Get(), call.window);
    EXPECT_FALSE(call.hasVerb);
    EXPECT_FALSE(call.hasParameters);
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, call.show);
}

TEST_F(Ticker, OnlyWebLinksAreOpened)
{
    // Shown in turn; the others' links are no web pages and are never handed to the shell.
    Feed({Anchor("file:///C:/Windows/system32/calc.exe", "A program"), Anchor("javascript:alert(1)", "A script"),
          Anchor(kThree, "A page")});
    for (int headline = 0; headline < 3; ++headline) {
        SCOPED_TRACE(headline);
        Tick(headline == 0 ? 5 : 130);
        ASSERT_EQ(headline, m_background.GetTickerIndex());
        ASSERT_EQ(kTickerShown, Current().state);
        EXPECT_TRUE(DrawnAt(585, Current().right));
        const bool web = headline == 2;
        EXPECT_EQ(web ? m_hand : m_arrow, PointAt(5, 590));
        ClickAt(5, 590);
        EXPECT_EQ(web ? 1u : 0u, m_shell.calls.size());
    }
    EXPECT_EQ(std::vector<std::string>{kThree}, m_shell.Files());
}

TEST_F(Ticker, EachHeadlineOpensItsOwnLink)
{
    // A non-anchor at an anchor's place does not shift the later headlines onto other links.
    Feed({Anchor(kOne, "One"), "<span>12 May</span>", Anchor(kTwo, "Two"), Anchor(kThree, "Three")});
    ASSERT_EQ(3u, m_background.GetTickerEntries().size());
    for (int headline = 0; headline < 3; ++headline) {
        Tick(headline == 0 ? 5 : 130);
        ClickAt(1, 590);
    }
    EXPECT_EQ((std::vector<std::string>{kOne, kTwo, kThree}), m_shell.Files());
    EXPECT_EQ("Two", m_background.GetTickerEntries()[1].title);
}

TEST_F(Ticker, AnswersThePointerOnlyWhileRisingOrShown)
{
    // Not ready yet: nothing moves, nothing answers.
    Tick(3);
    EXPECT_EQ(m_cross, PointAt(1, 590));
    ClickAt(1, 590);

    Feed({Anchor(kOne, "One headline"), Anchor(kTwo, "Two")});
    struct Step {
        int ticks;
        int32_t state;
        bool answers;
    };
    const Step steps[] = {
        {2, kTickerSlidingIn, true},   {10, kTickerShown, true},     {50, kTickerShown, true},
        {5, kTickerSlidingOut, false}, {2, kTickerSlidingOut, false}, {3, kTickerWaiting, false},
    };
    size_t opened = 0;
    for (const Step& step : steps) {
        Tick(step.ticks);
        SCOPED_TRACE(::testing::Message() << "state " << step.state);
        ASSERT_EQ(step.state, m_background.GetTickerEntries()[0].state);
        const int top = step.state == kTickerWaiting ? 590 : m_background.GetTickerTop();
        EXPECT_EQ(step.answers ? m_hand : m_cross, PointAt(1, top + 1));
        ClickAt(1, top + 1);
        opened += step.answers ? 1 : 0;
        EXPECT_EQ(opened, m_shell.calls.size());
    }
}

TEST_F(Ticker, WideModeWhileShownHidesAtOnceAndRisesTwoTicksLater)
{
    Feed({Anchor(kOne, "One headline"), Anchor(kTwo, "Two")});
    Tick(30);
    ASSERT_EQ(kTickerShown, Current().state);

    ChangeSizeMode(kSizeModeRequestWide, kSizeModeWide);
    for (const TickerEntry& entry : m_background.GetTickerEntries()) {
        EXPECT_EQ(kTickerWaiting, entry.state);
        EXPECT_EQ(730, entry.y);
        EXPECT_EQ(730, entry.top);
        EXPECT_EQ(750, entry.bottom);
        EXPECT_EQ(static_cast<int32_t>(entry.title.size()) * 6, entry.right);
    }
    Paint();
    EXPECT_EQ(0, AllInk());
    EXPECT_EQ(m_cross, PointAt(1, 740));

    Tick(1);
    EXPECT_EQ(kTickerWaiting, Current().state);
    Tick(1);
    EXPECT_EQ(kTickerSlidingIn, Current().state);
    EXPECT_EQ(747, m_background.GetTickerTop());
    EXPECT_EQ(0, m_background.GetTickerIndex());
    Tick(4);
    EXPECT_EQ(kTickerShown, Current().state);
    EXPECT_EQ(735, m_background.GetTickerTop());
    EXPECT_TRUE(DrawnAt(735, Current().right));
    EXPECT_EQ(m_hand, PointAt(1, 740));

    // The mini window has no ticker line; back in the normal one the line is at 580 again.
    ChangeSizeMode(kSizeModeRequestMini, kSizeModeMini);
    Tick(10);
    Paint();
    EXPECT_EQ(0, AllInk());
    ChangeSizeMode(kSizeModeRequestNormal, kSizeModeNormal);
    EXPECT_EQ(580, Current().y);
    Tick(6);
    EXPECT_TRUE(DrawnAt(585, Current().right));
}
