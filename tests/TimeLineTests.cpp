#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
#include "timesheet/EditHistory.h"
#include "timesheet/EntryTime.h"
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
        m_view.Create(&m_host, &m_device, &m_manager, m_editor);
        ControlHookList().Add(&m_view);
        m_manager.AttachWindow(m_tooltip, m_parent.GetBackBufferDC(), m_parent.GetWindow(), &m_parent, &m_device,
                               m_dir.Path());
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

    // Where a time and level lie on the graph now, in editor client pixels.
    POINT GraphPoint(double seconds, int level)
    {
        const CTimeLineGeometry& g = m_manager.Geometry();
        const double tenths = (seconds - m_manager.GetNow()) * 10.0;
        return POINT{static_cast<LONG>(g.origin + tenths * g.pixelsPerTenth + 0.5),
                     static_cast<LONG>(g.baseline - level * g.pixelsPerLevel + 0.5)};
    }

    std::vector<Command> DeviceCommands()
    {
        std::vector<Command> commands;
        CommandData command;
        for (int i = 0; m_device.Sheet().CommandAt(i, command); ++i)
            commands.push_back({command.time, command.pattern, command.level});
        return commands;
    }

    // What the device should play: one command per entry, at the entry's own time.
    std::vector<Command> EntryCommands()
    {
        std::vector<Command> commands;
        for (const auto& entry : m_manager.Entries())
            commands.push_back({EditorCommandTime(entry.data.time / 10.0), entry.data.pattern, entry.data.level});
        std::stable_sort(commands.begin(), commands.end(),
                         [](const Command& a, const Command& b) { return a.time < b.time; });
        return commands;
    }

    void ExpectDeviceInStep()
    {
        const std::vector<Command> device = DeviceCommands();
        const std::vector<Command> entries = EntryCommands();
        ASSERT_EQ(entries.size(), device.size());
        for (size_t i = 0; i < device.size(); ++i) {
            EXPECT_EQ(entries[i].time, device[i].time) << i;
            EXPECT_EQ(entries[i].pattern, device[i].pattern) << i;
            EXPECT_EQ(entries[i].level, device[i].level) << i;
        }
    }

    CGdiplusSession m_gdiplus;
    CTempDir m_dir;
    CSimHidBus m_bus;
    size_t m_tervane = 0;
    CTervaneManager m_device{m_bus};
    CTimeLineButtonManager m_manager;
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
                ASSERT_EQ(EntryKey(part < 0.0 ? 0.0 : part), EntryKey(m_manager.TimeAtX(x)))
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
    // Far away the point has no window at all; back in range it gets one again.
    Tick(300.0);
    ASSERT_TRUE(m_manager.FindEntry(100, entry));
    EXPECT_EQ(nullptr, entry.window);
    Tick(10.0);
    RealInput::MoveTo(ScreenX(244), ScreenY(200));
    EXPECT_EQ(ScreenX(244), WindowCentre(100).x);

    // While the pointer rests, the windows stay where they were and the faces scroll; the
    // next move brings the windows near it up to date.
    Tick(12.0);
    EXPECT_EQ(ScreenX(244), WindowCentre(100).x);
    EXPECT_EQ(ScreenX(244 - 90), PointCentre(100).x);
    CDibCanvas canvas(1000, 750, RGB(0, 0, 0));
    ControlHookList().Dispatch(m_editor, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0, nullptr, false);
    EXPECT_EQ(StripPixel(1 * 20 + 10, 10), canvas.Pixel(244 - 90, entry.data.y)) << "the face is at 10 s";
    RealInput::MoveTo(ScreenX(244 - 80), ScreenY(200));
    EXPECT_EQ(ScreenX(244 - 90), WindowCentre(100).x);
    // Away from the graph nothing follows the pointer.
    RealInput::MoveTo(ScreenX(480), ScreenY(560));
    Tick(14.0);
    EXPECT_EQ(ScreenX(244 - 90), WindowCentre(100).x);
}

