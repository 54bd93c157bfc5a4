// The editor paints only what changed and copies only that to the screen: whatever a session
// does, the screen after every tick is what a full redraw of the same state shows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "controls/ButtonLayout.h"
#include "controls/ChoiceButton.h"
#include "editor/DibCanvas.h"
#include "editor/PointerSample.h"
#include "editor/PluginMessages.h"
#include "support/EditorSession.h"

using TestSupport::EditorSession;
using TervaneControl::ButtonLayout;
using TervaneControl::EditorButtonLayouts;
using TervaneControl::kIdFirstLevel;
using TervaneControl::kIdFirstPattern;

namespace {

const char kNews[] = "<html><body><div id=\"ticker\"><div><div><div><ul>"
                     "<li><a href=\"https://news.example/1\">First headline of the ticker</a></li>"
                     "<li><a href=\"https://news.example/2\">Second one, a little longer than the first</a></li>"
                     "</ul></div></div></div></div></body></html>";

// The player's area as the user sees it.
std::unique_ptr<CDibCanvas> Capture(HWND host)
{
    RECT client;
    if (!GetClientRect(host, &client) || client.right <= 0 || client.bottom <= 0)
        return nullptr;
    std::unique_ptr<CDibCanvas> canvas(new CDibCanvas(client.right, client.bottom, RGB(0, 0, 0)));
    const HDC window = GetDC(host);
    const bool copied =
        canvas->Valid() && BitBlt(canvas->Dc(), 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
    ReleaseDC(host, window);
    return copied ? std::move(canvas) : nullptr;
}

// How many pixels differ, and the first of them.
int Differences(const CDibCanvas& a, const CDibCanvas& b, POINT& first)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return a.Width() * a.Height();
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y) && count++ == 0)
                first = POINT{x, y};
    return count;
}

} // namespace

TEST_F(EditorSession, EveryTickShowsWhatAFullRedrawWould)
{
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\news.html", kNews));
    m_news = Path("\\news.html");
    Start(120.0);
    std::mt19937 random(20261209);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string done;

    // A spot on the graph as it is laid out now, and the centre of a button.
    auto onGraph = [&] {
        const CTimeLineGeometry& g = TimeLine().Geometry();
        return POINT{g.gridLeft + 5 + pick(g.gridRight - g.gridLeft - 10), g.gridTop + 5 + pick(g.gridBottom - g.gridTop - 10)};
    };
    const std::vector<ButtonLayout> buttons = EditorButtonLayouts();
    int size = 0;
    auto onButton = [&] {
        const ButtonLayout& b = buttons[static_cast<size_t>(pick(static_cast<int>(buttons.size())))];
        const int x = size == 1 ? b.wideX : size == 2 ? b.miniX : b.normalX;
        const int y = size == 1 ? b.wideY : size == 2 ? b.miniY : b.normalY;
        return POINT{x + static_cast<int>(b.width) / 2, y + static_cast<int>(b.height) / 2};
    };
    // A point of the sheet that the graph shows, if any.
    auto onPoint = [&](POINT& at) {
        const CTimeLineGeometry& g = TimeLine().Geometry();
        for (const auto& entry : TimeLine().Entries()) {
            const POINT p = PointPosition(g, entry.key, entry.data.level, TimeLine().GetNow());
            if (p.x > g.gridLeft && p.x + kPointSize < g.gridRight) {
                at = POINT{p.x + kPointSize / 2, p.y + kPointSize / 2};
                return true;
            }
        }
        return false;
    };
    auto tickAndCompare = [&](int ticks) {
        for (int t = 0; t < ticks && !HasFatalFailure(); ++t) {
            // Compared before the player's position moves on: the full redraw sees the same state.
            m_session->Tick([&] {
                const std::unique_ptr<CDibCanvas> shown = Capture(m_session->Host());
                Window().RedrawAll();
                const std::unique_ptr<CDibCanvas> full = Capture(m_session->Host());
                ASSERT_TRUE(shown && full);
                POINT first = {};
                const int differ = Differences(*shown, *full, first);
                if (differ != 0) {
                    shown->SaveBmp24("quiet-editor-shown.bmp");
                    full->SaveBmp24("quiet-editor-full.bmp");
                }
                ASSERT_EQ(0, differ) << "first at (" << first.x << ", " << first.y << ") after: " << done;
            });
        }
    };

    const std::vector<std::function<void()>> actions = {
        [&] { Run("play"); },
        [&] { Run("pause"); },
        [&] { Run("press 39"); },
        [&] { Run("seek " + std::to_string(pick(115))); },
        [&] { Run(pick(2) ? "rate 2" : "rate 1"); },
        [&] { const POINT p = onGraph(); MoveTo(p.x, p.y); },
        [&] { const POINT p = onButton(); MoveTo(p.x, p.y); },
        [&] { RealInput::MoveTo(1270, 1010); },
        [&] {
            POINT p;
            if (onPoint(p))
                MoveTo(p.x + pick(5) - 2, p.y + pick(5) - 2);
        },
        [&] { const POINT p = onGraph(); Run("click " + std::to_string(p.x) + " " + std::to_string(p.y)); },
        [&] {
            POINT p;
            if (onPoint(p))
                Run("rclick " + std::to_string(p.x) + " " + std::to_string(p.y));
        },
        [&] {
            // A button held down over a tick, then let go.
            const POINT p = onButton();
            PressAt(p.x, p.y);
            tickAndCompare(1);
            Release();
        },
        [&] {
            // A point dragged, seen on the way.
            POINT from;
            if (!onPoint(from))
                return;
            // Now and then off the graph, over a button or the bare background below it.
            const int where = pick(4);
            const POINT to = where == 0   ? onButton()
                             : where == 1 ? POINT{150, TimeLine().Geometry().gridBottom + 43}
                                          : onGraph();
            // The editor takes each move before the tick that shows it.
            PressAt(from.x, from.y);
            RealInput::Pump();
            tickAndCompare(3); // a press becomes a drag once it is held a while
            MoveTo((from.x + to.x) / 2, (from.y + to.y) / 2);
            RealInput::Pump();
            tickAndCompare(1);
            MoveTo(to.x, to.y);
            RealInput::Pump();
            tickAndCompare(1);
            Release();
        },
        [&] {
            const POINT a = onGraph(), b = onGraph();
            Run("drag shift " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) + " " +
                std::to_string(b.y));
        },
        [&] { const POINT p = onGraph(); Run("wheel " + std::to_string(p.x) + " " + std::to_string(p.y) + " 1"); },
        [&] {
            static const char* const keys[] = {"ctrl+z", "ctrl+y", "ctrl+a", "escape", "r", "3", "up", "ctrl+alt+up",
                                               "ctrl+alt+down", "alt+right", "delete", "space"};
            Run(std::string("key ") + keys[pick(sizeof keys / sizeof keys[0])]);
        },
        [&] { Run(pick(2) ? "press 29" : "press 30"); },
        [&] { Run("press " + std::to_string(kIdFirstPattern + pick(10))); },
        [&] { Run("press " + std::to_string(kIdFirstLevel + pick(11))); },
        [&] { Run("answer no; press 40"); },
        [&] { Run("press 35"); },
        [&] {
            size = pick(3);
            SendMessageW(m_session->Editor(), WM_PLUGIN_SIZEMODE, size == 2 ? static_cast<WPARAM>(-1) : size, 0);
        },
    };
    tickAndCompare(2);
    for (int step = 0; step < 160 && !HasFatalFailure(); ++step) {
        const int which = pick(static_cast<int>(actions.size()));
        done += std::to_string(which) + " ";
        actions[static_cast<size_t>(which)]();
        tickAndCompare(1 + pick(3));
    }
}

