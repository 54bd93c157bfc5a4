#pragma once
#include "base/Win32.h"
#include "editor/WinMsgHook.h"

// What the selection band asks of the time line.
class ISelectionBandHost {
public:
    // The pointer in the coordinates of the graph's window; false when it cannot be told.
    virtual bool CursorInParent(POINT& point) const = 0;
    // Anywhere on the grid, its margins above level 10 and below level 0 too: a band that
    // should take every level starts there.
    virtual bool CanStartBandAt(POINT at) const = 0;
    // The points whose centres lie in rect join the selection.
    virtual void SelectWithin(const RECT& rect) = 0;
    // A Shift+click: the point drawn on top at at joins the selection or leaves it.
    virtual void ToggleAt(POINT at) = 0;
    virtual HWND GraphWindow() const = 0;

protected:
    ~ISelectionBandHost() = default;
};

// Shift and a press on the graph start a band: a rectangle from the press to the pointer,
// drawn while the button is held, whose points join the selection when it is let go. A band
// that hardly moved is a Shift+click on the point under it. Another window taking the mouse
// gives the band up. It sees the press before the points and the drop image do.
class CSelectionBand : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    explicit CSelectionBand(ISelectionBandHost& host) : m_host(host) {}

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // The band as it is drawn now; false when none is being made.
    bool Rect(RECT& rect) const;
    void Cancel();

private:
    ISelectionBandHost& m_host;
    bool m_active = false;
    POINT m_start = {};
    POINT m_end = {};
};
