#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "editor/Font.h"
#include <commctrl.h>

#include "controls/SingleButton.h"
#include "device/TervaneManager.h"
#include "editor/DibCanvas.h"
#include "editor/EditorClock.h"
#include "editor/EditorContext.h"
#include "editor/GdiplusSession.h"
#include "editor/ParentStaticObject.h"
#include "editor/PluginMessages.h"
#include "editor/SkinImage.h"
#include "sim/EditorStandIn.h"
#include "sim/RealInput.h"
#include "sim/SimHidBus.h"
#include "support/FileFixtures.h"
#include "support/SkinFiles.h"
#include "timesheet/DropDrawButton.h"
#include "sheet/SheetTime.h"
#include "timesheet/TimeLineButtonManager.h"
#include "timesheet/TimeLineObject.h"

using TestSupport::CTempDir;
using RealInput::Button;

namespace {

constexpr int kEditorX = 120;
constexpr int kEditorY = 90;
constexpr COLORREF kGridInk = RGB(200, 212, 255);
constexpr COLORREF kPlaybackInk = RGB(255, 51, 0);

uint32_t g_clock = 0;
uint32_t TestClock()
{
    return g_clock;
}

// The point strip: 10 columns (patterns) x 5 rows (states) of 20 x 20 cells, each pixel
// coded with its column and row, so a sample tells which cell was drawn; the top-left corner
// of each cell is key-coloured, so faces show what lies under them there.
COLORREF StripPixel(int x, int y)
{
    if (x % 20 + y % 20 < 4)
        return kSkinKeyColour;
    return RGB(10 + (x / 20) * 20, 30 + (y / 20) * 40, 99);
}

class CFixedHost : public ITimeLineHost {
public:
    bool ReadPosition(double& seconds) override
    {
        seconds = m_now;
        return true;
    }
    std::wstring MediaName() override { return L"movie.wmv"; }
    std::wstring TimeSheetName() override { return L"sheet.tms"; }
    double m_now = 0.0;
};

struct Command {
    int32_t time, pattern, level;
    bool operator==(const Command& o) const { return time == o.time && pattern == o.pattern && level == o.level; }
};

class TimeLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::MakeDirs(m_dir, "\\obj"));
        ASSERT_TRUE(WriteBmp24(m_dir / "\\obj\\a002_000.bmp", 200, 100, StripPixel));
        m_tervane = m_bus.AddTervane();
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        m_editor = CreateEditorStandIn(instance, kEditorX, kEditorY, true);
        ASSERT_NE(nullptr, m_editor);
        ASSERT_TRUE(m_parent.Create(instance, m_editor));
        EditorContext().host = m_editor;
        m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_editor, nullptr,
                                    instance, nullptr);
        m_device.Follow(&m_sheet);
        m_view.Create(&m_host, &m_device, &m_manager, m_editor);
        ControlHookList().Add(&m_view);
        m_manager.AttachWindow(m_tooltip, m_parent.GetBackBufferDC(), m_parent.GetWindow(), m_dir.Path());
        ControlHookList().Add(m_manager.CreateDropButton(CDropDrawButton::MakeData(m_dir.Path()), m_editor));
        m_manager.FinishSetUp();
        SetForegroundWindow(m_editor);
        SetFocus(m_editor);
        g_clock = 1000;
        SetEditorClock(&TestClock);
        RealInput::MoveTo(0, 0);
    }

    void TearDown() override
    {
        SetEditorClock(nullptr);
        ControlHookList().Clear();
        m_manager.DetachWindow();
        if (m_tooltip != nullptr)
            DestroyWindow(m_tooltip);
    }

    // Editor client pixels to screen pixels.
    static int ScreenX(int x) { return kEditorX + x; }
    static int ScreenY(int y) { return kEditorY + y; }

    void Tick(double now)
    {
        m_host.m_now = now;
        m_manager.RefreshAt(now);
        RealInput::Settle();
    }

    // The centre of an entry's point as it is drawn, on the screen.
    POINT PointCentre(int32_t key)
    {
        RECT rect;
        if (!m_manager.PointRect(key, rect))
            return POINT{-1, -1};
        return POINT{ScreenX((rect.left + rect.right) / 2), ScreenY((rect.top + rect.bottom) / 2)};
    }

    // The centre of an entry's point window, on the screen.
    POINT WindowCentre(int32_t key)
    {
        CTimeLineButtonManager::EntryView entry;
        POINT centre = {-1, -1};
        RECT rect;
        if (m_manager.FindEntry(key, entry) && entry.window != nullptr && GetWindowRect(entry.window, &rect))
            centre = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        return centre;
    }

    // What the tooltip shows over a window.
    std::wstring TooltipText(HWND window) const
    {
        wchar_t text[200] = {};
        TOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.hwnd = window;
        info.uId = 1;
        info.lpszText = text;
        SendMessageW(m_tooltip, TTM_GETTEXTW, 200, reinterpret_cast<LPARAM>(&info));
        return text;
    }

    // Where a time and level lie on the graph now, in editor client pixels.
    POINT GraphPoint(double seconds, int level)
    {
        const CTimeLineGeometry& g = m_manager.Geometry();
        const double tenths = (seconds - m_manager.GetNow()) * 10.0;
        return POINT{static_cast<LONG>(g.origin + tenths * g.pixelsPerTenth + 0.5),
                     static_cast<LONG>(g.baseline - level * g.pixelsPerLevel + 0.5)};
    }

    // The level in effect as the device plays it, drawn as a model: from the left edge at the
    // level of the last point before the view (0 in the silent colour when there is none),
    // across to each shown point's centre and up or down to it in its colour, then on to the
    // right edge. Pixel by pixel, each segment without its end, as a pen draws.
    void PaintStepModel(HDC dc, double now)
    {
        const CTimeLineGeometry& g = m_manager.Geometry();
        int x = g.graphLeft, y = g.EntryY(0);
        COLORREF ink = kSilentColour;
        const auto across = [&](int to) {
            for (int column = x; column < to; ++column)
                SetPixel(dc, column, y, ink);
        };
        bool shownAny = false;
        for (const auto& entry : m_manager.Entries()) {
            RECT face;
            if (!m_manager.PointRect(entry.key, face)) {
                if (shownAny || entry.key > TenthOf(now))
                    break;
                y = g.EntryY(entry.data.level);
                ink = PatternColour(entry.data.pattern);
                continue;
            }
            shownAny = true;
            const int px = face.left + kPointSize / 2, py = face.top + kPointSize / 2;
            across(px);
            x = px;
            ink = PatternColour(entry.data.pattern);
            for (int row = y; row != py; row += py > y ? 1 : -1)
                SetPixel(dc, x, row, ink);
            y = py;
        }
        across(g.graphRight);
    }

    std::vector<Command> DeviceCommands()
    {
        std::vector<Command> commands;
        CommandData command;
        for (int i = 0; m_device.Sheet().CommandAt(i, command); ++i)
            commands.push_back({command.time, command.pattern, command.level});
        return commands;
    }

    // The device plays every record of the sheet, and the graph shows one point per tenth,
    // each at its record's own time.
    void ExpectDeviceInStep()
    {
        std::vector<Command> records;
        for (const CommandData& c : m_sheet.AllRecords())
            records.push_back({c.time, c.pattern, c.level});
        EXPECT_TRUE(records == DeviceCommands());
        EXPECT_EQ(m_sheet.TenthCount(), m_manager.Entries().size());
        for (const auto& entry : m_manager.Entries()) {
            CommandData last;
            ASSERT_TRUE(m_sheet.EntryOf(entry.key, last));
            EXPECT_EQ(last.pattern, entry.data.pattern);
            EXPECT_EQ(last.level, entry.data.level);
        }
    }

    CGdiplusSession m_gdiplus;
    CTempDir m_dir;
    CSimHidBus m_bus;
    size_t m_tervane = 0;
    CSheetDocument m_sheet;
    CTervaneManager m_device{m_bus};
    CTimeLineButtonManager m_manager{m_sheet};
    CFixedHost m_host;
    CTimeLineObject m_view;
    CParentStaticObject m_parent;
    HWND m_editor = nullptr;
    HWND m_tooltip = nullptr;
};

