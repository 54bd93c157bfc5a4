#pragma once
#include <cstdint>

// Milliseconds for the editor's short mouse timings (a point becomes a drag 200 ms after the
// press). The product reads the system clock; a scripted host binds its virtual clock, so
// that a replayed drag behaves the same on every run. User-interface thread only.
using EditorClockSource = uint32_t (*)();

uint32_t EditorMilliseconds();
// Null restores the system clock.
void SetEditorClock(EditorClockSource source);
