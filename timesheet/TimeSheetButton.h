#pragma once
#include <cstdint>

#include "base/Win32.h"
#include "controls/Button.h"

// What a point button asks of the time line it belongs to.
class IPointHost {
public:
    // The pointer in the coordinates of the graph's window; false when it cannot be told.
    virtual bool CursorInParent(POINT& point) const = 0;
    // A point dropped with its centre at centre: moved there, or back to its place (false).
    virtual bool MovePoint(int32_t key, POINT centre) = 0;
    // A point whose press ended without a drop goes back to where its entry puts it.
    virtual void ReturnPoint(int32_t key) = 0;
    virtual void ToggleSelected(int32_t key) = 0;
    virtual HWND EditorWindow() const = 0;
    virtual HCURSOR HandCursor() const = 0;
    // Whether key's point is the one drawn on top at a spot of the graph's window.
    virtual bool IsOnTopAt(int32_t key, POINT at) const = 0;

protected:
    ~IPointHost() = default;
};

// The window of one point of the time line: an invisible owner-drawn BUTTON child of the
// graph's window that is the point's hit area, its tooltip's tool and its hand cursor; the
// face is drawn into the back buffer from the entry. A window whose point is not the one drawn
// on top under the pointer (its point scrolled away while the pointer rested) lets the pointer
// through to what lies below it. The time line gives a press to the point
// drawn under the pointer, whichever window took it: that point is armed, and a press held
// for 200 ms that travels past the system's drag distance drags it, keeping the spot where it
// was taken under the pointer. A release without dragging toggles the point's selection. A
// lost capture or Escape gives the press up. A window may be handed on to another entry.
// The window tells the tooltip it is told of (WM_TOOLTIP_ATTACH) what the pointer does.
class CTimeSheetButton : public TervaneControl::CButton {
public:
    static constexpr uint32_t kDragDelayMs = 200;

    CTimeSheetButton(IPointHost& host, int32_t key);
    ~CTimeSheetButton() override;

    bool Create(HWND parent, int x, int y, uint32_t controlId);
    // The window now stands for another entry.
    void Rekey(int32_t key) { m_key = key; }
    void DestroyWindowNow(HWND tooltip);

    HWND GetWindow() const { return m_window; }
    int32_t Key() const { return m_key; }
    bool IsArmed() const { return m_armed; }
    bool IsDragging() const { return m_moved; }
    // Where the dragged face is, top-left.
    POINT DragPosition() const { return POINT{m_dragX, m_dragY}; }

    // The press the time line gave this point: cursor is where it landed and face the point's
    // rectangle. The window takes the mouse until the release.
    void Press(POINT cursor, const RECT& face);
    void CancelPress();
    // The delete request of a right press, to the graph's window.
    void RightPress();

    void OnSizeMode(WPARAM) override {}
    void OnDraw(HDC) override {}
    LRESULT OnLButtonUp(HWND window, WPARAM wParam, uint32_t x, uint32_t y) override;
    void OnHover(WPARAM wParam, uint32_t x, uint32_t y) override;

private:
    static LRESULT CALLBACK PointProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT PointProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool IsPastDragDistance(POINT cursor) const;

    IPointHost& m_host;
    int32_t m_key;
    HWND m_window = nullptr;
    // The tooltip the window is told of, which it tells of the pointer.
    HWND m_tooltip = nullptr;
    bool m_armed = false;
    bool m_moved = false;
    uint32_t m_pressTime = 0;
    // The pointer at the press, and its offset from the point's centre.
    POINT m_pressAt = {};
    POINT m_grab = {};
    int m_dragX = 0;
    int m_dragY = 0;
};
