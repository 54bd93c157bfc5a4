#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include <commctrl.h>

#include "editor/WinMsgHook.h"
#include "timesheet/TimeSheetButton.h"

// What the point windows ask of the time line whose entries they stand for.
class IPointWindowsOwner {
public:
    // The rectangle of an entry's point as it is drawn now; false for an entry not shown.
    virtual bool FaceOf(int32_t key, RECT& face) const = 0;
    // The entry whose point is drawn topmost under at.
    virtual bool TopmostKeyAt(POINT at, int32_t& key) const = 0;
    // The shown entries whose points lie within reach pixels of at, in drawing order, at most
    // most of them (the topmost ones).
    virtual void KeysNear(POINT at, int reach, size_t most, std::vector<int32_t>& keys) const = 0;
    virtual bool IsKeyShown(int32_t key) const = 0;
    // Whether the sheet has a point in that tenth at all, shown or not.
    virtual bool HasPoint(int32_t key) const = 0;
    virtual bool IsNearGraph(POINT at) const = 0;
    virtual std::wstring TooltipOf(int32_t key) const = 0;
    // The faces, drawn when the controls paint; the points paint nothing of their own.
    virtual void PaintPoints(HDC dc) = 0;

protected:
    ~IPointWindowsOwner() = default;
};

// The windows of the points, and the hook through which the points see the mouse.
//
// One invariant: a window stands for at most one entry and an entry has at most one window,
// and windows exist only for entries near where the pointer was last seen over the graph (and
// for an entry just made or being pressed): at most kMostWindows of them, each with its
// tooltip. A window is the hit area, tooltip and hand cursor of its point; the face is drawn
// from the entry. Windows are brought into place when the pointer moves or presses, never
// when the graph scrolls: moving a window costs the player's thread more than anything the
// editor does, and a press goes to the point drawn under the pointer, whichever window took it.
// A window whose entry went is destroyed at the next refresh, as its own handler may still be
// running; one that is no longer near is hidden and handed on to the next entry that needs one.
// A window that holds the keyboard focus gives it back to the editor before it is hidden or
// goes: the editor's keys would otherwise stop until the next click.
class CPointWindows : public Quorvel::Base::AppFrame::IWinMsgHook {
public:
    static constexpr int32_t kFirstId = 50;
    static constexpr size_t kMostWindows = 48;
    // How far from the pointer a point still gets its window.
    static constexpr int kReach = 24;

    CPointWindows(IPointWindowsOwner& owner, IPointHost& host);
    ~CPointWindows() override;
    CPointWindows(const CPointWindows&) = delete;
    CPointWindows& operator=(const CPointWindows&) = delete;

    // The points' windows are children of parent; tooltip is the balloon tooltip.
    void Attach(HWND parent, HWND tooltip);
    // Every window goes, now.
    void Detach();

    // The window of key, made or handed on, at its place now; null when none can be made.
    CTimeSheetButton* Give(int32_t key);
    // Every entry went: every window goes, and identifiers start again from kFirstId.
    void ForgetAll();
    // Some entries changed (changed(key) says which): the windows of those that went go, the
    // others' tooltips say what they hold now.
    void Follow(const std::function<bool(int32_t)>& changed);
    // The tick: windows that went are destroyed; the windows of entries no longer shown are
    // hidden for another entry.
    void Refresh();
    // The pointer moved to at: the points near it get their windows, in place.
    void Sync(POINT at);
    // The graph scrolled under a pointer at rest at at: the point drawn on top under it has
    // a window under the pointer (placed at the point when none lay there yet), and no other
    // window takes the pointer. A window or two a tick, where
    // bringing all of them along would cost the player's thread several milliseconds; the
    // others follow at the next move of the pointer. A pointer away from the graph has none.
    void FollowAtRest(POINT at);
    // Every window to its entry's place (after a seek, a zoom or a size change), or one.
    void PlaceAll();
    void Place(int32_t key);
    // The entry's tooltip text changed.
    void UpdateTooltip(int32_t key);

    HWND WindowOf(int32_t key) const;
    int32_t KeyOf(HWND window) const;
    // Windows alive, hidden ones included.
    int Count() const { return static_cast<int>(m_points.size() + m_spare.size() + m_retired.size()); }
    // The point being pressed or dragged, null when none is.
    const CTimeSheetButton* Pressed() const;
    // A press (and the drag it became) is given up; false when there was none.
    bool CancelPress();

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Slot {
        std::unique_ptr<CTimeSheetButton> button;
        // Where the window stands, and whether it shows; its tooltip names its entry.
        int x = 0;
        int y = 0;
        bool shown = false;
        bool tooltipCurrent = false;
    };

    CTimeSheetButton* PressedButton() const;
    Slot* Make(int32_t key, const RECT& face);
    void Move(Slot& slot, const RECT& face, HDWP& batch);
    void HideAway(Slot& slot, HDWP& batch);
    void GiveFocusBack(const Slot& slot) const;
    void SpareAllBut(const std::vector<int32_t>& keep, HDWP& batch);
    void WriteTooltip(Slot& slot, bool add);
    void Retire(Slot&& slot);

    IPointWindowsOwner& m_owner;
    IPointHost& m_host;
    HWND m_parent = nullptr;
    HWND m_tooltip = nullptr;
    std::map<int32_t, Slot> m_points;
    std::vector<Slot> m_spare;
    std::vector<Slot> m_retired;
    int32_t m_nextId = kFirstId;
};
