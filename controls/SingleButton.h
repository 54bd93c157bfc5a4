#pragma once
#include "controls/Button.h"
#include "controls/ButtonFace.h"

namespace TervaneControl {

// A button with one window: moves with the size mode, paints its strip, follows the
// owner-draw notices and reports its own clicks through OnClicked.
class CSingleButton : public CButton {
public:
    bool Create(const ButtonData& data, HWND parent) { return m_face.Create(data, parent); }

    void OnSizeMode(WPARAM request) override { m_face.SetSizeMode(request); }
    void OnDraw(HDC dc) override { m_face.Draw(dc); }
    void OnDrawItem(HWND /*window*/, WPARAM /*wParam*/, const DRAWITEMSTRUCT* item) override
    {
        m_face.DrawItem(item);
    }
    void OnCommand(HWND /*window*/, WPARAM wParam, LPARAM /*lParam*/) override
    {
        if (m_face.IsClick(wParam))
            OnClicked();
    }
    // A click of this button's identifier (BN_CLICKED only).
    virtual void OnClicked() {}

    void Enable(bool enable) { m_face.Enable(enable); }
    CButtonFace& Face() { return m_face; }

protected:
    CButtonFace m_face;
};

} // namespace TervaneControl
