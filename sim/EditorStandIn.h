#pragma once
#include "base/Win32.h"

// A window in the editor window's place for tools and tests that build parts of the editor
// without the plug-in: it hands the messages the editor window forwards (owner drawing,
// commands, the mouse, the plug-in's own notices) to the control hook list.
HWND CreateEditorStandIn(HINSTANCE instance, int x, int y, bool visible);
