#include "controls/Scroll.h"

#include <windowsx.h>

#include "editor/EditorContext.h"

#include "editor/PluginHost.h"
#include "editor/PluginMessages.h"
#include "editor/PlayStates.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

LRESULT CScroll::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORSCROLLBAR:
        return OnCtlColor(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
        Paint(reinterpret_cast<HDC>(wParam));
        break;
    case WM_PLUGIN_SIZEMODE:
        OnSizeMode(wParam);
        break;
    case WM_HSCROLL:
        OnHScroll(window, wParam, lParam);
        break;
    case WM_PLUGIN_TICK:
        OnTick();
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_CAPTURECHANGED:
        if (m_dragging)
            LoseDrag();
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(window, wParam, lParam);
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(window, wParam, lParam);
        break;
    case WM_PLUGIN_MEDIAOPEN:
        OnMediaOpened(window, wParam, lParam);
        break;
    default:
        break;
    }
    return 0;
}

bool CScroll::CanSeekIn(LONG state) const
{
    return m_ready && (state == kPlayStopped || IsActivePlayState(state));
}

void CScroll::BeginDrag()
{
    m_dragging = true;
    if (const HWND editor = EditorContext().host)
        SetCapture(editor);
}

void CScroll::EndDrag()
{
    // Not dragging first: giving the mouse back tells this control that it lost it.
    m_dragging = false;
    const HWND editor = EditorContext().host;
    if (editor != nullptr && GetCapture() == editor)
        ReleaseCapture();
}

void CScroll::LoseDrag()
{
    EndDrag();
    OnDragLost();
}

void CScroll::SeekTo(double seconds, bool moveTimeLine)
{
    m_host.SetPosition(seconds);
    if (moveTimeLine)
        m_host.TimeLine().RepositionAt(seconds);
}

} // namespace TervaneControl
