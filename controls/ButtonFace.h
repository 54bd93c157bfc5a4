#pragma once
#include "base/Win32.h"
#include "controls/ButtonData.h"
#include "editor/GdiTexture.h"

namespace TervaneControl {

// The display states of a button strip, one row each.
enum ButtonState : int32_t {
    kStateNormal = 0,
    kStateHover = 1,
    kStatePressed = 2,
    kStatePressedHover = 3,
    kStateDisabled = 4,
};

// One button window with its record, its skin strip and its hover and latch flags. The
// window is an invisible owner-drawn BUTTON that only takes the clicks; the face is the
// strip cell painted into the back buffer. Buttons with two windows hold two faces.
class CButtonFace {
public:
    CButtonFace() = default;
    CButtonFace(const CButtonFace&) = delete;
    CButtonFace& operator=(const CButtonFace&) = delete;

    // Creates the window with the module instance of the editor context and loads the
    // strip. A skin that does not load leaves the button without a face; it still clicks.
    bool Create(const ButtonData& data, HWND parent);
    // 0 normal, 1 wide, -1 mini; any other request moves nothing.
    void SetSizeMode(WPARAM request);
    // Polls the cursor for hover, then paints the current state's cell into dest.
    void Draw(HDC dest);
    // A toggle: state 2 while selected, else hover or normal. A disabled face and one held
    // down keep their state.
    void DrawToggle(HDC dest, bool selected);
    // The two halves of Draw, for buttons that pick their state themselves in between.
    void PollHover();
    void DrawStrip(HDC dest);
    // Follows the owner-draw notice of this face's window; false for another window's.
    bool DrawItem(const DRAWITEMSTRUCT* item);
    // A click (BN_CLICKED) of this face's control identifier.
    bool IsClick(WPARAM wParam) const;
    // A disabled face shows state 4 and takes no clicks; enabling returns it to state 0.
    void Enable(bool enable);
    // As Enable, but a face that already is so keeps its hover and press state.
    void SetEnabled(bool enable)
    {
        if (IsEnabled() != enable)
            Enable(enable);
    }
    bool IsEnabled() const;

    HWND GetWindow() const { return m_window; }
    const ButtonData& GetData() const { return m_data; }
    CGdiTexture& GetStrip() { return m_strip; }
    bool IsHovered() const { return m_hovered; }
    bool IsLatched() const { return m_latched; }
    void SetLatched(bool latched) { m_latched = latched; }
    void SetState(int32_t state) { m_strip.SetState(state); }
    int32_t GetState() const { return m_strip.GetState(); }

private:
    // Where the window lies on the window it was made on, as hovering goes by.
    void NoteWhere();

    HWND m_window = nullptr;
    HWND m_parent = nullptr;
    RECT m_where = {};
    ButtonData m_data;
    CGdiTexture m_strip;
    bool m_hovered = false;
    bool m_latched = false;
};

} // namespace TervaneControl