TEST_F(TimeLine, GeometryMapsPixelsToTimesAndLevels)
{
    const CTimeLineGeometry& g = m_manager.Geometry();
    EXPECT_FLOAT_EQ(4.5f, g.pixelsPerTenth);
    EXPECT_FLOAT_EQ(244.0f, g.origin);
    EXPECT_FLOAT_EQ(15.1f, g.pixelsPerLevel);

    struct Case {
        double now;
        int x;
        double seconds;
    };
    const Case times[] = {
        {20.0, 469, 25.0}, {20.0, 19, 15.0}, {20.0, 470, 20.0}, {20.0, 18, 20.0},
        // Left of the playback line before 5 s, time 0 lies at x 154.
        {2.0, 144, 0.0}, {2.0, 163, 0.2}, {2.0, 154, 0.0},
    };
    for (const Case& c : times) {
        m_manager.RepositionAt(c.now);
        EXPECT_NEAR(c.seconds, m_manager.TimeAtX(c.x), 1e-6) << "now " << c.now << " x " << c.x;
    }
    const int levels[][2] = {{287, 0}, {136, 10}, {280, 0}, {279, 1}, {135, 0}, {288, 0}, {211, 5}};
    for (const auto& level : levels)
        EXPECT_EQ(level[1], m_manager.LevelAtY(level[0])) << "y " << level[0];

    // Zoom modes 1 and 2 show 10 s left of the line. From 5 s on a click there means
    // now - trunc(origin - x) / pixelsPerTenth / 10, in single precision, and a time before
    // 0 means 0: a click lands in the tenth that formula names, never in a neighbour.
    for (int zoom = 1; zoom <= 2; ++zoom) {
        m_manager.SetZoomMode(zoom);
        for (double now = 5.0; now < 12.0; now += 0.3) {
            m_manager.RepositionAt(now);
            for (int x = g.graphLeft; x < static_cast<int>(g.origin); ++x) {
                const double part = now - std::trunc(g.origin - static_cast<float>(x)) / g.pixelsPerTenth / 10.0f;
                ASSERT_EQ(TenthOf(part < 0.0 ? 0.0 : part), TenthOf(m_manager.TimeAtX(x)))
                    << "zoom " << zoom << " now " << now << " x " << x;
            }
        }
    }
    m_manager.SetZoomMode(1);
    m_manager.RepositionAt(7.0);
    EXPECT_DOUBLE_EQ(0.0, m_manager.TimeAtX(g.graphLeft + 2)) << "nothing left of time 0 is negative";
    m_manager.SetSizeMode(kSizeModeWide);
    EXPECT_EQ(961, g.graphRight);
    m_manager.SetSizeMode(kSizeModeMini);
    EXPECT_EQ(961, g.graphRight) << "the mini window keeps the wide graph";
}

