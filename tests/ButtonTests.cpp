#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/SingleButton.h"
#include "editor/EditorContext.h"
#include "editor/DibCanvas.h"
#include "editor/GdiplusSession.h"
#include "editor/PluginMessages.h"
#include "support/SkinFiles.h"
#include "support/TestWindow.h"

using TervaneControl::ButtonData;
using TervaneControl::CButton;
using TervaneControl::CSingleButton;
using TestSupport::CTempDir;
using TestSupport::CTestWindow;

namespace {

constexpr COLORREF kBackdrop = RGB(10, 20, 30);
constexpr int kWindowX = 200;
constexpr int kWindowY = 150;
constexpr int kCellWidth = 20;
constexpr int kCellHeight = 10;

COLORREF Coded(int x, int y)
{
    return RGB(x + 1, y, 77);
}

// Records which operation the dispatcher called, with its arguments.
class CRecordingButton : public CButton {
public:
    void OnSizeMode(WPARAM request) override { Log("size " + std::to_string(static_cast<long long>(request))); }
    void OnDraw(HDC) override { Log("draw"); }
    void OnPattern(WPARAM w, LPARAM l) override { Log("pattern " + std::to_string(w) + " " + std::to_string(l)); }
    void OnLevel(WPARAM w) override { Log("level " + std::to_string(w)); }
    void OnCommand(HWND, WPARAM w, LPARAM) override { Log("command " + std::to_string(w)); }
    LRESULT OnLButtonDown(HWND, WPARAM, uint32_t x, uint32_t y) override { return Mouse("ldown", x, y, 5); }
    LRESULT OnLButtonUp(HWND, WPARAM, uint32_t x, uint32_t y) override { return Mouse("lup", x, y, 6); }
    LRESULT OnRButtonDown(HWND, WPARAM, uint32_t x, uint32_t y) override { return Mouse("rdown", x, y, 8); }
    void OnRButtonUp(HWND, WPARAM, uint32_t x, uint32_t y) override { Mouse("rup", x, y, 0); }
    void OnPointerMoved(HWND, int32_t, int32_t) override { Log("pointer"); }
    void OnMouseWheel(HWND, WPARAM, LPARAM) override { Log("wheel"); }
    void OnDrawItem(HWND, WPARAM, const DRAWITEMSTRUCT* item) override { Log(item ? "drawitem" : "drawitem null"); }
    void OnPaused() override { Log("paused"); }
    void OnStopped() override { Log("stopped"); }
    void OnPlaying() override { Log("playing"); }
    void OnReady() override { Log("ready"); }
    void OnMediaOpen() override { Log("mediaopen"); }
    void OnDropFiles(HWND, HDROP, LPARAM) override { Log("drop"); }
    void OnHover(WPARAM w, uint32_t x, uint32_t y) override
    {
        Log("hover " + std::to_string(w) + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnOpenPath(HWND, WPARAM, LPARAM) override { Log("openpath"); }
    void OnClose() override { Log("close"); }
    void OnDestroy() override { Log("destroy"); }

    std::string m_log;

private:
    void Log(const std::string& entry) { m_log += m_log.empty() ? entry : "; " + entry; }
    LRESULT Mouse(const char* name, uint32_t x, uint32_t y, LRESULT result)
    {
        Log(std::string(name) + " " + std::to_string(x) + " " + std::to_string(y));
        return result;
    }
};

TEST(ButtonDispatcher, MapsEachMessageToItsOperation)
{
    DRAWITEMSTRUCT item = {};
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* expectedLog;
        LRESULT expectedResult;
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0xFFFF, 3), "ldown 65535 3", 5},
        {WM_LBUTTONUP, 0, MAKELPARAM(12, 0xFFF0), "lup 12 65520", 6},
        {WM_RBUTTONDOWN, 0, MAKELPARAM(1, 2), "rdown 1 2", 8},
        {WM_RBUTTONUP, 0, MAKELPARAM(3, 4), "rup 3 4", 0},
        {WM_PAINT, 0, 0, "draw", 0},
        {WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item), "drawitem", 0},
        {WM_COMMAND, MAKEWPARAM(43, BN_CLICKED), 0, "command 43", 0},
        {WM_MOUSEWHEEL, 0, 0, "wheel", 0},
        {WM_DROPFILES, 0, 0, "drop", 0},
        {WM_CLOSE, 0, 0, "close", 0},
        {WM_DESTROY, 0, 0, "destroy", 0},
        {WM_PLUGIN_SIZEMODE, 1, 0, "size 1", 0},
        {WM_PLUGIN_PATTERN, 0, 100, "pattern 0 100", 0},
        {WM_PLUGIN_LEVEL, 10, 0, "level 10", 0},
        {WM_PLUGIN_PAUSED, 0, 0, "paused", 0},
        {WM_PLUGIN_READY, 0, 0, "ready", 0},
        {WM_PLUGIN_MEDIAOPEN, 0, 0, "mediaopen", 0},
        {WM_PLUGIN_HOVER, MK_LBUTTON, MAKELPARAM(40, 50), "hover 1 40 50", 0},
        {WM_PLUGIN_OPENPATH, 0, 0, "openpath", 0},
        // Hover comes from polling the cursor, never from WM_MOUSEMOVE.
        {WM_MOUSEMOVE, 0, MAKELPARAM(1, 1), "", 0},
        {WM_TIMER, 1, 0, "", 0},
        {WM_PLUGIN_TICK, 0, 0, "", 0},
        {WM_PLUGIN_TICKER, 0, 0, "", 0},
        {WM_PLUGIN_DELETEPOINT, 0, 0, "", 0},
        {WM_TOOLTIP_ATTACH, 0, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        CRecordingButton button;
        EXPECT_EQ(c.expectedResult, button.HandleMessage(nullptr, c.message, c.wParam, c.lParam));
        EXPECT_EQ(c.expectedLog, button.m_log);
    }
}

