#include <gtest/gtest.h>

#include "editor/PaintLook.h"

#include <functional>
#include <string>
#include <vector>

#include "editor/BitmapObject.h"
#include "editor/EditorContext.h"
#include "editor/DibCanvas.h"
#include "editor/GdiplusSession.h"
#include "editor/ParentStaticObject.h"
#include "editor/PluginMessages.h"
#include "support/SkinFiles.h"
#include "support/TestWindow.h"

using Quorvel::Base::AppFrame::IWinMsgHook;
using TestSupport::CTestWindow;

namespace {

// Paints a rectangle into the DC it is handed with WM_PAINT and logs every message.
class CPaintingHook : public IWinMsgHook {
public:
    CPaintingHook(RECT area, COLORREF colour, LRESULT result = 0) : m_area(area), m_colour(colour), m_result(result) {}
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM) override
    {
        m_messages.push_back(message);
        m_windows.push_back(window);
        if (message == WM_PAINT) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            if (PaintLook::Note(dc, m_area, m_colour))
                return 0;
            ++m_paints;
            const HBRUSH brush = CreateSolidBrush(m_colour);
            FillRect(reinterpret_cast<HDC>(wParam), &m_area, brush);
            DeleteObject(brush);
            return 0;
        }
        return m_result;
    }
    int m_paints = 0;
    bool Saw(UINT message) const
    {
        for (UINT seen : m_messages)
            if (seen == message)
                return true;
        return false;
    }

    RECT m_area;
    COLORREF m_colour;
    LRESULT m_result;
    std::vector<UINT> m_messages;
    std::vector<HWND> m_windows;
};

class BackBuffer : public ::testing::Test {
protected:
    void TearDown() override { ControlHookList().Clear(); }

    CTestWindow m_editor{0, 0, 1000, 750};
};

TEST_F(BackBuffer, RenderPaintsEveryControlInRegistrationOrder)
{
    CParentStaticObject parent;
    ASSERT_TRUE(parent.Create(GetModuleHandleW(nullptr), m_editor.Get()));
    const CEditorContext& context = EditorContext();
    ASSERT_NE(nullptr, parent.GetWindow());
    EXPECT_EQ(parent.GetWindow(), context.parentStatic);
    EXPECT_EQ(parent.GetBackBufferDC(), context.backBufferDC);
    EXPECT_EQ(parent.GetScratchDC(), context.scratchDC);
    EXPECT_NE(nullptr, context.staticProc);
    EXPECT_EQ(TRANSPARENT, GetBkMode(context.backBufferDC));
    RECT client;
    GetClientRect(parent.GetWindow(), &client);
    EXPECT_EQ(1000, client.right);
    EXPECT_EQ(750, client.bottom);

    CPaintingHook first({0, 0, 100, 100}, RGB(200, 0, 0));
    CPaintingHook second({50, 50, 1000, 750}, RGB(0, 0, 200));
    ControlHookList().Add(&first);
    ControlHookList().Add(&second);
    parent.Render(parent.GetWindow());
    // Later controls paint over earlier ones; the buffer reaches the far corner.
    EXPECT_EQ(RGB(200, 0, 0), GetPixel(context.backBufferDC, 10, 10));
    EXPECT_EQ(RGB(0, 0, 200), GetPixel(context.backBufferDC, 60, 60));
    EXPECT_EQ(RGB(0, 0, 200), GetPixel(context.backBufferDC, 999, 749));
    EXPECT_EQ(std::vector<HWND>(first.m_windows.size(), parent.GetWindow()), first.m_windows);

    // Handed a message as a hook, the object offers it to the controls.
    first.m_result = 3;
    EXPECT_EQ(3, parent.HandleMessage(m_editor.Get(), WM_PLUGIN_FILENAME, 0, 0));
    EXPECT_EQ(m_editor.Get(), first.m_windows.back());
    EXPECT_FALSE(second.Saw(WM_PLUGIN_FILENAME));
}