// A tick at rest asks nobody where the pointer is, yet every face shows the pointer where it
// really is, wherever it went: over a face, between faces, over the graph, out of the editor,
// and placed without any motion of the mouse.
TEST_F(EditorSession, ATickAtRestFollowsThePointerWithoutAskingForIt)
{
    Start(60.0);
    Run("play");
    const TervaneControl::CPatternButton& patterns = Window().PatternButton();
    auto faceCentre = [&](size_t i) {
        RECT r;
        GetWindowRect(patterns.Face(i).GetWindow(), &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    const CTimeLineGeometry& g = TimeLine().Geometry();
    POINT graph = {(g.gridLeft + g.gridRight) / 2 + 13, (g.gridTop + g.gridBottom) / 2};
    ClientToScreen(m_session->Editor(), &graph);
    const POINT between = {(faceCentre(3).x + faceCentre(4).x) / 2, faceCentre(3).y};
    const POINT away = {1270, 1010};
    struct Place {
        POINT at;
        bool moved; // by the mouse, or only set
        bool onEditor;
    };
    const Place places[] = {
        {faceCentre(3), true, true}, {between, true, true},  {faceCentre(7), true, true}, {graph, true, true},
        {away, true, false},         {faceCentre(2), true, true}, {away, false, false}, {faceCentre(5), false, true},
        {faceCentre(5), true, true}, {faceCentre(9), true, true},
    };
    int step = 0;
    for (const Place& place : places) {
        if (place.moved)
            RealInput::MoveTo(place.at.x, place.at.y);
        else
            SetCursorPos(place.at.x, place.at.y);
        m_session->Tick();
        m_session->Tick();
        if (!place.moved) {
            // Nothing of the mouse tells the editor: the system's watch on the window the
            // pointer left does, a moment later.
            for (int wait = 0; wait < 20; ++wait) {
                Sleep(50);
                m_session->Tick();
            }
        }
        POINT real;
        ASSERT_TRUE(GetCursorPos(&real));
        const unsigned asked = PointerQueries();
        for (int t = 0; t < 5; ++t)
            m_session->Tick();
        if (place.onEditor)
            EXPECT_EQ(asked, PointerQueries()) << "at rest on the editor, step " << step;
        else
            EXPECT_GE(asked + 1, PointerQueries()) << "at rest away, step " << step;
        for (size_t i = 0; i < 10; ++i) {
            RECT r;
            GetWindowRect(patterns.Face(i).GetWindow(), &r);
            EXPECT_EQ(PtInRect(&r, real) != FALSE, patterns.Face(i).IsHovered()) << "face " << i << ", step " << step;
        }
        ++step;
    }
}
