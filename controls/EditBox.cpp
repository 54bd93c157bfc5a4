#include "controls/EditBox.h"

#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"

namespace TervaneControl {

LRESULT CEditBox::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLOREDIT:
        return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT:
        OnDraw(reinterpret_cast<HDC>(wParam));
        break;
    case WM_PLUGIN_SIZEMODE:
        OnSizeMode(wParam);
        break;
    case WM_SETFOCUS:
        OnSetFocus();
        break;
    case WM_KILLFOCUS:
        OnKillFocus();
        break;
    case WM_PLUGIN_FILENAME:
        OnFileName(lParam);
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_PLUGIN_TICK:
        OnTick();
        break;
    case WM_PLUGIN_MEDIAOPEN:
        OnMediaOpen();
        break;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        break;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        break;
    default:
        break;
    }
    return 0;
}

RECT CEditBox::InsetRect(SizeMode mode) const
{
    int32_t x = m_data.m_normalX, y = m_data.m_normalY;
    int32_t width = m_data.m_normalWidth, height = m_data.m_normalHeight;
    if (mode == kSizeModeWide) {
        x = m_data.m_wideX;
        y = m_data.m_wideY;
        width = m_data.m_wideWidth;
        height = m_data.m_wideHeight;
    } else if (mode == kSizeModeMini) {
        x = m_data.m_miniX;
        y = m_data.m_miniY;
        width = m_data.m_miniWidth;
        height = m_data.m_miniHeight;
    }
    return RECT{x + kEditInset, y + kEditInset, width - 2 * kEditInset, height - 2 * kEditInset};
}

bool CEditBox::CreateEdit(const wchar_t* className, uint32_t style, HWND parent, HWND editor)
{
    m_parent = parent;
    m_editor = editor;
    m_brush.Reset(CreateSolidBrush(RGB(0, 0, 0)));
    const RECT at = InsetRect(kSizeModeNormal);
    m_edit = CreateWindowExW(0, className, L"", style, at.left, at.top, at.right, at.bottom, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(m_data.m_controlId)),
                             EditorContext().instance, nullptr);
    return m_edit != nullptr;
}

LRESULT CEditBox::OnCtlColor(HDC dc, HWND edit)
{
    if (edit == nullptr || edit != m_edit || dc == nullptr)
        return 0;
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, m_textColour);
    return reinterpret_cast<LRESULT>(m_brush.Get());
}

void CEditBox::OnSizeMode(WPARAM request)
{
    SizeMode mode;
    if (m_edit == nullptr || !SizeModeFromRequest(request, mode))
        return;
    const RECT at = InsetRect(mode);
    SetWindowPos(m_edit, nullptr, at.left, at.top, at.right, at.bottom, SWP_NOZORDER | SWP_FRAMECHANGED);
    InvalidateRect(m_edit, nullptr, TRUE);
    UpdateWindow(m_edit);
    m_sizeMode = mode;
}

void CEditBox::OnTick() {}

void CEditBox::OnDraw(HDC) {}

} // namespace TervaneControl
