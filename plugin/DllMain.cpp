#include "base/Win32.h"
#include "editor/PluginWindow.h"
#include "plugin/ClassFactory.h"
#include "plugin/Module.h"

// Windows and resources are made with this module's instance, never the player's. Nothing
// here may start or stop a library that takes the loader lock itself (GDI+, COM).
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module::SetInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        ReleasePluginClassObject();
        // A class outlives the module that registered it: one left behind would send the
        // windows of a module loaded again later to this one's freed window procedure. At
        // process exit (reserved not null) the system takes it down itself.
        if (reserved == nullptr)
            UnregisterPluginWindowClass(instance);
    }
    return TRUE;
}
