#include "timesheet/SelectionBand.h"

#include <algorithm>
#include <cstdlib>

#include "editor/PluginMessages.h"

bool CSelectionBand::Rect(RECT& rect) const
{
    if (!m_active)
        return false;
    rect = RECT{std::min(m_start.x, m_end.x), std::min(m_start.y, m_end.y), std::max(m_start.x, m_end.x) + 1,
                std::max(m_start.y, m_end.y) + 1};
    return true;
}

void CSelectionBand::Cancel()
{
    if (!m_active)
        return;
    m_active = false;
    if (GetCapture() == m_host.GraphWindow())
        ReleaseCapture();
}

LRESULT CSelectionBand::HandleMessage(HWND, UINT message, WPARAM, LPARAM)
{
    POINT at;
    switch (message) {
    case WM_LBUTTONDOWN:
        // A press forwarded by a point's window carries that window, not the keys held.
        if (GetKeyState(VK_SHIFT) >= 0 || !m_host.CursorInParent(at) || !m_host.CanStartBandAt(at))
            return 0;
        m_active = true;
        m_start = m_end = at;
        SetCapture(m_host.GraphWindow());
        return 1;
    case WM_MOUSEMOVE:
    case WM_PLUGIN_HOVER:
        if (m_active && m_host.CursorInParent(at))
            m_end = at;
        return 0;
    case WM_LBUTTONUP: {
        if (!m_active)
            return 0;
        if (m_host.CursorInParent(at))
            m_end = at;
        RECT rect;
        Rect(rect);
        const bool click = std::abs(m_end.x - m_start.x) <= GetSystemMetrics(SM_CXDRAG) &&
                           std::abs(m_end.y - m_start.y) <= GetSystemMetrics(SM_CYDRAG);
        Cancel();
        if (click)
            m_host.ToggleAt(m_start);
        else
            m_host.SelectWithin(rect);
        return 1;
    }
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a box that opened, the player): the band is given up.
        if (m_active && GetCapture() != m_host.GraphWindow())
            m_active = false;
        return 0;
    default:
        return 0;
    }
}