// A tick paints only where a look changed: everything over or under it paints there again,
// clipped to it, and what did not change is left alone.
TEST_F(BackBuffer, RenderPaintsOnlyWhereALookChanged)
{
    CParentStaticObject parent;
    ASSERT_TRUE(parent.Create(GetModuleHandleW(nullptr), m_editor.Get()));
    const HDC buffer = EditorContext().backBufferDC;
    CPaintingHook under({0, 0, 1000, 750}, RGB(10, 10, 10));
    CPaintingHook left({100, 100, 200, 200}, RGB(200, 0, 0));
    CPaintingHook right({600, 100, 700, 200}, RGB(0, 200, 0));
    for (CPaintingHook* hook : {&under, &left, &right})
        ControlHookList().Add(hook);
    parent.Render(parent.GetWindow());
    EXPECT_EQ(1u, parent.Damage().Rects().size());
    EXPECT_EQ((std::vector<int>{1, 1, 1}), (std::vector<int>{under.m_paints, left.m_paints, right.m_paints}));

    parent.Render(parent.GetWindow());
    EXPECT_TRUE(parent.Damage().Empty());
    EXPECT_EQ((std::vector<int>{1, 1, 1}), (std::vector<int>{under.m_paints, left.m_paints, right.m_paints}));

    // The left one moves and changes colour: its old and new places are painted from the
    // bottom up; the right one is not painted at all.
    left.m_area = RECT{150, 120, 250, 220};
    left.m_colour = RGB(0, 0, 200);
    SetPixel(buffer, 650, 150, RGB(1, 2, 3)); // would be painted over by a full redraw
    parent.Render(parent.GetWindow());
    EXPECT_EQ((std::vector<int>{2, 2, 1}), (std::vector<int>{under.m_paints, left.m_paints, right.m_paints}));
    EXPECT_EQ(RGB(10, 10, 10), GetPixel(buffer, 110, 110));
    EXPECT_EQ(RGB(0, 0, 200), GetPixel(buffer, 240, 210));
    EXPECT_EQ(RGB(10, 10, 10), GetPixel(buffer, 300, 300)) << "outside the damage";
    EXPECT_EQ(RGB(1, 2, 3), GetPixel(buffer, 650, 150)) << "nothing changed there";

    // Asked for, everything paints again.
    parent.RedrawAll();
    parent.Render(parent.GetWindow());
    EXPECT_EQ(RGB(0, 200, 0), GetPixel(buffer, 650, 150));
    EXPECT_EQ((std::vector<int>{3, 3, 2}), (std::vector<int>{under.m_paints, left.m_paints, right.m_paints}));
}

