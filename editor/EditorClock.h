#pragma once
#include <cstdint>

#include "base/Win32.h"

// Milliseconds for the editor's short mouse timings (a point becomes a drag 200 ms after the
// press). The product reads the system clock; a scripted host binds its virtual clock, so
// that a replayed drag behaves the same on every run. User-interface thread only.
using EditorClockSource = uint32_t (*)();

uint32_t EditorMilliseconds();
// Null restores the system clock.
void SetEditorClock(EditorClockSource source);

// The editor's one-shot timers (the commands of precise timing), set and killed as SetTimer
// and KillTimer do, with WM_TIMER arriving at the window. The product uses the system's; a
// scripted host with a virtual clock binds its own, which fire at the virtual time they were
// set for. User-interface thread only.
class IEditorTimers {
public:
    virtual void Set(HWND window, UINT_PTR id, UINT milliseconds) = 0;
    virtual void Kill(HWND window, UINT_PTR id) = 0;

protected:
    ~IEditorTimers() = default;
};

void SetEditorTimer(HWND window, UINT_PTR id, UINT milliseconds);
void KillEditorTimer(HWND window, UINT_PTR id);
// Null restores the system's timers.
void SetEditorTimers(IEditorTimers* timers);