// A point has a window, its hit area, while it is shown and the pointer is near it; windows
// come into place when the pointer moves, not when the graph scrolls.
TEST_F(TimeLine, PointsAreShownOnlyWithinTheVisibleRange)
{
    m_manager.InsertAt(10.0, 1, 5);
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    const double nows[] = {4.9, 5.0, 10.0, 15.0, 15.1};
    const bool shown[] = {false, true, true, true, false};
    for (int i = 0; i < 5; ++i) {
        Tick(nows[i]);
        const POINT face = PointCentre(100);
        EXPECT_EQ(shown[i], face.x >= 0) << nows[i];
        RealInput::MoveTo(shown[i] ? face.x : ScreenX(300), shown[i] ? face.y : ScreenY(150));
        ASSERT_TRUE(m_manager.FindEntry(100, entry));
        EXPECT_EQ(shown[i], entry.window != nullptr && IsWindowVisible(entry.window) != FALSE) << nows[i];
        if (shown[i]) {
            EXPECT_EQ(face.x, WindowCentre(100).x) << nows[i];
        }
    }
    // Far away the point has no window at all; the one it had, wherever it is left, lets the
    // pointer through. Back in range the point gets one again.
    const HWND had = entry.window;
    const POINT where = WindowCentre(100);
    Tick(300.0);
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    EXPECT_EQ(nullptr, entry.window);
    if (had != nullptr && IsWindowVisible(had)) {
        EXPECT_EQ(WindowFromPoint(POINT{where.x, where.y - 40}), WindowFromPoint(where));
    }
    Tick(10.0);
    RealInput::MoveTo(ScreenX(244), ScreenY(200));
    EXPECT_EQ(ScreenX(244), WindowCentre(100).x);

    // While the pointer rests on the graph, the window under it (the tooltip and hand cursor)
    // is the window of the point under it as the graph scrolls, and at the pointer's next move
    // it lies on its point again; once the point has passed, its window no longer takes the
    // pointer.
    const POINT rest = {ScreenX(150), ScreenY(entry.data.y)};
    RealInput::MoveTo(rest.x, rest.y);
    for (double now : {12.0, 12.1, 12.2}) {
        Tick(now);
        ASSERT_TRUE(m_manager.FindEntry(100, entry));
        EXPECT_EQ(entry.window, WindowFromPoint(rest)) << now;
    }
    RealInput::MoveTo(rest.x + 1, rest.y);
    EXPECT_EQ(PointCentre(100).x, WindowCentre(100).x);
    RealInput::MoveTo(rest.x, rest.y);
    Tick(12.4);
    EXPECT_EQ(ScreenX(244 - 108), PointCentre(100).x);
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    EXPECT_EQ(WindowFromPoint(POINT{rest.x, rest.y - 40}), WindowFromPoint(rest))
        << "the window left there lets the pointer through to the graph, as a free spot does";
    CDibCanvas canvas(1000, 750, RGB(0, 0, 0));
    ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
    EXPECT_EQ(StripPixel(1 * 20 + 10, 10), canvas.Pixel(244 - 108, entry.data.y)) << "the face is at 10 s";
    // Away from the graph nothing follows the pointer, and the windows it left behind are
    // given up at the next tick rather than as their points scroll out of view.
    RealInput::MoveTo(ScreenX(244 - 92), ScreenY(200));
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    ASSERT_NE(nullptr, entry.window);
    const HWND window = entry.window;
    RealInput::MoveTo(ScreenX(480), ScreenY(560));
    Tick(14.0);
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    EXPECT_EQ(nullptr, entry.window);
    EXPECT_FALSE(IsWindowVisible(window));

    // Resting on a point shows its tooltip: the tooltip hears of the pointer from its window.
    Tick(10.0);
    const POINT on = PointCentre(100);
    // The window comes under the pointer at its first move there, and hears of the next.
    RealInput::MoveTo(on.x, on.y);
    RealInput::MoveTo(on.x + 1, on.y);
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    for (const DWORD start = GetTickCount(); !IsWindowVisible(m_tooltip) && GetTickCount() - start < 3000;) {
        RealInput::Pump();
        Sleep(10);
    }
    EXPECT_TRUE(IsWindowVisible(m_tooltip));
    TOOLINFOW current = {};
    current.cbSize = sizeof(current);
    EXPECT_TRUE(SendMessageW(m_tooltip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&current)));
    EXPECT_EQ(entry.window, current.hwnd);
    EXPECT_NE(std::wstring::npos, TooltipText(entry.window).find(L"01\r\n■レベル:: 05"));
    SendMessageW(m_tooltip, TTM_POP, 0, 0);
}

