#include "editor/EditorClock.h"

#include "base/Win32.h"
#include <mmsystem.h>

namespace {

uint32_t SystemMilliseconds()
{
    return timeGetTime();
}

EditorClockSource g_source = &SystemMilliseconds;

} // namespace

uint32_t EditorMilliseconds()
{
    return g_source();
}

void SetEditorClock(EditorClockSource source)
{
    g_source = source != nullptr ? source : &SystemMilliseconds;
}
