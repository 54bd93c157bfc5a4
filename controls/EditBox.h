#pragma once
#include <cstdint>
#include <string>

#include "base/Win32.h"
#include "editor/Font.h"
#include "editor/GdiObjects.h"
#include "editor/PluginMessages.h"
#include "editor/WinMsgHook.h"

class IPluginHost;

namespace TervaneControl {

// Describes one edit box: its styles, its frame in each size mode (the edit window is the
// frame inset by 5 pixels), the frame skins (painted by the background) and its identifier.
class EditBoxData {
public:
    virtual ~EditBoxData() = default;

    uint32_t m_style = 0;
    // Used when the box is a rich edit window (the time box).
    uint32_t m_richStyle = 0;
    int32_t m_normalX = 0;
    int32_t m_normalY = 0;
    int32_t m_wideX = 0;
    int32_t m_wideY = 0;
    int32_t m_miniX = 0;
    int32_t m_miniY = 0;
    int32_t m_normalWidth = 0;
    int32_t m_normalHeight = 0;
    int32_t m_wideWidth = 0;
    int32_t m_wideHeight = 0;
    int32_t m_miniWidth = 0;
    int32_t m_miniHeight = 0;
    // The first stays empty; then the frame skins of normal, wide and mini and their masks.
    std::string m_paths[7];
    uint32_t m_value = 0;
    uint32_t m_controlId = 0;
};

constexpr int32_t kEditInset = 5;

// One of the editor's text boxes, registered in the control hook list: a real edit window
// over the skinned editor, a child of the parent static window, which the copy of the back
// buffer goes over and which then paints itself again (the time box draws into the back
// buffer instead).
class CEditBox : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    CEditBox() = default;
    CEditBox(const CEditBox&) = delete;
    CEditBox& operator=(const CEditBox&) = delete;
    ~CEditBox() override = default;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void OnDraw(HDC dc);
    // 0 normal, 1 wide, -1 mini; any other request changes nothing.
    virtual void OnSizeMode(WPARAM request);
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    // The brush for this box's own edit window, else 0 so that the other box gets its turn.
    virtual LRESULT OnCtlColor(HDC dc, HWND edit);
    virtual void OnFileName(LPARAM /*path*/) {}
    virtual void OnClose() {}
    virtual void OnTick();
    virtual void OnMediaOpen() {}
    virtual void OnCommand(WPARAM /*wParam*/, LPARAM /*lParam*/) {}
    virtual void OnKeyDown(WPARAM /*wParam*/, LPARAM /*lParam*/) {}

    HWND GetWindow() const { return m_edit; }
    const EditBoxData& GetData() const { return m_data; }
    // Where the box lies in its parent now.
    RECT Place() const
    {
        const RECT at = InsetRect(m_sizeMode);
        return RECT{at.left, at.top, at.left + at.right, at.top + at.bottom};
    }

protected:
    // The edit window's place in its parent for a size mode: x, y, width, height.
    RECT InsetRect(SizeMode mode) const;
    // Creates the edit window of the normal size mode and the black brush.
    bool CreateEdit(const wchar_t* className, uint32_t style, HWND parent, HWND editor);

    HWND m_edit = nullptr;
    EditBoxData m_data;
    HWND m_parent = nullptr;
    HWND m_editor = nullptr;
    CGdiObject<HBRUSH> m_brush;
    COLORREF m_textColour = RGB(255, 255, 255);
    SizeMode m_sizeMode = kSizeModeNormal;
    CFont m_font;
};

} // namespace TervaneControl
