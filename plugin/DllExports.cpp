// The four entry points of the in-process server, exported by their plain names (.def).
#include "base/Win32.h"
#include <objbase.h>

#include "plugin/ClassFactory.h"
#include "plugin/Module.h"
#include "plugin/Registration.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)
{
    return GetPluginClassObject(clsid, riid, object);
}

STDAPI DllCanUnloadNow()
{
    return Module::LockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    return RegisterPluginServer(Module::Instance());
}

STDAPI DllUnregisterServer()
{
    return UnregisterPluginServer(Module::Instance());
}
