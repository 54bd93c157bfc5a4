#include "editor/EditorClock.h"

#include "base/Win32.h"
#include <mmsystem.h>

namespace {

uint32_t SystemMilliseconds()
{
    return timeGetTime();
}

EditorClockSource g_source = &SystemMilliseconds;
IEditorTimers* g_timers = nullptr;

} // namespace

uint32_t EditorMilliseconds()
{
    return g_source();
}

void SetEditorClock(EditorClockSource source)
{
    g_source = source != nullptr ? source : &SystemMilliseconds;
}

void SetEditorTimer(HWND window, UINT_PTR id, UINT milliseconds)
{
    if (g_timers != nullptr)
        g_timers->Set(window, id, milliseconds);
    else
        SetTimer(window, id, milliseconds, nullptr);
}

void KillEditorTimer(HWND window, UINT_PTR id)
{
    if (g_timers != nullptr)
        g_timers->Kill(window, id);
    else
        KillTimer(window, id);
}

void SetEditorTimers(IEditorTimers* timers)
{
    g_timers = timers;
}