// Whatever the layer keeps between ticks, the points must look exactly as drawing every shown
// face in key order, in its state, would: through playback, seeks back and forth, edits of
// shown and hidden entries, selections, zooms and a pointer resting on a face.
TEST_F(TimeLine, PointsLookAsDrawingEveryShownFaceWould)
{
    CGraphPainter painter;
    CDibCanvas canvas(1000, 750, RGB(40, 40, 40));
    CDibCanvas reference(1000, 750, RGB(40, 40, 40));
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
        const bool same = canvas.SameRows(reference, g.graphTop - kPointSize, g.graphBottom + kPointSize, first);
        EXPECT_TRUE(same) << what << " at " << now << " zoom " << m_manager.GetZoomMode() << ", first at " << first.x
                          << "," << first.y << " hovered " << hovered << ": " << std::hex
                          << canvas.Pixel(first.x, first.y) << " for " << reference.Pixel(first.x, first.y);
        return same;
    };

    for (int zoom : {0, 1, 2}) {
        m_manager.SetZoomMode(zoom);
        double now = 20.0 + zoom * 60.0;
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
                m_manager.DeletePoint(EntryKey(now) + pick(120) - 20);
            } else if (what == 5) {
                name = "select";
                m_manager.ToggleSelected(EntryKey(now) + pick(120) - 20);
            } else if (what == 6) {
                name = "repattern";
                m_manager.RepatternSelected(pick(10));
            } else if (what == 7) {
                name = "pointer on a face";
                RECT face;
                if (m_manager.PointRect(EntryKey(now) + pick(60), face))
                    RealInput::MoveTo(ScreenX(face.left + 12), ScreenY(face.top + 12));
            } else if (what == 8) {
                name = "pointer away";
                RealInput::MoveTo(0, 0);
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
    EXPECT_NE(first, entry.window) << "the point button is made anew";
    EXPECT_EQ(0, EntryKey(0.09));
    EXPECT_EQ(1, EntryKey(0.1));
    ExpectDeviceInStep();

    m_manager.ClearEntries();
    m_manager.InsertAt(0.5, 0, 0);
    Tick(0.0);
    RealInput::MoveTo(PointCentre(5).x, PointCentre(5).y);
    EXPECT_EQ(CTimeLineButtonManager::kFirstPointId, GetDlgCtrlID(m_manager.Entries()[0].window));

    // Previous and next points around the playback position; an entry past the medium's end
    // is no later point.
    m_manager.ClearEntries();
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

TEST_F(TimeLine, SavesTheFileFormatExactly)
{
    const std::string path = m_dir / "\\sheet.tms";
    ASSERT_TRUE(m_manager.SaveTimeSheet(path.c_str()));
    const std::string empty =
        "111111\r\r\n222222\r\r\n333333\r\r\n444444\r\r\n555555\r\r\n666666\r\r\n777777\r\r\n888888\r\r\n"
        "999999\r\r\n101010101010\r\r\n";
    EXPECT_EQ(empty, TestSupport::ReadWholeFile(path));

    m_manager.SetMoviePath("C:\\映像\\海.wmv");
    m_manager.InsertAt(12.3, 3, 7);
    m_manager.InsertAt(0.5, 9, 10);
    ASSERT_TRUE(m_manager.SaveTimeSheet(path.c_str()));
    EXPECT_EQ("C:\\映像\\海.wmv\r\r\n" + empty.substr(9) + "5000\t9\t10\t0\t0\r\r\n123000\t3\t7\t0\t0\r\r\n",
              TestSupport::ReadWholeFile(path));
    EXPECT_FALSE(m_manager.IsModified());
}

TEST_F(TimeLine, LoadsWhateverTheSeparatorsLineEndsAndOrder)
{
    struct Case {
        const char* text;
        const char* movie;
        std::vector<std::vector<int>> entries; // key, pattern, level
    };
    const std::string header = "222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";
    const Case cases[] = {
        {"C:\\a b.wmv\r\r\n", "C:\\a b.wmv", {}},
        {"m.wmv\r\n", "m.wmv", {{12, 1, 2}, {50, 3, 4}}},
        {"\n// comment\nm.wmv\n", "m.wmv", {{12, 1, 2}, {50, 3, 4}}},
    };
    const std::string records[] = {
        "12000\t1\t2\t0\t0\r\r\n50000\t3\t4\t0\t0\r\r\n",
        "50000,3,4\n12000,1,2\n",                // commas, and out of time order
        "12000   1    2\n50000  3 4   9  9 9\n", // runs of spaces and extra fields
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::string path = m_dir / ("\\load" + std::to_string(i) + ".tms");
        ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\load" + std::to_string(i) + ".tms",
                                         cases[i].text + header + (i == 0 ? std::string() : records[i])));
        m_manager.SetModified(true);
        ASSERT_TRUE(m_manager.LoadTimeSheet(path.c_str()));
        EXPECT_EQ(cases[i].movie, m_manager.HeaderLine(0));
        EXPECT_FALSE(m_manager.IsModified());
        const auto entries = m_manager.Entries();
        ASSERT_EQ(cases[i].entries.size(), entries.size());
        for (size_t e = 0; e < entries.size(); ++e) {
            EXPECT_EQ(cases[i].entries[e][0], entries[e].key);
            EXPECT_EQ(cases[i].entries[e][1], entries[e].data.pattern);
            EXPECT_EQ(cases[i].entries[e][2], entries[e].data.level);
        }
    }
    // Two records in one tenth: the editor keeps the later one.
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\same.tms", "m\n" + header + "12300\t1\t1\n12350\t2\t2\n"));
    ASSERT_TRUE(m_manager.LoadTimeSheet((m_dir / "\\same.tms").c_str()));
    ASSERT_EQ(1, m_manager.EntryCount());
    EXPECT_EQ(2, m_manager.Entries()[0].data.pattern);
    EXPECT_FALSE(m_manager.LoadTimeSheet((m_dir / "\\missing.tms").c_str()));
    EXPECT_EQ(1, m_manager.EntryCount()) << "a file that cannot be opened changes nothing";
}