TEST_F(BackBuffer, ChildWindowRoutesItsMessages)
{
    CParentStaticObject parent;
    ASSERT_TRUE(parent.Create(GetModuleHandleW(nullptr), m_editor.Get()));
    const HWND child = parent.GetWindow();
    std::vector<HWND> deleted;
    EditorContext().deletePoint = [&deleted](HWND point) { deleted.push_back(point); };

    struct Case {
        UINT message;
        LRESULT hookResult;
        LRESULT expected;
        bool hookSees;
    };
    const Case cases[] = {
        {WM_ERASEBKGND, 0, 1, false},
        {WM_CTLCOLOREDIT, 0x1234, 0x1234, true},
        {WM_CTLCOLORSCROLLBAR, 0x55, 0x55, true},
        {WM_LBUTTONDOWN, 9, 0, true},
        {WM_KEYDOWN, 0, 0, true},
        {WM_PLUGIN_HOVER, 9, 0, true},
        {WM_PLUGIN_OPENPATH, 9, 0, true},
        {WM_PLUGIN_LEVEL, 0, 0, true},
        {WM_PLUGIN_DELETEPOINT, 0, 1, false},
        // Anything else is the STATIC control's: its text is empty.
        {WM_GETTEXTLENGTH, 5, 0, false},
        {WM_PLUGIN_TICK, 5, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        CPaintingHook hook({0, 0, 0, 0}, 0, c.hookResult);
        ControlHookList().Add(&hook);
        EXPECT_EQ(c.expected, SendMessageW(child, c.message, 0x77, 0));
        EXPECT_EQ(c.hookSees, hook.Saw(c.message));
        ControlHookList().Remove(&hook);
    }
    EXPECT_EQ(std::vector<HWND>{reinterpret_cast<HWND>(0x77)}, deleted);
    EditorContext().deletePoint = nullptr;
}

TEST_F(BackBuffer, ChildWindowShowsTheBackBuffer)
{
    CParentStaticObject parent;
    ASSERT_TRUE(parent.Create(GetModuleHandleW(nullptr), m_editor.Get()));
    CPaintingHook hook({0, 0, 1000, 750}, RGB(0, 128, 255));
    ControlHookList().Add(&hook);
    parent.Render(parent.GetWindow());
    InvalidateRect(parent.GetWindow(), nullptr, FALSE);
    UpdateWindow(parent.GetWindow());
    const HDC screen = GetDC(parent.GetWindow());
    EXPECT_EQ(RGB(0, 128, 255), GetPixel(screen, 5, 5));
    EXPECT_EQ(RGB(0, 128, 255), GetPixel(screen, 990, 740));
    ReleaseDC(parent.GetWindow(), screen);
}

TEST_F(BackBuffer, DestructionEmptiesTheControlsAndWithdrawsTheHandles)
{
    CPaintingHook hook({0, 0, 0, 0}, 0);
    HWND child = nullptr;
    {
        CParentStaticObject parent;
        ASSERT_TRUE(parent.Create(GetModuleHandleW(nullptr), m_editor.Get()));
        child = parent.GetWindow();
        ControlHookList().Add(&hook);
    }
    EXPECT_EQ(0u, ControlHookList().Count());
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(nullptr, EditorContext().backBufferDC);
    EXPECT_EQ(nullptr, EditorContext().scratchDC);
    EXPECT_EQ(nullptr, EditorContext().parentStatic);
    EXPECT_FALSE(hook.Saw(WM_DESTROY));

    // Without a parent window there is no child and nothing is published.
    CParentStaticObject orphan;
    EXPECT_FALSE(orphan.Create(GetModuleHandleW(nullptr), reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(nullptr, EditorContext().backBufferDC);
}

// Background skins in a temporary module folder. Each whole background has its own
// colour; overlays are 10 x 10 with a key-coloured top-left pixel.
class Background : public BackBuffer {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.Create(GetModuleHandleW(nullptr), m_editor.Get()));
        ASSERT_TRUE(m_module.MakeSubdir("\\obj"));
    }

    void WriteSkin(const char* name, int width, int height, COLORREF colour, bool keyCorner = false)
    {
        ASSERT_TRUE(WriteBmp24(m_module / (std::string("\\obj\\") + name), width, height,
                                            [=](int x, int y) { return keyCorner && x == 0 && y == 0 ? RGB(0, 255, 0) : colour; }));
    }

    void WriteAll()
    {
        WriteSkin("a000_000.bmp", 500, 600, kNormal);
        WriteSkin("b000_000.bmp", 1000, 750, kWide);
        WriteSkin("c000_000.bmp", 500, 74, kMini);
        WriteSkin("a001_000.bmp", 10, 10, kNormalPanel, true);
        WriteSkin("b001_000.bmp", 10, 10, kWidePanel, true);
        WriteSkin("c000_001.bmp", 10, 10, kMiniFrame, true);
    }

    void Paint()
    {
        const HDC dc = m_parent.GetBackBufferDC();
        PatBlt(dc, 0, 0, 1000, 750, BLACKNESS);
        m_background.HandleMessage(nullptr, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }

    COLORREF At(int x, int y) { return GetPixel(m_parent.GetBackBufferDC(), x, y); }

    static constexpr COLORREF kNormal = RGB(30, 60, 90);
    static constexpr COLORREF kWide = RGB(90, 60, 30);
    static constexpr COLORREF kMini = RGB(60, 90, 30);
    static constexpr COLORREF kNormalPanel = RGB(200, 10, 10);
    static constexpr COLORREF kWidePanel = RGB(10, 10, 200);
    static constexpr COLORREF kMiniFrame = RGB(250, 250, 0);

    CGdiplusSession m_gdiplus;
    CParentStaticObject m_parent;
    TestSupport::CTempDir m_module;
    CBitmapObject m_background;
};

TEST_F(Background, EachSizeModePaintsItsOwnSkins)
{
    WriteAll();
    m_background.InitializeFrom(m_parent.GetWindow(), m_parent.GetScratchDC(), m_parent.GetBackBufferDC(),
                                m_module.Path(), nullptr);
    struct Case {
        WPARAM request;
        SizeMode mode;
        // Inside and outside the whole background, then the overlay's key pixel and body.
        COLORREF inside, outside, overlayKey, overlayBody;
        POINT outsidePoint, overlay;
    };
    const Case cases[] = {
        {0, kSizeModeNormal, kNormal, RGB(0, 0, 0), kNormal, kNormalPanel, {600, 100}, {19, 117}},
        {1, kSizeModeWide, kWide, kWide, kWide, kWidePanel, {600, 100}, {37, 117}},
        // The mini frame is drawn opaque: its key pixel shows green.
        {static_cast<WPARAM>(-1), kSizeModeMini, kMini, RGB(0, 0, 0), RGB(0, 255, 0), kMiniFrame, {100, 80}, {20, 37}},
        {2, kSizeModeMini, kMini, RGB(0, 0, 0), RGB(0, 255, 0), kMiniFrame, {100, 80}, {20, 37}},
        {1, kSizeModeWide, kWide, kWide, kWide, kWidePanel, {600, 100}, {37, 117}},
        {5, kSizeModeWide, kWide, kWide, kWide, kWidePanel, {600, 100}, {37, 117}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<long long>(c.request));
        EXPECT_EQ(0, m_background.HandleMessage(nullptr, WM_PLUGIN_SIZEMODE, c.request, 0));
        EXPECT_EQ(c.mode, m_background.GetSizeMode());
        Paint();
        EXPECT_EQ(c.inside, At(2, 2));
        EXPECT_EQ(c.outside, At(c.outsidePoint.x, c.outsidePoint.y));
        EXPECT_EQ(c.overlayKey, At(c.overlay.x, c.overlay.y));
        EXPECT_EQ(c.overlayBody, At(c.overlay.x + 5, c.overlay.y + 5));
        EXPECT_EQ(c.inside, At(c.overlay.x + 10, c.overlay.y + 5));
    }
}

TEST_F(Background, MissingSkinsPaintNothing)
{
    m_background.InitializeFrom(m_parent.GetWindow(), m_parent.GetScratchDC(), m_parent.GetBackBufferDC(),
                                m_module.Path(), nullptr);
    for (WPARAM request : {WPARAM(0), WPARAM(1), static_cast<WPARAM>(-1)}) {
        m_background.HandleMessage(nullptr, WM_PLUGIN_SIZEMODE, request, 0);
        Paint();
        EXPECT_EQ(RGB(0, 0, 0), At(2, 2));
        EXPECT_EQ(RGB(0, 0, 0), At(25, 40));
    }
    EXPECT_EQ(1, m_background.HandleMessage(nullptr, WM_ERASEBKGND, 0, 0));
    EXPECT_EQ(1, m_background.HandleMessage(nullptr, WM_PLUGIN_TICKER, 0, 0));
    EXPECT_EQ(0, m_background.HandleMessage(nullptr, WM_LBUTTONDOWN, 0, 0));
}

} // namespace