// Whatever the layer keeps between ticks, the points must look exactly as drawing every shown
// face in key order, in its state, would: through playback, seeks back and forth, edits of
// shown and hidden entries, selections, zooms and a pointer resting on a face.
TEST_F(TimeLine, PointsLookAsDrawingEveryShownFaceWould)
{
    CGraphPainter painter;
    CDibCanvas canvas(1000, 750, RGB(40, 40, 40));
    CDibCanvas reference(1000, 750, RGB(40, 40, 40));
    // Painted under a clip of a few rectangles, as a tick paints only what changed: the same
    // pixels within it, and nothing outside; into a section written directly, and into a DC
    // whose layout is not known.
    CDibCanvas clippedDirect(1000, 750, RGB(40, 40, 40));
    CDibCanvas clippedElsewhere(1000, 750, RGB(40, 40, 40));
    NoteTopDownDc(clippedElsewhere.Dc(), nullptr);
    CDibCanvas throughClip(1000, 750, RGB(40, 40, 40));
    painter.LoadStrip(m_dir.Path(), reference.Dc());
    std::mt19937 random(7);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // Dense in places (one per tenth), sparse elsewhere, some at the playback position's own
    // fraction of a tenth.
    for (int tenth = 0; tenth < 3000; tenth += 1 + (tenth / 500 % 2) * pick(30))
        m_manager.InsertAt(tenth / 10.0 + (pick(4) == 0 ? 0.05 : 0.0), pick(10), pick(11));
    for (const auto& entry : m_manager.Entries())
        if (pick(5) == 0)
            m_manager.SetSelected(entry.key, true);

    const auto compare = [&](double now, const char* what) {
        canvas.Fill(RGB(40, 40, 40));
        reference.Fill(RGB(40, 40, 40));
        ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(m_parent.GetWindow(), &cursor);
        // The grid, captions, the time and the drop image at the pointer lie under the faces.
        m_view.HandleMessage(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(reference.Dc()), 0);
        m_manager.DropButton()->HandleMessage(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(reference.Dc()), 0);
        PaintStepModel(reference.Dc(), now);
        int32_t hovered = INT32_MIN;
        std::vector<std::pair<RECT, CTimeLineButtonManager::EntryView>> shown;
        for (const auto& entry : m_manager.Entries()) {
            RECT face;
            if (!m_manager.PointRect(entry.key, face))
                continue;
            shown.emplace_back(face, entry);
            if (cursor.x >= face.left && cursor.x < face.right && cursor.y >= face.top && cursor.y < face.bottom)
                hovered = entry.key;
        }
        for (const auto& item : shown) {
            const auto& entry = item.second;
            const int32_t state = entry.selected          ? TervaneControl::kStatePressed
                                  : entry.key == hovered ? TervaneControl::kStateHover
                                                         : TervaneControl::kStateNormal;
            painter.PaintPoint(reference.Dc(), item.first.left, item.first.top, entry.data.pattern, state);
        }
        const CTimeLineGeometry& g = m_manager.Geometry();
        POINT first = {-1, -1};
        bool same = canvas.SameRows(reference, g.graphTop - kPointSize, g.graphBottom + kPointSize, first);
        EXPECT_TRUE(same) << what << " at " << now << " zoom " << m_manager.GetZoomMode() << ", first at " << first.x
                          << "," << first.y << " hovered " << hovered << ": " << std::hex
                          << canvas.Pixel(first.x, first.y) << " for " << reference.Pixel(first.x, first.y);

        const HRGN clip = CreateRectRgn(0, 0, 0, 0);
        for (int i = 1 + pick(3); i > 0; --i) {
            const int left = pick(1000), top = g.graphTop - kPointSize + pick(g.graphHeight + 2 * kPointSize);
            const HRGN part = CreateRectRgn(left, top, left + 1 + pick(200), top + 1 + pick(60));
            CombineRgn(clip, clip, part, RGN_OR);
            DeleteObject(part);
        }
        CDibCanvas& clipped = pick(2) == 0 ? clippedDirect : clippedElsewhere;
        for (CDibCanvas* target : {&clipped, &throughClip}) {
            target->Fill(RGB(40, 40, 40));
            SelectClipRgn(target->Dc(), clip);
        }
        ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(clipped.Dc()), 0, nullptr, false);
        BitBlt(throughClip.Dc(), 0, 0, 1000, 750, canvas.Dc(), 0, 0, SRCCOPY);
        for (CDibCanvas* target : {&clipped, &throughClip})
            SelectClipRgn(target->Dc(), nullptr);
        DeleteObject(clip);
        const bool sameClipped = clipped.SameRows(throughClip, 0, 750, first);
        EXPECT_TRUE(sameClipped) << what << " at " << now << ", clipped"
                                 << (&clipped == &clippedDirect ? "" : " through a section") << ", first at " << first.x << "," << first.y
                                 << ": " << std::hex << clipped.Pixel(first.x, first.y) << " for "
                                 << throughClip.Pixel(first.x, first.y);
        return same && sameClipped;
    };

    // The entry after the shown ones often lies within the graph's right edge, and a shown
    // one left of its left edge, in every zoom of both sizes.
    for (int pass = 0; pass < 6; ++pass) {
        const int size = pass < 3 ? kSizeModeNormal : kSizeModeWide, zoom = pass % 3;
        m_manager.SetSizeMode(size);
        m_manager.SetZoomMode(zoom);
        double now = 20.0 + zoom * 60.0 + size * 10.0;
        for (int step = 0; step < 100; ++step) {
            const int what = pick(20);
            const char* name = "playback";
            if (what == 0) {
                name = "seek";
                now = pick(3000) / 10.0;
            } else if (what == 1) {
                name = "step back";
                now = std::max(0.0, now - pick(30) / 10.0);
            } else if (what == 2 || what == 3) {
                name = "insert";
                m_manager.InsertAt(now + (pick(200) - 50) / 10.0, pick(10), pick(11));
            } else if (what == 4) {
                name = "delete";
                m_manager.DeletePoint(TenthOf(now) + pick(120) - 20);
            } else if (what == 5) {
                name = "select";
                m_manager.ToggleSelected(TenthOf(now) + pick(120) - 20);
            } else if (what == 6) {
                name = "repattern";
                m_manager.RepatternSelected(pick(10));
            } else if (what == 7) {
                name = "pointer on a face";
                RECT face;
                if (m_manager.PointRect(TenthOf(now) + pick(60), face))
                    RealInput::MoveTo(ScreenX(face.left + 12), ScreenY(face.top + 12));
            } else if (what == 8) {
                name = "pointer away";
                RealInput::MoveTo(0, 0);
            } else if (what == 9) {
                name = "nudge";
                m_manager.NudgeSelected(pick(21) - 10);
            } else if (what == 10) {
                name = "undo";
                m_manager.Undo();
            }
            now += 0.1 * (1 + pick(3));
            m_host.m_now = now;
            m_manager.RefreshAt(now);
            if (!compare(now, name))
                return;
        }
    }
    m_manager.SetSizeMode(kSizeModeWide);
    Tick(100.0);
    compare(100.0, "wide");
    m_manager.SetSizeMode(kSizeModeNormal);
    Tick(100.05);
    compare(100.05, "normal again");
}