TEST_F(TimeLine, LoadAndSaveKeepEveryRecordTime)
{
    std::mt19937 random(7);
    std::map<int32_t, int32_t> byTenth; // tenth -> record time, one record per tenth
    byTenth[2] = 287;
    for (int i = 0; i < 600; ++i) {
        const int32_t time = static_cast<int32_t>(random() % 200000000);
        byTenth[time / 1000] = time;
    }
    std::string text = "movie\n222222\n333333\n444444\n555555\n666666\n777777\n888888\n999999\n101010101010\n";
    for (const auto& record : byTenth)
        text += std::to_string(record.second) + "\t1\t2\t0\t0\n";
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\in.tms", text));
    ASSERT_TRUE(m_manager.LoadTimeSheet((m_dir / "\\in.tms").c_str()));
    const std::string out = m_dir / "\\out.tms";
    ASSERT_TRUE(m_manager.SaveTimeSheet(out.c_str()));

    const std::string saved = TestSupport::ReadWholeFile(out);
    std::vector<int32_t> times;
    size_t line = 0;
    for (size_t at = 0; at < saved.size(); ++line) {
        const size_t end = saved.find('\n', at);
        if (line >= 10)
            times.push_back(static_cast<int32_t>(std::stol(saved.substr(at, saved.find('\t', at) - at))));
        at = end + 1;
    }
    std::vector<int32_t> expected;
    for (const auto& record : byTenth)
        expected.push_back(record.second);
    EXPECT_EQ(expected, times);
}

