#include "plugin/Registration.h"

#include <string>

#include "plugin/RegistryScript.h"

namespace {

// Players reload their list of plug-ins when this is broadcast.
void BroadcastPluginChange()
{
    const UINT message = RegisterWindowMessageA("WMPlayer_PluginAddRemove");
    if (message != 0)
        PostMessageW(HWND_BROADCAST, message, 0, 0);
}

bool ReadScript(HINSTANCE module, std::string& script)
{
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kRegistryScriptId), L"REGISTRY");
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return false;
    script.assign(static_cast<const char*>(bytes), SizeofResource(module, found));
    return true;
}

HRESULT Apply(HINSTANCE module, bool registering)
{
    std::string script;
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH + 1);
    HRESULT result = E_FAIL;
    if (length == 0 || length > MAX_PATH)
        result = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    else if (!ReadScript(module, script))
        result = HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    else
        result = ApplyRegistryScript(script, std::wstring(path, length), registering);
    BroadcastPluginChange();
    return result;
}

} // namespace

HRESULT RegisterPluginServer(HINSTANCE module)
{
    return Apply(module, true);
}

HRESULT UnregisterPluginServer(HINSTANCE module)
{
    return Apply(module, false);
}