TEST_F(TimeLine, GridFollowsThePlaybackPosition)
{
    CDibCanvas canvas(1000, 750, RGB(0, 0, 0));
    CDibCanvas reference(1000, 750, RGB(0, 0, 0));
    const HFONT font = CreateEditorFont(10, kGothicFace);
    struct Case {
        int zoom;
        double now;
        int line;
        const wchar_t* label; // null: no label at this line
    };
    const Case cases[] = {
        {0, 17.3, 365, L"20s"}, // the major line, at 20 s
        {0, 17.3, 140, L"15s"}, // the minor line, at 15 s
        {0, 2.0, 154, L"0s"},
        {1, 2.0, 73, L"0s"},    // the minor line at -5 s, labelled 0
        {2, 2.0, 145, nullptr}, // minor lines of zoom mode 2 carry no label
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        m_manager.SetZoomMode(c.zoom);
        Tick(c.now);
        canvas.Fill(RGB(0, 0, 0));
        m_view.HandleMessage(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
        EXPECT_EQ(kGridInk, canvas.Pixel(c.line, 200));
        EXPECT_EQ(kPlaybackInk, canvas.Pixel(static_cast<int>(m_manager.Geometry().origin), 200));
        if (c.label == nullptr)
            continue;
        reference.Fill(RGB(0, 0, 0));
        SelectObject(reference.Dc(), font);
        SetBkMode(reference.Dc(), TRANSPARENT);
        SetTextColor(reference.Dc(), kGridInk);
        RECT rect = {c.line - 5, 121 - 14, c.line + 15, 121 - 5};
        DrawTextW(reference.Dc(), c.label, -1, &rect, DT_SINGLELINE | DT_NOCLIP);
        bool same = true;
        for (int y = 104; y < 118 && same; ++y)
            for (int x = c.line - 5; x < c.line + 20 && same; ++x)
                same = canvas.Pixel(x, y) == reference.Pixel(x, y);
        EXPECT_TRUE(same) << "label at " << c.line;
    }
    SelectObject(reference.Dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST_F(TimeLine, EntriesKeepOneTenthEach)
{
    Tick(12.0);
    m_manager.InsertAt(12.34, 1, 2);
    const HWND first = m_manager.Entries()[0].window;
    ASSERT_NE(nullptr, first);
    m_manager.InsertAt(12.38, 4, 6);
    ASSERT_EQ(1, m_manager.EntryCount());
    const auto entry = m_manager.Entries()[0];
    EXPECT_EQ(123, entry.key);
    EXPECT_EQ(4, entry.data.pattern);
    EXPECT_EQ(first, entry.window) << "the point keeps its window";
    EXPECT_EQ(0, TenthOf(0.09));
    EXPECT_EQ(1, TenthOf(0.1));
    ExpectDeviceInStep();

    m_sheet.DeleteAll();
    m_manager.InsertAt(0.5, 0, 0);
    Tick(0.0);
    RealInput::MoveTo(PointCentre(5).x, PointCentre(5).y);
    EXPECT_EQ(CTimeLineButtonManager::kFirstPointId, GetDlgCtrlID(m_manager.Entries()[0].window));

    // Previous and next points around the playback position; an entry past the medium's end
    // is no later point.
    m_sheet.DeleteAll();
    m_manager.InsertAt(1.0, 0, 0);
    m_manager.InsertAt(5.0, 0, 0);
    m_manager.InsertAt(70.0, 0, 0);
    m_manager.SetDuration(60.0);
    struct Case {
        double now;
        bool previous;
        double previousTime;
        bool next;
        double nextTime;
        bool later;
    };
    const Case cases[] = {
        {1.2, true, 1.0, true, 5.1, true},
        {5.0, true, 1.0, true, 70.1, false},
        {1.0, false, 0.0, true, 5.1, true},
        {80.0, true, 70.0, true, 70.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        Tick(c.now);
        double t = -1.0;
        EXPECT_EQ(c.previous, m_manager.PreviousEntryTime(t));
        if (c.previous) {
            EXPECT_DOUBLE_EQ(c.previousTime, t);
        }
        EXPECT_EQ(c.next, m_manager.NextEntryTime(t));
        EXPECT_NEAR(c.nextTime, t, 1e-9);
        EXPECT_EQ(c.later, m_manager.HasLaterEntry());
        EXPECT_EQ(c.now > 1.0, m_manager.HasEarlierEntry());
    }
}

// What a file says is kept as it is, and drawn where the graph can show it.
TEST_F(TimeLine, ValuesOutOfRangeStayAsReadAndAreDrawnOnTheGraph)
{
    const std::string header = "m\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\wild.tms", header + "10000\t15\t-4\n20000\t-2\t25\n"));
    ASSERT_TRUE(SheetRead::kRead == m_sheet.Load((m_dir / "\\wild.tms").c_str()));
    // With the pointer on the graph the point windows stand where the faces are drawn.
    RealInput::MoveTo(ScreenX(100), ScreenY(200));
    Tick(1.5);
    const CTimeLineGeometry& g = m_manager.Geometry();
    CDibCanvas canvas(1000, 750, RGB(0, 0, 0));
    ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
    const struct {
        int32_t key, pattern, level, shownY, column;
    } cases[] = {{10, 15, -4, g.graphBottom, 9}, {20, -2, 25, g.graphTop, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        CTimeLineButtonManager::EntryView entry;
        ASSERT_TRUE(m_manager.FindEntry(c.key, entry));
        EXPECT_EQ(c.pattern, entry.data.pattern);
        EXPECT_EQ(c.level, entry.data.level);
        EXPECT_EQ(c.shownY, entry.data.y);
        RECT rect;
        ASSERT_TRUE(m_manager.PointRect(c.key, rect));
        EXPECT_EQ(StripPixel(c.column * 20 + 10, 10), canvas.Pixel(rect.left + 10, rect.top + 10))
            << "the nearest pattern's face";
    }
    const std::string saved = m_dir / "\\wild-saved.tms";
    ASSERT_TRUE(m_sheet.Save(saved.c_str()));
    EXPECT_NE(std::string::npos, TestSupport::ReadWholeFile(saved).find("10000\t15\t-4\t0\t0\r\r\n20000\t-2\t25\t0\t0"));
}

// Presses that are no drag, and drags that end without a drop, change nothing.
TEST_F(TimeLine, APressThatIsNoDropLeavesThePointAsItWas)
{
    m_manager.InsertAt(2.0, 1, 3);
    m_manager.InsertAt(4.0, 2, 5);
    // The pointer on the graph: the point windows stand where the faces are.
    RealInput::MoveTo(ScreenX(100), ScreenY(200));
    Tick(3.0);
    m_sheet.MarkSaved();
    const POINT first = PointCentre(20);
    auto drag = [&](POINT from, POINT to) {
        RealInput::MoveTo(from.x, from.y);
        RealInput::Press(Button::Left);
        g_clock += 300;
        for (int step = 1; step <= 4; ++step)
            RealInput::MoveTo(from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4);
    };
    auto unchanged = [&](const char* what) {
        SCOPED_TRACE(what);
        Tick(3.0);
        CTimeLineButtonManager::EntryView entry;
        ASSERT_TRUE(m_manager.FindEntry(20, entry));
        EXPECT_EQ(3, entry.data.level);
        EXPECT_EQ(first.x, PointCentre(20).x);
        EXPECT_EQ(first.y, PointCentre(20).y);
        EXPECT_EQ(2, m_manager.EntryCount());
        EXPECT_FALSE(m_manager.IsModified());
        ExpectDeviceInStep();
    };

    // A slow click near the point's edge, with a one-pixel tremble, is a click.
    RealInput::MoveTo(first.x + 8, first.y + 8);
    RealInput::Press(Button::Left);
    g_clock += 300;
    RealInput::MoveTo(first.x + 9, first.y + 8);
    RealInput::Release(Button::Left);
    EXPECT_TRUE(m_manager.IsSelected(20));
    unchanged("slow click");

    // Dragged away and back to its own tenth and level: no edit, the selection stays.
    const HWND window = [&] {
        CTimeLineButtonManager::EntryView entry;
        return m_manager.FindEntry(20, entry) ? entry.window : nullptr;
    }();
    drag(POINT{first.x + 6, first.y}, POINT{first.x + 60, first.y - 40});
    RealInput::MoveTo(first.x + 6, first.y);
    RealInput::Release(Button::Left);
    unchanged("dragged back");
    EXPECT_TRUE(m_manager.IsSelected(20));
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(m_manager.FindEntry(20, entry));
    EXPECT_EQ(window, entry.window) << "not made again";

    // Off the graph, left, right, above or below: the point goes back.
    const CTimeLineGeometry& g = m_manager.Geometry();
    const POINT offGraph[] = {{ScreenX(g.graphLeft - 15), first.y}, {ScreenX(g.graphRight + 15), first.y},
                              {first.x + 30, ScreenY(g.graphTop - 15)}, {first.x + 30, ScreenY(g.graphBottom + 15)}};
    for (const POINT& off : offGraph) {
        drag(first, off);
        RealInput::Release(Button::Left);
        unchanged("dropped off the graph");
    }

    // Escape, or another window taking the mouse, gives the drag up.
    drag(first, POINT{first.x + 50, first.y - 30});
    RealInput::Key(VK_ESCAPE);
    RealInput::Release(Button::Left);
    unchanged("escape");
    drag(first, POINT{first.x + 50, first.y - 30});
    SetCapture(m_editor);
    RealInput::Release(Button::Left);
    ReleaseCapture();
    unchanged("lost capture");
    EXPECT_TRUE(m_manager.IsSelected(20)) << "a press given up is no click";

    // A point taken off its centre lands where the pointer puts the spot it was taken by.
    const POINT target = GraphPoint(3.5, 7);
    drag(POINT{first.x + 7, first.y + 5}, POINT{ScreenX(target.x) + 7, ScreenY(target.y) + 5});
    RealInput::Release(Button::Left);
    ASSERT_TRUE(m_manager.FindEntry(35, entry));
    EXPECT_EQ(7, entry.data.level);
    ExpectDeviceInStep();
}

// While a point is dragged its face is not at its entry's place: the step line through that
// place shows whole there, although another face of the same look hides it elsewhere.
TEST_F(TimeLine, TheStepLineShowsWhereADraggedFaceWas)
{
    m_manager.InsertAt(2.0, 1, 3);
    m_manager.InsertAt(3.0, 1, 3);
    RealInput::MoveTo(ScreenX(100), ScreenY(200));
    Tick(3.0);
    const POINT dragged = PointCentre(20);
    RealInput::MoveTo(dragged.x, dragged.y);
    RealInput::Press(Button::Left);
    g_clock += 300;
    for (int step = 1; step <= 4; ++step)
        RealInput::MoveTo(dragged.x + 12 * step, dragged.y - 8 * step);
    CDibCanvas canvas(1000, 750, RGB(40, 40, 40));
    ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
    const CTimeLineGeometry& g = m_manager.Geometry();
    for (int below = 1; below < kPointSize / 2; ++below)
        EXPECT_EQ(PatternColour(1), canvas.Pixel(dragged.x - ScreenX(0), g.EntryY(3) + below)) << below;
    RealInput::Key(VK_ESCAPE);
    RealInput::Release(Button::Left);
    Tick(3.0);
    canvas.Fill(RGB(40, 40, 40));
    ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
    EXPECT_NE(PatternColour(1), canvas.Pixel(dragged.x - ScreenX(0), g.EntryY(3) + 3)) << "the face is back over it";
}

// A user's session with the mouse: rest, wheel and click on the graph, click, drag and
// right-click points; every edit marks the sheet changed and keeps the device in step.
TEST_F(TimeLine, MouseSessionOnTheGraph)
{
    m_manager.InsertAt(2.0, 1, 3);
    m_manager.InsertAt(4.0, 2, 5);
    const std::string saved = m_dir / "\\session.tms";
    ASSERT_TRUE(m_sheet.Save(saved.c_str()));
    Tick(3.0);

    // A button of the editor that carries the first point's identifier.
    TervaneControl::ButtonData data;
    data.m_style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
    data.m_normalX = 60;
    data.m_normalY = 450;
    data.m_width = 28;
    data.m_height = 28;
    data.m_controlId = 50;
    struct CCounting : TervaneControl::CSingleButton {
        void OnClicked() override { ++clicks; }
        int clicks = 0;
    } patternButton;
    ASSERT_TRUE(patternButton.Create(data, m_editor));
    ControlHookList().Add(&patternButton);

    // The wheel steps the drop image's pattern; resting over a free spot shows it there.
    RealInput::MoveTo(ScreenX(GraphPoint(3.5, 8).x), ScreenY(GraphPoint(3.5, 8).y));
    RealInput::Wheel(2);
    EXPECT_EQ(2, m_manager.DropButton()->GetPattern());
    RealInput::Wheel(-5);
    EXPECT_EQ(0, m_manager.DropButton()->GetPattern());
    RealInput::Wheel(3);
    Tick(3.0);
    EXPECT_TRUE(m_manager.DropButton()->IsImageShown());
    RealInput::Press(Button::Left);
    RealInput::Release(Button::Left);
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(m_manager.FindEntry(35, entry));
    EXPECT_EQ(3, entry.data.pattern);
    EXPECT_EQ(8, entry.data.level);
    EXPECT_TRUE(m_manager.IsModified());
    ExpectDeviceInStep();
    m_sheet.MarkSaved();

    // Over a point the drop image goes away; a click there selects the point instead.
    const POINT second = PointCentre(40);
    RealInput::MoveTo(second.x, second.y);
    Tick(3.0);
    EXPECT_FALSE(m_manager.DropButton()->IsImageShown());
    RealInput::Press(Button::Left);
    RealInput::Release(Button::Left);
    EXPECT_TRUE(m_manager.IsSelected(40));
    EXPECT_EQ(3, m_manager.EntryCount());
    EXPECT_EQ(0, patternButton.clicks) << "a point's click is no pattern button's click";
    EXPECT_FALSE(m_manager.IsModified());

    // Choosing a pattern re-patterns the selected point, on the device too.
    SendMessageW(m_editor, WM_PLUGIN_PATTERN, 7, 0);
    EXPECT_EQ(7, m_manager.PatternOf(40));
    EXPECT_EQ(1, m_manager.PatternOf(20));
    EXPECT_TRUE(m_manager.IsModified());
    ExpectDeviceInStep();
    // Clearing the pattern selection is no new pattern.
    SendMessageW(m_editor, WM_PLUGIN_PATTERN, 0, 100);
    EXPECT_EQ(7, m_manager.PatternOf(40));

    // A drag: press, hold past 200 ms, move, release on a free spot.
    m_sheet.MarkSaved();
    const POINT target = GraphPoint(5.0, 2);
    RealInput::MoveTo(second.x, second.y);
    RealInput::Press(Button::Left);
    g_clock += 300;
    for (int step = 1; step <= 4; ++step)
        RealInput::MoveTo(second.x + (ScreenX(target.x) - second.x) * step / 4,
                          second.y + (ScreenY(target.y) - second.y) * step / 4);
    RealInput::Release(Button::Left);
    EXPECT_FALSE(m_manager.FindEntry(40, entry));
    ASSERT_TRUE(m_manager.FindEntry(50, entry));
    EXPECT_EQ(7, entry.data.pattern);
    EXPECT_EQ(2, entry.data.level);
    EXPECT_TRUE(m_manager.IsModified());
    ExpectDeviceInStep();

    // Dropped onto another point's tenth, a dragged point goes back and nothing changes.
    Tick(3.0);
    const POINT first = PointCentre(20);
    // Two pixels right of a point's centre lie within its tenth.
    const POINT occupied = PointCentre(35);
    RealInput::MoveTo(first.x, first.y);
    RealInput::Press(Button::Left);
    g_clock += 300;
    RealInput::MoveTo(occupied.x + 2, occupied.y + 30);
    RealInput::Release(Button::Left);
    Tick(3.0);
    EXPECT_EQ(3, m_manager.EntryCount());
    EXPECT_EQ(first.x, PointCentre(20).x);
    EXPECT_EQ(3, m_manager.PatternOf(35));
    ExpectDeviceInStep();

    // A press released before 200 ms is a click, however the pointer moved.
    RealInput::MoveTo(first.x, first.y);
    RealInput::Press(Button::Left);
    g_clock += 50;
    RealInput::MoveTo(first.x + 30, first.y);
    RealInput::Release(Button::Left);
    EXPECT_TRUE(m_manager.IsSelected(20));

    // Straight up: the same tenth, a new level.
    RealInput::MoveTo(first.x, first.y);
    RealInput::Press(Button::Left);
    g_clock += 300;
    RealInput::MoveTo(first.x, ScreenY(GraphPoint(2.0, 9).y));
    RealInput::Release(Button::Left);
    ASSERT_TRUE(m_manager.FindEntry(20, entry));
    EXPECT_EQ(9, entry.data.level);
    ExpectDeviceInStep();

    // A right click deletes the point under the pointer, and only that one.
    Tick(3.0);
    m_sheet.MarkSaved();
    const POINT doomed = PointCentre(35);
    RealInput::Click(doomed.x, doomed.y, Button::Right);
    EXPECT_FALSE(m_manager.FindEntry(35, entry));
    EXPECT_EQ(2, m_manager.EntryCount());
    EXPECT_TRUE(m_manager.IsModified());
    ExpectDeviceInStep();
    RealInput::Click(ScreenX(GraphPoint(3.0, 5).x), ScreenY(GraphPoint(3.0, 5).y), Button::Right);
    EXPECT_EQ(2, m_manager.EntryCount());

    // From a point straight to a free spot and a click there, before any tick: a new point.
    const POINT onPoint = PointCentre(20);
    RealInput::MoveTo(onPoint.x, onPoint.y);
    Tick(3.0);
    ASSERT_FALSE(m_manager.DropButton()->IsImageShown());
    RealInput::Click(ScreenX(GraphPoint(4.5, 6).x), ScreenY(GraphPoint(4.5, 6).y), Button::Left);
    ASSERT_TRUE(m_manager.FindEntry(45, entry));
    EXPECT_EQ(6, entry.data.level);
    EXPECT_EQ(3, m_manager.EntryCount());
    ExpectDeviceInStep();

    // Saving clears the mark; the points' tooltips follow their windows.
    ASSERT_TRUE(m_sheet.Save(saved.c_str()));
    EXPECT_FALSE(m_manager.IsModified());
    Tick(3.0);
    EXPECT_EQ(m_manager.PointWindowCount(), SendMessageW(m_tooltip, TTM_GETTOOLCOUNT, 0, 0));
}

TEST_F(TimeLine, AnHourLongSheetKeepsWindowsToTheVisiblePart)
{
    std::string text = "movie\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";
    for (int tenth = 0; tenth < 36000; ++tenth)
        text += std::to_string(tenth * 1000) + "\t" + std::to_string(tenth % 10) + "\t" + std::to_string(tenth % 11) +
                "\n";
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\hour.tms", text));
    ASSERT_TRUE(SheetRead::kRead == m_sheet.Load((m_dir / "\\hour.tms").c_str()));
    ASSERT_EQ(36000, m_manager.EntryCount());

    const int limit = 101 + 2 * CTimeLineButtonManager::kWindowMarginKeys;
    for (double now : {0.0, 1800.0, 1800.1, 1830.0, 3599.9}) {
        Tick(now);
        // The pointer over the graph, where the points near it get their windows.
        RealInput::MoveTo(ScreenX(250 + static_cast<int>(now) % 50), ScreenY(220));
        EXPECT_GT(m_manager.PointWindowCount(), 0) << now;
        EXPECT_LE(m_manager.PointWindowCount(), limit) << now;
        EXPECT_EQ(m_manager.PointWindowCount(), SendMessageW(m_tooltip, TTM_GETTOOLCOUNT, 0, 0)) << now;
    }

    // A selection outlives the point's window: re-patterned far away, shown on return.
    Tick(1800.0);
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(m_manager.FindEntry(18000, entry));
    m_manager.ToggleSelected(18000);
    Tick(100.0);
    ASSERT_TRUE(m_manager.FindEntry(18000, entry));
    EXPECT_EQ(nullptr, entry.window);
    SendMessageW(m_editor, WM_PLUGIN_PATTERN, 6, 0);
    Tick(1800.0);
    RealInput::MoveTo(PointCentre(18000).x, PointCentre(18000).y);
    ASSERT_TRUE(m_manager.FindEntry(18000, entry));
    EXPECT_NE(nullptr, entry.window);
    EXPECT_TRUE(entry.selected);
    EXPECT_EQ(6, entry.data.pattern);

    CDibCanvas canvas(1000, 750, RGB(0, 0, 0));
    ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
    // The selected point shows pattern 6's column in the selected row, centred on the line.
    EXPECT_EQ(StripPixel(6 * 20 + 10, 2 * 20 + 10), canvas.Pixel(244, entry.data.y));

    // Zoom 2 packs some forty points under a face: the windows go to the points nearest the
    // pointer, always the one drawn on top under it, and follow the graph as it scrolls under
    // a pointer at rest, so its tooltip and hand cursor are that point's.
    m_manager.SetZoomMode(2);
    const POINT rest = {ScreenX(300), ScreenY(220)};
    RealInput::MoveTo(rest.x, rest.y);
    for (double now = 1800.0; now < 1801.0; now += 0.1) {
        Tick(now);
        int32_t top = INT32_MIN;
        for (int32_t key = TenthOf(now) - 100; key <= TenthOf(now) + 900; ++key) {
            RECT face;
            if (m_manager.PointRect(key, face) && ScreenX(face.left) <= rest.x && rest.x < ScreenX(face.right) &&
                ScreenY(face.top) <= rest.y && rest.y < ScreenY(face.bottom))
                top = key;
        }
        ASSERT_NE(INT32_MIN, top) << now;
        ASSERT_TRUE(m_manager.FindEntry(top, entry));
        EXPECT_NE(nullptr, entry.window) << now;
        EXPECT_EQ(entry.window, WindowFromPoint(rest)) << now;
        wchar_t named[64];
        std::swprintf(named, 64, L"%02d\r\n■レベル:: %02d", static_cast<int>(entry.data.pattern), static_cast<int>(entry.data.level));
        EXPECT_NE(std::wstring::npos, TooltipText(entry.window).find(named)) << now;
    }
    EXPECT_LE(m_manager.PointWindowCount(), limit);
}

} // namespace