TEST_F(TimeLine, AFailedSaveLeavesTheOldFileAndSaysSo)
{
    m_manager.InsertAt(1.0, 2, 3);
    const std::string path = m_dir / "\\kept.tms";
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\kept.tms", "the user's good sheet"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    m_manager.SetModified(true);
    EXPECT_FALSE(m_manager.SaveTimeSheet(path.c_str()));
    EXPECT_EQ("the user's good sheet", TestSupport::ReadWholeFile(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(m_manager.SaveTimeSheet((m_dir / "\\no such folder\\new.tms").c_str()));

    // Nothing but the sheet itself is left in the folder.
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((m_dir / "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    std::vector<std::string> names;
    do {
        if (found.cFileName[0] != '.')
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"kept.tms", "obj"}), names);
}

// Random edits of every kind keep the device's playing sheet equal to the points shown.
TEST_F(TimeLine, TheDeviceSheetFollowsEveryEdit)
{
    m_manager.SetZoomMode(2);
    Tick(10.0); // the graph shows 0 s to 100 s: every point below has its window
    std::mt19937 random(11);
    auto someKey = [&]() {
        const auto entries = m_manager.Entries();
        return entries.empty() ? -1 : entries[random() % entries.size()].key;
    };
    for (int step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        const double seconds = (random() % 900) / 10.0 + (random() % 10) / 100.0;
        const POINT spot = GraphPoint(seconds, static_cast<int>(random() % 11));
        switch (random() % 5) {
        case 0:
            m_manager.InsertAt(seconds, random() % 10, random() % 11);
            break;
        case 1:
            m_manager.AddPointAt(spot, random() % 10);
            break;
        case 2: {
            const int32_t key = someKey();
            if (key >= 0)
                m_manager.MovePoint(key, spot);
            break;
        }
        case 3: {
            const int32_t key = someKey();
            if (key >= 0)
                m_manager.DeletePoint(key);
            break;
        }
        default: {
            const int32_t key = someKey();
            if (key >= 0)
                m_manager.SetSelected(key, true);
            m_manager.RepatternSelected(random() % 10);
            break;
        }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectDeviceInStep());
        if (step % 50 == 49)
            Tick(10.0);
    }
    EXPECT_GT(m_manager.EntryCount(), 20);
}

// Undo and redo retrace random edits of every kind exactly: the entries come back as they
// were after each step, the device plays them as after the edit itself, and the sheet is
// unmodified exactly when the history stands where it was last saved.
TEST_F(TimeLine, UndoAndRedoRetraceEveryEdit)
{
    using Snapshot = std::vector<std::vector<double>>;
    const auto snapshot = [this] {
        Snapshot entries;
        for (const auto& entry : m_manager.Entries())
            entries.push_back({double(entry.key), entry.data.time, double(entry.data.pattern), double(entry.data.level)});
        return entries;
    };
    m_manager.SetZoomMode(2);
    Tick(10.0);
    std::mt19937 random(23);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto someKey = [&]() {
        const auto entries = m_manager.Entries();
        return entries.empty() ? -1 : entries[pick(static_cast<int>(entries.size()))].key;
    };
    std::vector<Snapshot> states = {snapshot()};
    size_t at = 0;
    long saved = 0;
    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE(step);
        const double seconds = pick(900) / 10.0 + pick(10) / 100.0;
        const POINT spot = GraphPoint(seconds, pick(11));
        const int what = pick(12);
        bool edit = true;
        if (what == 0) {
            m_manager.InsertAt(seconds, pick(10), pick(11));
        } else if (what == 1 || what == 2) {
            m_manager.AddPointAt(spot, pick(10));
        } else if (what == 3 && someKey() >= 0) {
            m_manager.MovePoint(someKey(), spot);
        } else if (what == 4 && someKey() >= 0) {
            m_manager.DeletePoint(someKey());
        } else if (what == 5) {
            for (int i = 0; i < 3 && someKey() >= 0; ++i)
                m_manager.SetSelected(someKey(), true);
            if (pick(2) == 0)
                m_manager.RepatternSelected(pick(10));
            else
                m_manager.DeleteSelected();
        } else if (what == 6 && pick(8) == 0) {
            // As the delete-all button does: the device's sheet is emptied beside the entries.
            m_manager.DeleteAll();
            m_device.Reset();
        } else if (what == 7 || what == 8) {
            edit = false;
            const bool done = m_manager.Undo();
            EXPECT_EQ(at > 0, done);
            at -= done ? 1 : 0;
        } else if (what == 9) {
            edit = false;
            const bool done = m_manager.Redo();
            EXPECT_EQ(at + 1 < states.size(), done);
            at += done ? 1 : 0;
        } else if (what == 10 && pick(4) == 0) {
            edit = false;
            m_manager.SetModified(false); // as a save does
            saved = static_cast<long>(at);
        } else {
            edit = false;
        }
        const Snapshot now = snapshot();
        if (edit && now != states[at]) {
            states.resize(at + 1);
            states.push_back(now);
            if (saved > static_cast<long>(at))
                saved = -1;
            ++at;
        }
        ASSERT_EQ(states[at], now) << "what " << what;
        ASSERT_NO_FATAL_FAILURE(ExpectDeviceInStep());
        EXPECT_EQ(saved != static_cast<long>(at), m_manager.IsModified()) << "what " << what;
        EXPECT_EQ(at > 0, m_manager.CanUndo());
        EXPECT_EQ(at + 1 < states.size(), m_manager.CanRedo());
    }
    EXPECT_GT(states.size(), 100u);

    // A step made in one zoom and undone in another lands where that zoom draws it.
    m_manager.SetZoomMode(0);
    m_manager.AddPointAt(GraphPoint(12.0, 5), 3);
    m_manager.SetZoomMode(1);
    ASSERT_TRUE(m_manager.Undo());
    ASSERT_TRUE(m_manager.Redo());
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(m_manager.FindEntry(120, entry));
    EXPECT_EQ(m_manager.Geometry().EntryX(120.0), entry.data.x);
    EXPECT_EQ(m_manager.Geometry().EntryY(5), entry.data.y);

    // Loading a sheet is no step, and nothing behind it can be undone.
    const std::string path = m_dir / "\\loaded.tms";
    ASSERT_TRUE(m_manager.SaveTimeSheet(path.c_str()));
    ASSERT_TRUE(m_manager.LoadTimeSheet(path.c_str()));
    EXPECT_FALSE(m_manager.CanUndo());
    EXPECT_FALSE(m_manager.CanRedo());
    EXPECT_FALSE(m_manager.IsModified());
}

// The history keeps its newest steps within its bounds, and knows when the saved state has
// fallen out of reach.
TEST(EditHistory, KeepsTheNewestStepsWithinItsBounds)
{
    const auto stepOf = [](size_t tenths) {
        EditStep step(tenths);
        for (size_t i = 0; i < tenths; ++i)
            step[i].key = static_cast<int32_t>(i);
        return step;
    };
    CEditHistory history;
    EXPECT_TRUE(history.AtSaved());
    history.Push(EditStep());
    EXPECT_FALSE(history.CanUndo()) << "an empty step is none";
    history.Push(stepOf(1));
    history.MarkSaved();
    for (size_t i = 0; i < CEditHistory::kMostSteps + 5; ++i)
        history.Push(stepOf(1));
    EXPECT_EQ(CEditHistory::kMostSteps, history.StepCount());
    size_t undone = 0;
    while (history.Undo() != nullptr)
        ++undone;
    EXPECT_EQ(CEditHistory::kMostSteps, undone);
    EXPECT_FALSE(history.AtSaved()) << "the saved state went with the oldest steps";

    history.Clear();
    EXPECT_TRUE(history.AtSaved());
    history.Push(stepOf(CEditHistory::kMostChanges / 2));
    history.Push(stepOf(CEditHistory::kMostChanges / 2));
    history.Push(stepOf(10));
    EXPECT_EQ(2u, history.StepCount()) << "the tenths held stay within their bound";
    history.Push(stepOf(CEditHistory::kMostChanges + 1));
    EXPECT_EQ(1u, history.StepCount()) << "the newest step stays, however large";
    ASSERT_NE(nullptr, history.Undo());
    EXPECT_EQ(nullptr, history.Undo());
    ASSERT_NE(nullptr, history.Redo());
    history.Undo();
    history.Push(stepOf(1));
    EXPECT_FALSE(history.CanRedo()) << "a new step after an undo drops what could be redone";
}

// The commands of one tenth, however many a hand-made file put there, are what the entry
// of that tenth stands for: every edit of the entry takes all of them.
TEST_F(TimeLine, EveryEditOfAnEntryTakesAllTheCommandsOfItsTenth)
{
    const std::string header = "m\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\crowded.tms",
                                     header + "30010\t5\t5\n12300\t1\t1\n12350\t2\t2\n20000\t3\t3\n20000\t4\t4\n"
                                              "30000\t6\t6\n40000\t7\t7\n"));
    const std::string path = m_dir / "\\crowded.tms";
    ASSERT_TRUE(m_device.LoadSheet(path.c_str(), true));
    ASSERT_TRUE(m_manager.LoadTimeSheet(path.c_str()));
    EXPECT_EQ(7, m_device.Sheet().Count()) << "loading keeps every record on the device";
    m_manager.SetZoomMode(1);
    Tick(2.0);

    ASSERT_TRUE(m_manager.DeletePoint(12));
    m_manager.InsertAt(2.05, 8, 8);
    m_manager.SetSelected(30, true);
    m_manager.RepatternSelected(9);
    m_manager.MovePoint(40, GraphPoint(6.0, 2));
    ExpectDeviceInStep();
    EXPECT_EQ(DeviceCommands(), (std::vector<Command>{{20500, 8, 8}, {30000, 9, 6}, {60000, 7, 2}}));

    for (int32_t key : {-3, -1, 0, 1, 12, 123, 287, 9999, 214748, 2147483, -2147483}) {
        int32_t first = 0, last = 0;
        CommandTimesOfKey(key, first, last);
        EXPECT_EQ(key, KeyOfCommandTime(first)) << key;
        EXPECT_EQ(key, KeyOfCommandTime(last)) << key;
        if (first > INT32_MIN) {
            EXPECT_NE(key, KeyOfCommandTime(first - 1)) << key;
        }
        if (last < INT32_MAX) {
            EXPECT_NE(key, KeyOfCommandTime(last + 1)) << key;
        }
    }
}

