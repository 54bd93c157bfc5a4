#include "timesheet/TimeSheetButton.h"

#include <cstdlib>

#include "base/Win32.h"
#include <commctrl.h>
#include <windowsx.h>

#include "editor/EditorClock.h"
#include "editor/EditorContext.h"
#include "editor/EditorKeys.h"
#include "editor/NoThrow.h"
#include "editor/PluginMessages.h"
#include "timesheet/TimeLineGeometry.h"

namespace {

// Every point window is a BUTTON replaced by the same procedure, so one saved class
// procedure serves them all, also while a point's own object is already gone.
WNDPROC g_buttonProc = nullptr;

} // namespace

CTimeSheetButton::CTimeSheetButton(IPointHost& host, int32_t key) : m_host(host), m_key(key) {}

CTimeSheetButton::~CTimeSheetButton()
{
    DestroyWindowNow(nullptr);
}

bool CTimeSheetButton::Create(HWND parent, int x, int y, uint32_t controlId)
{
    m_window = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, y, kPointSize, kPointSize,
                               parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                               EditorContext().instance, nullptr);
    if (m_window == nullptr)
        return false;
    KeepInputMethodToEditBoxes(m_window);
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
}

void CTimeSheetButton::Press(POINT cursor, const RECT& face)
{
    m_armed = true;
    m_moved = false;
    m_pressTime = EditorMilliseconds();
    m_pressAt = cursor;
    m_grab = POINT{cursor.x - (face.left + kPointSize / 2), cursor.y - (face.top + kPointSize / 2)};
    m_dragX = face.left;
    m_dragY = face.top;
    // A press that landed on another window (this one not yet in place) still ends here, and
    // Escape reaches the point.
    if (m_window != nullptr) {
        if (GetCapture() != m_window)
            SetCapture(m_window);
        SetFocus(m_window);
    }
}

bool CTimeSheetButton::IsPastDragDistance(POINT cursor) const
{
    return std::abs(cursor.x - m_pressAt.x) > GetSystemMetrics(SM_CXDRAG) ||
           std::abs(cursor.y - m_pressAt.y) > GetSystemMetrics(SM_CYDRAG);
}

void CTimeSheetButton::OnHover(WPARAM wParam, uint32_t, uint32_t)
{
    POINT cursor;
    if (!m_armed || (wParam & MK_LBUTTON) == 0 || !m_host.CursorInParent(cursor))
        return;
    // A slow click trembles: only a held press that travels is a drag.
    if (!m_moved && (EditorMilliseconds() - m_pressTime < kDragDelayMs || !IsPastDragDistance(cursor)))
        return;
    m_moved = true;
    m_dragX = cursor.x - m_grab.x - kPointSize / 2;
    m_dragY = cursor.y - m_grab.y - kPointSize / 2;
    SetWindowPos(m_window, nullptr, m_dragX, m_dragY, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOREDRAW |
                     SWP_NOCOPYBITS);
}

LRESULT CTimeSheetButton::OnLButtonUp(HWND, WPARAM, uint32_t, uint32_t)
{
    if (!m_armed)
        return 0;
    const bool moved = m_moved;
    const POINT grab = m_grab;
    const int32_t key = m_key;
    m_armed = false;
    m_moved = false;
    if (GetCapture() == m_window)
        ReleaseCapture();
    if (!moved) {
        m_host.ToggleSelected(key);
        return 0;
    }
    // The point's centre goes where the pointer holds it. The move may hand this very window
    // on: nothing of it is touched afterwards.
    POINT drop;
    if (m_host.CursorInParent(drop))
        m_host.MovePoint(key, POINT{drop.x - grab.x, drop.y - grab.y});
    else
        m_host.ReturnPoint(key);
    return 0;
}

void CTimeSheetButton::CancelPress()
{
    if (!m_armed)
        return;
    const bool moved = m_moved;
    m_armed = false;
    m_moved = false;
    if (moved)
        m_host.ReturnPoint(m_key);
}

void CTimeSheetButton::RightPress()
{
    const HWND editor = m_host.EditorWindow();
    SendMessageW(GetParent(m_window), WM_PLUGIN_DELETEPOINT, reinterpret_cast<WPARAM>(m_window), 0);
    if (editor != nullptr)
        SetFocus(editor);
}

LRESULT CALLBACK CTimeSheetButton::PointProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return NoThrow(0, [&] { return PointProcGuarded(window, message, wParam, lParam); });
}

LRESULT CTimeSheetButton::PointProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND parent = GetParent(window);
    auto* point = reinterpret_cast<CTimeSheetButton*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (point != nullptr && point->m_tooltip != nullptr && message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK) {
        MSG relayed = {};
        relayed.hwnd = window;
        relayed.message = message;
        relayed.wParam = wParam;
        relayed.lParam = lParam;
        SendMessageW(point->m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    // A second press soon after a click arrives as a double click, which an owner-drawn
    // button only reports and does not capture for: to the point it is a press like any other.
    if (message == WM_LBUTTONDBLCLK)
        message = WM_LBUTTONDOWN;
    else if (message == WM_RBUTTONDBLCLK)
        message = WM_RBUTTONDOWN;
    switch (message) {
    case WM_TOOLTIP_ATTACH:
        if (point != nullptr)
            point->m_tooltip = reinterpret_cast<HWND>(wParam);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        if (point != nullptr && !point->m_armed && parent != nullptr) {
            POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (ScreenToClient(parent, &at) && !point->m_host.IsOnTopAt(point->m_key, at))
                return HTTRANSPARENT;
        }
        break;
    case WM_SETCURSOR:
        if (point != nullptr) {
            SetCursor(point->m_host.HandCursor());
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        SendMessageW(parent, WM_PLUGIN_HOVER, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
        // The time line decides which point the press is for and gives that one the mouse;
        // the button's own handling would take it back to this window.
        SendMessageW(parent, WM_LBUTTONDOWN, reinterpret_cast<WPARAM>(window), lParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
        SendMessageW(parent, message, wParam, lParam);
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a box that opened, the player): the press is over.
        if (point != nullptr)
            point->CancelPress();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            if (point != nullptr)
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
