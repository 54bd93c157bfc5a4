#include "base/Win32.h"
#include "plugin/ClassFactory.h"
#include "plugin/Module.h"

// Windows and resources are made with this module's instance, never the player's. Nothing
// here may start or stop a library that takes the loader lock itself (GDI+, COM).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        ReleasePluginClassObject();
    }
    return TRUE;
}