// A one-window button that counts its clicks.
class CCountingButton : public CSingleButton {
public:
    void OnClicked() override { ++m_clicks; }
    int m_clicks = 0;
};

class ButtonBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Keep the cursor off every button unless a test puts it there.
        TestSupport::PlaceCursor(0, 0);
    }
    void TearDown() override { ControlHookList().Clear(); }

    // A strip of columns x 5 cells of 20 x 10.
    std::string WriteStrip(int columns)
    {
        const std::string path = m_dir / ("\\strip" + std::to_string(columns) + ".bmp");
        EXPECT_TRUE(WriteBmp24(path, columns * kCellWidth, 5 * kCellHeight, Coded));
        return path;
    }

    static ButtonData Data(const std::string& skin, uint32_t columns, int32_t column)
    {
        ButtonData data;
        data.m_style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
        data.m_normalX = 30;
        data.m_normalY = 40;
        data.m_wideX = 300;
        data.m_wideY = 200;
        data.m_miniX = 60;
        data.m_miniY = 5;
        data.m_width = kCellWidth;
        data.m_height = kCellHeight;
        data.m_skinPath = skin;
        data.m_controlId = 43;
        data.m_columns = columns;
        data.m_rows = 5;
        data.m_skinColumn = column;
        return data;
    }

    bool Create(CCountingButton& button, const ButtonData& data)
    {
        const bool created = button.Create(data, m_parent.Get());
        ControlHookList().Add(&button);
        return created;
    }

    // The canvas shows the strip cell (column, row) at (x, y) and nothing else.
    bool ShowsCell(int x, int y, int column, int row)
    {
        for (int dy = 0; dy < kCellHeight; ++dy)
            for (int dx = 0; dx < kCellWidth; ++dx)
                if (m_canvas.Pixel(x + dx, y + dy) != Coded(column * kCellWidth + dx, row * kCellHeight + dy))
                    return false;
        return m_canvas.AreaIs(0, 0, 600, y, kBackdrop) && m_canvas.AreaIs(0, y + kCellHeight, 600, 400, kBackdrop);
    }

    POINT PositionInParent(HWND window)
    {
        RECT rect;
        GetWindowRect(window, &rect);
        POINT at = {rect.left, rect.top};
        ScreenToClient(m_parent.Get(), &at);
        return at;
    }

    CGdiplusSession m_gdiplus;
    CTempDir m_dir;
    CTestWindow m_parent{kWindowX, kWindowY, 600, 400};
    CDibCanvas m_canvas{600, 400, kBackdrop};
};

