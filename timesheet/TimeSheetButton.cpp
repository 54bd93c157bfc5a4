#include "timesheet/TimeSheetButton.h"
#include "editor/NoThrow.h"

#include <cstdlib>

#include "controls/ButtonFace.h"
#include "editor/EditorClock.h"
#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

// Every point window is a BUTTON replaced by the same procedure, so one saved class
// procedure serves them all, also while a point's own object is already gone.
WNDPROC g_buttonProc = nullptr;

} // namespace

CTimeSheetButton::CTimeSheetButton(CTimeLineButtonManager& manager, int32_t key) : m_manager(manager), m_key(key)
{
}

CTimeSheetButton::~CTimeSheetButton()
{
    DestroyWindowNow(nullptr);
}

bool CTimeSheetButton::Create(HWND parent, int x, int y, uint32_t controlId, bool visible)
{
    m_x = m_windowX = x;
    m_y = m_windowY = y;
    m_visible = m_windowShown = visible;
    m_window = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW | (visible ? WS_VISIBLE : 0), x, y,
                               kPointSize, kPointSize, parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), EditorContext().instance,
                               nullptr);
    if (m_window == nullptr)
        return false;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PointProc)));
    if (g_buttonProc == nullptr)
        g_buttonProc = previous;
    return true;
}