// What a file says is kept as it is, and drawn where the graph can show it.
TEST_F(TimeLine, ValuesOutOfRangeStayAsReadAndAreDrawnOnTheGraph)
{
    const std::string header = "m\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
    ASSERT_TRUE(TestSupport::WriteAt(m_dir, "\\wild.tms", header + "10000\t15\t-4\n20000\t-2\t25\n"));
    ASSERT_TRUE(m_manager.LoadTimeSheet((m_dir / "\\wild.tms").c_str()));
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
    ASSERT_TRUE(m_manager.SaveTimeSheet(saved.c_str()));
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
    m_manager.SetModified(false);
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

// A user's session with the mouse: rest, wheel and click on the graph, click, drag and
// right-click points; every edit marks the sheet changed and keeps the device in step.
TEST_F(TimeLine, MouseSessionOnTheGraph)
{
    m_manager.InsertAt(2.0, 1, 3);
    m_manager.InsertAt(4.0, 2, 5);
    const std::string saved = m_dir / "\\session.tms";
    ASSERT_TRUE(m_manager.SaveTimeSheet(saved.c_str()));
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
    EXPECT_TRUE(IsWindowEnabled(m_manager.DropButton()->GetWindow()));
    RealInput::Press(Button::Left);
    RealInput::Release(Button::Left);
    CTimeLineButtonManager::EntryView entry;
    ASSERT_TRUE(m_manager.FindEntry(35, entry));
    EXPECT_EQ(3, entry.data.pattern);
    EXPECT_EQ(8, entry.data.level);
    EXPECT_TRUE(m_manager.IsModified());
    ExpectDeviceInStep();
    m_manager.SetModified(false);

    // Over a point the drop image goes away; a click there selects the point instead.
    const POINT second = PointCentre(40);
    RealInput::MoveTo(second.x, second.y);
    Tick(3.0);
    EXPECT_FALSE(IsWindowEnabled(m_manager.DropButton()->GetWindow()));
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
    m_manager.SetModified(false);
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
    m_manager.SetModified(false);
    const POINT doomed = PointCentre(35);
    RealInput::Click(doomed.x, doomed.y, Button::Right);
    EXPECT_FALSE(m_manager.FindEntry(35, entry));
    EXPECT_EQ(2, m_manager.EntryCount());
    EXPECT_TRUE(m_manager.IsModified());
    ExpectDeviceInStep();
    RealInput::Click(ScreenX(GraphPoint(3.0, 5).x), ScreenY(GraphPoint(3.0, 5).y), Button::Right);
    EXPECT_EQ(2, m_manager.EntryCount());

    // Saving clears the mark; the points' tooltips follow their windows.
    ASSERT_TRUE(m_manager.SaveTimeSheet(saved.c_str()));
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
    ASSERT_TRUE(m_manager.LoadTimeSheet((m_dir / "\\hour.tms").c_str()));
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
}

} // namespace
