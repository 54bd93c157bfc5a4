#include "controls/ButtonFace.h"

#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "editor/PointerSample.h"

namespace TervaneControl {

bool CButtonFace::Create(const ButtonData& data, HWND parent)
{
    m_data = data;
    m_window = CreateWindowExW(0, L"BUTTON", L"", m_data.m_style, m_data.m_normalX, m_data.m_normalY,
                               m_data.m_width, m_data.m_height, parent,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(m_data.m_controlId)),
                               EditorContext().instance, nullptr);
    m_parent = parent;
    NoteWhere();
    m_strip.Load(m_data.m_skinPath.c_str());
    StateCell cells[kButtonStateCount];
    for (int32_t row = 0; row < kButtonStateCount; ++row)
        cells[row] = StateCell{m_data.m_skinColumn, row};
    m_strip.Place(EditorContext().backBufferDC, m_data.m_normalX, m_data.m_normalY,
                  static_cast<int32_t>(m_data.m_columns), static_cast<int32_t>(m_data.m_rows), cells);
    return m_window != nullptr;
}

void CButtonFace::SetSizeMode(WPARAM request)
{
    SizeMode mode;
    if (!SizeModeFromRequest(request, mode))
        return;
    int32_t x = m_data.m_normalX, y = m_data.m_normalY;
    if (mode == kSizeModeWide) {
        x = m_data.m_wideX;
        y = m_data.m_wideY;
    } else if (mode == kSizeModeMini) {
        x = m_data.m_miniX;
        y = m_data.m_miniY;
    }
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    NoteWhere();
    m_strip.SetPosition(x, y);
}

void CButtonFace::NoteWhere()
{
    m_where = RECT{};
    if (m_window != nullptr && GetClientRect(m_window, &m_where))
        MapWindowPoints(m_window, m_parent, reinterpret_cast<POINT*>(&m_where), 2);
}

void CButtonFace::PollHover()
{
    if (m_window == nullptr)
        return;
    // Asking the system where the window is costs more than the rest of a face's look, at
    // every tick: the window moves only with the size mode.
    POINT cursor;
    if (!PointerInClient(m_parent, cursor))
        return;
    const bool inside = PtInRect(&m_where, cursor) != FALSE;
    if (inside == m_hovered)
        return;
    m_hovered = inside;
    // The repaint makes the system send WM_DRAWITEM, which moves the strip to its new state.
    InvalidateRect(m_window, nullptr, FALSE);
    UpdateWindow(m_window);
}

void CButtonFace::Draw(HDC dest)
{
    // A latched (pressed) face keeps its state until it is drawn released; a disabled one
    // keeps state 4 until it is enabled again.
    if (!m_latched && m_strip.GetState() != kStateDisabled)
        PollHover();
    DrawStrip(dest);
}

void CButtonFace::DrawToggle(HDC dest, bool selected)
{
    if (IsEnabled() && !m_latched) {
        PollHover();
        m_strip.SetState(selected ? kStatePressed : m_hovered ? kStateHover : kStateNormal);
    }
    DrawStrip(dest);
}

void CButtonFace::DrawStrip(HDC dest)
{
    if (m_strip.HasImage())
        m_strip.DrawKeyed(dest);
}

bool CButtonFace::DrawItem(const DRAWITEMSTRUCT* item)
{
    if (item == nullptr || m_window == nullptr || item->hwndItem != m_window)
        return false;
    // The system redraws a disabled button too; it must keep its disabled face.
    if ((item->itemState & ODS_DISABLED) != 0) {
        m_latched = false;
        m_strip.SetState(kStateDisabled);
    } else if ((item->itemState & ODS_SELECTED) != 0) {
        m_strip.SetState(kStatePressed);
        m_latched = true;
    } else {
        m_latched = false;
        m_strip.SetState(m_hovered ? kStateHover : kStateNormal);
    }
    return true;
}

bool CButtonFace::IsClick(WPARAM wParam) const
{
    return HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == (m_data.m_controlId & 0xFFFF);
}

bool CButtonFace::IsEnabled() const
{
    if (m_window != nullptr)
        return IsWindowEnabled(m_window) != FALSE;
    return m_strip.GetState() != kStateDisabled;
}

void CButtonFace::Enable(bool enable)
{
    if (m_window != nullptr) {
        // A button that turns itself off under a click (zoom in at the closest zoom) would
        // take the keyboard with it: the player's window would get the keys. The window it
        // sits on keeps them for the editor.
        if (!enable && GetFocus() == m_window)
            SetFocus(GetParent(m_window));
        EnableWindow(m_window, enable ? TRUE : FALSE);
    }
    m_strip.SetState(enable ? kStateNormal : kStateDisabled);
}

} // namespace TervaneControl
