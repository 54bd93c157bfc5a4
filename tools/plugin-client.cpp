// plugin-client: what the installer test asks of a program in the prefix that uses the
// installed plug-in.
//
//   plugin-client create                   creates the object by its class identifier, as the
//                                          media player does, and prints the server's path
//   plugin-client hold DLL FLAG [player]   keeps DLL loaded (with "player", also a window of the
//                                          media player's class) until the file FLAG, which
//                                          it makes once it holds, is deleted; at most 5 minutes
#include <cstdio>
#include <cstring>

#include <objbase.h>

#include "base/Win32.h"
#include "plugin/Guids.h"
#include "plugin/PluginInterfaces.h"

namespace {

int Create()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    IWMPPluginUI* plugin = nullptr;
    const HRESULT created = CoCreateInstance(CLSID_TervanePlugin, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPPluginUI),
                                             reinterpret_cast<void**>(&plugin));
    char server[MAX_PATH] = {};
    if (SUCCEEDED(created)) {
        GetModuleFileNameA(GetModuleHandleA("TervanePlugin.dll"), server, sizeof server);
        plugin->Release();
    }
    CoUninitialize();
    if (FAILED(created)) {
        std::printf("not created: 0x%08lX\n", static_cast<unsigned long>(created));
        return 1;
    }
    std::printf("created %s\n", server);
    return 0;
}

int Hold(const char* dll, const char* flag, bool player)
{
    const HMODULE module = LoadLibraryA(dll);
    if (module == nullptr) {
        std::printf("cannot load %s\n", dll);
        return 1;
    }
    HWND window = nullptr;
    if (player) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "WMPlayerApp";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "WMPlayerApp", "Windows Media Player", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
    }
    const HANDLE made = CreateFileA(flag, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(made);
    for (int i = 0; i < 3000 && GetFileAttributesA(flag) != INVALID_FILE_ATTRIBUTES; ++i) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(100);
    }
    if (window != nullptr)
        DestroyWindow(window);
    FreeLibrary(module);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "create") == 0)
        return Create();
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "hold") == 0 &&
        (argc == 4 || std::strcmp(argv[4], "player") == 0))
        return Hold(argv[2], argv[3], argc == 5);
    std::fprintf(stderr, "usage: plugin-client create | plugin-client hold DLL FLAG [player]\n");
    return 2;
}
