#pragma once
#include <cstdint>

#include "base/Win32.h"
#include "controls/Button.h"

class CTimeLineButtonManager;

// The point button of one time-line entry: an invisible owner-drawn BUTTON child of the
// parent static window that takes the clicks, while the face is drawn into the back buffer.
// Its window procedure relays the mouse to the parent static window, whose hook list offers
// it to every point; a point acts only on presses that land on it. A press held for 200 ms
// and moved past the system's drag distance drags the point, which keeps the spot where it
// was taken under the pointer; a release without dragging toggles its selection; a right
// press deletes it. A lost capture or Escape gives the press up.
class CTimeSheetButton : public TervaneControl::CButton {
public:
    static constexpr uint32_t kDragDelayMs = 200;

    CTimeSheetButton(CTimeLineButtonManager& manager, int32_t key);
    ~CTimeSheetButton() override;

    bool Create(HWND parent, int x, int y, uint32_t controlId, bool visible);
    // Where the face is drawn, shown or not. The window follows only on SyncWindow: moving
    // every point window on every tick costs more than anything else the editor does, and a
    // window is only a hit area, needed where the pointer can reach it.
    void Place(int x, int y, bool visible);
    // Moves and shows or hides the window to match the face; no call when nothing changes.
    void SyncWindow();
    // Takes the window off the screen at once; it is destroyed later.
    void Hide();
    void DestroyWindowNow(HWND tooltip);

    HWND GetWindow() const { return m_window; }
    int GetX() const { return m_x; }
    int GetY() const { return m_y; }
    int32_t Key() const { return m_key; }
    bool IsVisible() const { return m_visible; }
    // Pressed or being dragged: the refresh leaves such a point where the pointer has it.
    bool IsPressed() const { return m_armed; }
    bool IsDragging() const { return m_dragging; }

    void OnSizeMode(WPARAM) override {}
    void OnDraw(HDC dc) override;
    LRESULT OnLButtonDown(HWND window, WPARAM wParam, uint32_t x, uint32_t y) override;
    LRESULT OnLButtonUp(HWND window, WPARAM wParam, uint32_t x, uint32_t y) override;
    LRESULT OnRButtonDown(HWND window, WPARAM wParam, uint32_t x, uint32_t y) override;
    void OnHover(WPARAM wParam, uint32_t x, uint32_t y) override;
    // The press ends without a click or a drop: a dragged point goes back.
    void CancelPress();

private:
    static LRESULT CALLBACK PointProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT PointProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool CursorOnPoint(POINT& cursor) const;
    bool IsPastDragDistance(POINT cursor) const;

    CTimeLineButtonManager& m_manager;
    int32_t m_key;
    HWND m_window = nullptr;
    int m_x = 0;
    int m_y = 0;
    bool m_visible = false;
    // Where the window is now; it may lag behind the face.
    int m_windowX = 0;
    int m_windowY = 0;
    bool m_windowShown = false;
    bool m_armed = false;
    bool m_dragging = false;
    bool m_moved = false;
    uint32_t m_pressTime = 0;
    // The pointer at the press, and its offset from the point's centre.
    POINT m_pressAt = {};
    POINT m_grab = {};
};
