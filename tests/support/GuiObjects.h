#pragma once
#include "base/Win32.h"

namespace TestSupport {

// The GDI objects and the windows this process holds now, for tests that look for what a
// closed editor left behind. Windows answers GetGuiResources; Wine answers it with 0, and
// there the GDI objects are counted in the process's shared handle table instead.
struct GuiObjects {
    long gdi = -1;    // -1: this system tells no count
    long windows = 0; // top-level windows of the thread and all their descendants
};
GuiObjects CountGuiObjects();

} // namespace TestSupport