void CTimeSheetButton::DestroyWindowNow(HWND tooltip)
{
    if (m_window == nullptr)
        return;
    // The handle may have died with its parent; only a window that is still this point's own
    // is destroyed, never a newer window that was given the same handle value.
    if (IsWindow(m_window) && GetWindowLongPtrW(m_window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        if (tooltip != nullptr) {
            TOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.hwnd = m_window;
            info.uId = 1;
            SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    m_window = nullptr;
    m_visible = m_windowShown = false;
}

void CTimeSheetButton::Place(int x, int y, bool visible)
{
    m_x = x;
    m_y = y;
    m_visible = visible;
}

void CTimeSheetButton::SyncWindow()
{
    if (m_window == nullptr)
        return;
    if (!m_visible) {
        if (m_windowShown)
            ShowWindow(m_window, SW_HIDE);
        m_windowShown = false;
        return;
    }
    if (m_windowShown && m_windowX == m_x && m_windowY == m_y)
        return;
    // The window paints nothing of its own: no redraw, no copied bits.
    SetWindowPos(m_window, nullptr, m_x, m_y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOREDRAW |
                     SWP_NOCOPYBITS | SWP_NOSENDCHANGING);
    m_windowX = m_x;
    m_windowY = m_y;
    m_windowShown = true;
}

void CTimeSheetButton::Hide()
{
    m_visible = false;
    SyncWindow();
}

bool CTimeSheetButton::CursorOnPoint(POINT& cursor) const
{
    if (!m_manager.CursorInParent(cursor))
        return false;
    return cursor.x >= m_x && cursor.x < m_x + kPointSize && cursor.y >= m_y && cursor.y < m_y + kPointSize;
}

void CTimeSheetButton::OnDraw(HDC dc)
{
    if (!m_visible)
        return;
    CGdiTexture& strip = m_manager.PointStrip();
    if (!strip.HasImage())
        return;
    POINT cursor;
    int32_t state = TervaneControl::kStateNormal;
    if (m_armed || m_manager.IsSelected(m_key))
        state = TervaneControl::kStatePressed;
    else if (CursorOnPoint(cursor))
        state = TervaneControl::kStateHover;
    // A pattern outside 0 to 9 from a hand-made file is drawn in the nearer column.
    const int32_t pattern = m_manager.PatternOf(m_key);
    const int32_t column = pattern < 0 ? 0 : pattern > 9 ? 9 : pattern;
    StateCell cells[kButtonStateCount];
    for (int32_t row = 0; row < kButtonStateCount; ++row)
        cells[row] = StateCell{column, row};
    strip.SetStateCells(cells);
    strip.SetState(state);
    strip.SetPosition(m_x, m_y);
    strip.DrawKeyed(dc);
}

LRESULT CTimeSheetButton::OnLButtonDown(HWND, WPARAM, uint32_t, uint32_t)
{
    POINT cursor;
    m_dragging = false;
    m_moved = false;
    m_armed = m_visible && CursorOnPoint(cursor);
    if (!m_armed)
        return 0;
    m_pressTime = EditorMilliseconds();
    m_pressAt = cursor;
    m_grab = POINT{cursor.x - (m_x + static_cast<int>(kPointHalf)), cursor.y - (m_y + static_cast<int>(kPointHalf))};
    return 1;
}

bool CTimeSheetButton::IsPastDragDistance(POINT cursor) const
{
    return std::abs(cursor.x - m_pressAt.x) > GetSystemMetrics(SM_CXDRAG) ||
           std::abs(cursor.y - m_pressAt.y) > GetSystemMetrics(SM_CYDRAG);
}

void CTimeSheetButton::OnHover(WPARAM wParam, uint32_t, uint32_t)
{
    POINT cursor;
    if (!m_armed || (wParam & MK_LBUTTON) == 0 || !m_manager.CursorInParent(cursor))
        return;
    // A slow click trembles: only a held press that travels is a drag.
    if (!m_dragging) {
        if (EditorMilliseconds() - m_pressTime < kDragDelayMs || !IsPastDragDistance(cursor))
            return;
        m_dragging = true;
    }
    m_x = m_windowX = cursor.x - m_grab.x - static_cast<int>(kPointHalf);
    m_y = m_windowY = cursor.y - m_grab.y - static_cast<int>(kPointHalf);
    m_visible = m_windowShown = true;
    SetWindowPos(m_window, nullptr, m_x, m_y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER |
                     SWP_FRAMECHANGED);
    m_moved = true;
}

LRESULT CTimeSheetButton::OnLButtonUp(HWND, WPARAM, uint32_t, uint32_t)
{
    // Every point sees every release; only the one that took the press acts on it.
    if (!m_armed)
        return 0;
    const bool moved = m_moved;
    const POINT grab = m_grab;
    m_armed = false;
    m_dragging = false;
    m_moved = false;
    if (moved) {
        // The point's centre goes where the pointer holds it. The move may replace this very
        // point: nothing of it is touched afterwards.
        POINT drop;
        if (m_manager.CursorInParent(drop))
            m_manager.MovePoint(m_window, POINT{drop.x - grab.x, drop.y - grab.y});
        else
            m_manager.ReturnPoint(m_key);
        return 0;
    }
    m_manager.ToggleSelected(m_window);
    return 0;
}

void CTimeSheetButton::CancelPress()
{
    if (!m_armed)
        return;
    const bool moved = m_moved;
    m_armed = false;
    m_dragging = false;
    m_moved = false;
    if (moved)
        m_manager.ReturnPoint(m_key);
}

LRESULT CTimeSheetButton::OnRButtonDown(HWND, WPARAM, uint32_t, uint32_t)
{
    POINT cursor;
    if (!m_visible || !CursorOnPoint(cursor))
        return 0;
    const HWND editor = m_manager.EditorWindow();
    SendMessageW(GetParent(m_window), WM_PLUGIN_DELETEPOINT, reinterpret_cast<WPARAM>(m_window), 0);
    if (editor != nullptr)
        SetFocus(editor);
    return 1;
}

LRESULT CALLBACK CTimeSheetButton::PointProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return NoThrow(0, [&] { return PointProcGuarded(window, message, wParam, lParam); });
}

LRESULT CTimeSheetButton::PointProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND parent = GetParent(window);
    // A second press soon after a click arrives as a double click, which an owner-drawn
    // button only reports and does not capture for: to the point it is a press like any other.
    if (message == WM_LBUTTONDBLCLK)
        message = WM_LBUTTONDOWN;
    else if (message == WM_RBUTTONDBLCLK)
        message = WM_RBUTTONDOWN;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (const auto* point = reinterpret_cast<CTimeSheetButton*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            SetCursor(point->m_manager.HandCursor());
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        SendMessageW(parent, WM_PLUGIN_HOVER, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
        SendMessageW(parent, WM_LBUTTONDOWN, reinterpret_cast<WPARAM>(window), lParam);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
        SendMessageW(parent, message, wParam, lParam);
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a box that opened, the player): the press is over.
        if (auto* point = reinterpret_cast<CTimeSheetButton*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            point->CancelPress();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            if (auto* point = reinterpret_cast<CTimeSheetButton*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                point->CancelPress();
            if (GetCapture() == window)
                ReleaseCapture();
            return 0;
        }
        break;
    default:
        break;
    }
    if (!IsWindow(window))
        return 0;
    return g_buttonProc != nullptr ? CallWindowProcW(g_buttonProc, window, message, wParam, lParam)
                                   : DefWindowProcW(window, message, wParam, lParam);
}