TEST_F(ButtonBase, OnlyASingleClickOfItsOwnIdentifierCounts)
{
    CCountingButton button;
    ASSERT_TRUE(Create(button, Data(WriteStrip(1), 1, 0)));
    struct Case {
        WPARAM wParam;
        int clicks;
    };
    const Case cases[] = {
        {MAKEWPARAM(43, BN_CLICKED), 1},
        {MAKEWPARAM(43, BN_DOUBLECLICKED), 0},
        {MAKEWPARAM(44, BN_CLICKED), 0},
        {MAKEWPARAM(43, BN_SETFOCUS), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wParam);
        button.m_clicks = 0;
        ControlHookList().Dispatch(m_parent.Get(), WM_COMMAND, c.wParam, 0, nullptr, false);
        EXPECT_EQ(c.clicks, button.m_clicks);
    }
    // A real click travels from the button window through its parent.
    button.m_clicks = 0;
    SendMessageW(button.Face().GetWindow(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, button.m_clicks);
}

TEST_F(ButtonBase, SizeModeMovesWindowAndStripTogether)
{
    CCountingButton button;
    ASSERT_TRUE(Create(button, Data(WriteStrip(1), 1, 0)));
    struct Case {
        WPARAM request;
        int x, y;
    };
    const Case cases[] = {
        {1, 300, 200},
        {0, 30, 40},
        {static_cast<WPARAM>(-1), 60, 5},
        {1, 300, 200},
        // The stored code of mini is no request: nothing moves.
        {2, 300, 200},
        {0xFFFFFFFFu, 60, 5},
        {7, 60, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<long long>(c.request));
        ControlHookList().Dispatch(m_parent.Get(), WM_PLUGIN_SIZEMODE, c.request, 0, nullptr, false);
        const POINT at = PositionInParent(button.Face().GetWindow());
        EXPECT_EQ(c.x, at.x);
        EXPECT_EQ(c.y, at.y);
        m_canvas.Fill(kBackdrop);
        button.OnDraw(m_canvas.Dc());
        EXPECT_TRUE(ShowsCell(c.x, c.y, 0, 0));
        // Hover follows the face to where it went, and only there.
        for (const POINT& pointer : {POINT{c.x + kCellWidth - 1, c.y}, POINT{c.x + kCellWidth, c.y}, POINT{30, 40}}) {
            ASSERT_TRUE(TestSupport::PlaceCursor(kWindowX + pointer.x, kWindowY + pointer.y));
            button.OnDraw(m_canvas.Dc());
            EXPECT_EQ(pointer.x >= c.x && pointer.x < c.x + kCellWidth && pointer.y == c.y, button.Face().IsHovered())
                << pointer.x << "," << pointer.y;
        }
        ASSERT_TRUE(TestSupport::PlaceCursor(0, 0));
        button.OnDraw(m_canvas.Dc());
    }
}

TEST_F(ButtonBase, StatesShowTheRowsOfTheButtonsColumn)
{
    CCountingButton left, right;
    const std::string strip = WriteStrip(2);
    ASSERT_TRUE(Create(left, Data(strip, 2, 0)));
    ASSERT_TRUE(Create(right, Data(strip, 2, 1)));
    for (int state = 0; state < 5; ++state) {
        SCOPED_TRACE(state);
        left.Face().GetStrip().SetState(state);
        right.Face().GetStrip().SetState(state);
        m_canvas.Fill(kBackdrop);
        left.OnDraw(m_canvas.Dc());
        EXPECT_TRUE(ShowsCell(30, 40, 0, state));
        m_canvas.Fill(kBackdrop);
        right.OnDraw(m_canvas.Dc());
        // With 2 columns and skin column 1, state 2 shows the second column, third row.
        EXPECT_TRUE(ShowsCell(30, 40, 1, state));
    }
}

TEST_F(ButtonBase, DrawItemFollowsPressAndRelease)
{
    CCountingButton button;
    ASSERT_TRUE(Create(button, Data(WriteStrip(1), 1, 0)));
    const HWND window = button.Face().GetWindow();
    struct Case {
        HWND item;
        UINT itemState;
        int expectedState;
        bool expectedLatched;
    };
    const Case cases[] = {
        {window, ODS_SELECTED, 2, true},
        {nullptr, 0, 2, true}, // another window's notice changes nothing
        {window, 0, 0, false},
        {window, ODS_SELECTED | ODS_FOCUS, 2, true},
        {window, ODS_FOCUS, 0, false},
        {window, ODS_DISABLED, 4, false},
    };
    for (const Case& c : cases) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.hwndItem = c.item == nullptr ? m_parent.Get() : c.item;
        item.itemState = c.itemState;
        ControlHookList().Dispatch(m_parent.Get(), WM_DRAWITEM, 43, reinterpret_cast<LPARAM>(&item), nullptr, false);
        EXPECT_EQ(c.expectedState, button.Face().GetStrip().GetState());
        EXPECT_EQ(c.expectedLatched, button.Face().IsLatched());
    }
}

