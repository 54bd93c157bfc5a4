#include "base/Win32.h"

// The module instance windows and resources are created with; the player's own
// instance (GetModuleHandle(nullptr)) is never ours.
HINSTANCE g_moduleInstance = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