TEST_F(ButtonBase, HoverIsFoundByPollingTheCursorWhileDrawing)
{
    CCountingButton button;
    ASSERT_TRUE(Create(button, Data(WriteStrip(1), 1, 0)));
    ASSERT_TRUE(TestSupport::PlaceCursor(kWindowX + 35, kWindowY + 45));

    // Moving the mouse alone changes nothing; the render pass finds the hover.
    ControlHookList().Dispatch(m_parent.Get(), WM_MOUSEMOVE, 0, MAKELPARAM(35, 45), nullptr, false);
    EXPECT_EQ(0, button.Face().GetStrip().GetState());
    button.OnDraw(m_canvas.Dc());
    EXPECT_TRUE(button.Face().IsHovered());
    EXPECT_EQ(1, button.Face().GetStrip().GetState());
    EXPECT_TRUE(ShowsCell(30, 40, 0, 1));

    // While latched (pressed), hover tracking is off.
    button.Face().SetLatched(true);
    ASSERT_TRUE(TestSupport::PlaceCursor(0, 0));
    button.OnDraw(m_canvas.Dc());
    EXPECT_TRUE(button.Face().IsHovered());

    button.Face().SetLatched(false);
    m_canvas.Fill(kBackdrop);
    button.OnDraw(m_canvas.Dc());
    EXPECT_FALSE(button.Face().IsHovered());
    EXPECT_EQ(0, button.Face().GetStrip().GetState());
    EXPECT_TRUE(ShowsCell(30, 40, 0, 0));
}

TEST_F(ButtonBase, DisabledButtonKeepsItsDisabledFace)
{
    CCountingButton button;
    ASSERT_TRUE(Create(button, Data(WriteStrip(1), 1, 0)));
    const HWND window = button.Face().GetWindow();
    button.Enable(false);
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_EQ(4, button.Face().GetStrip().GetState());

    // The system repaints the disabled button, the cursor passes over it: still state 4.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    TestSupport::PumpMessages();
    ASSERT_TRUE(TestSupport::PlaceCursor(kWindowX + 35, kWindowY + 45));
    button.OnDraw(m_canvas.Dc());
    EXPECT_EQ(4, button.Face().GetStrip().GetState());
    EXPECT_TRUE(ShowsCell(30, 40, 0, 4));

    ASSERT_TRUE(TestSupport::PlaceCursor(0, 0));
    button.Enable(true);
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(0, button.Face().GetStrip().GetState());
}

TEST_F(ButtonBase, MissingSkinDrawsNothingButStillClicks)
{
    CCountingButton button;
    ASSERT_TRUE(Create(button, Data(m_dir / "\\nothing_here.bmp", 1, 0)));
    button.OnDraw(m_canvas.Dc());
    button.Face().GetStrip().SetState(2);
    button.OnDraw(m_canvas.Dc());
    EXPECT_TRUE(m_canvas.AreaIs(0, 0, 600, 400, kBackdrop));
    SendMessageW(button.Face().GetWindow(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, button.m_clicks);
    ControlHookList().Dispatch(m_parent.Get(), WM_PLUGIN_SIZEMODE, 1, 0, nullptr, false);
    EXPECT_EQ(300, PositionInParent(button.Face().GetWindow()).x);
}

} // namespace
