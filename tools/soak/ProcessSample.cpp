#include "soak/ProcessSample.h"

#include <map>

#include "base/Win32.h"
#include "base/allocator/BlockGuards.h"
#include "sim/ImportTable.h"

#include <tlhelp32.h>

namespace {

// Objects made through this program's imports and not yet deleted. Single threaded, as the
// user-interface code that makes them.
std::map<HANDLE, int> g_live;

// A plain call would come back here through the redirected entry.
template <typename Function>
Function System(const char* dll, const char* name)
{
    return SystemFunction<Function>(dll, name);
}

template <typename Made>
Made Count(Made made)
{
    if (made != nullptr)
        ++g_live[reinterpret_cast<HANDLE>(made)];
    return made;
}

void Uncount(HANDLE object)
{
    const auto found = g_live.find(object);
    if (found != g_live.end() && --found->second == 0)
        g_live.erase(found);
}

HBITMAP WINAPI CountedCreateBitmap(int w, int h, UINT planes, UINT bits, const void* data)
{
    return Count(System<decltype(&::CreateBitmap)>("gdi32.dll", "CreateBitmap")(w, h, planes, bits, data));
}
HBITMAP WINAPI CountedCreateCompatibleBitmap(HDC dc, int w, int h)
{
    return Count(System<decltype(&::CreateCompatibleBitmap)>("gdi32.dll", "CreateCompatibleBitmap")(dc, w, h));
}
HDC WINAPI CountedCreateCompatibleDC(HDC dc)
{
    return Count(System<decltype(&::CreateCompatibleDC)>("gdi32.dll", "CreateCompatibleDC")(dc));
}
HBITMAP WINAPI CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                       DWORD offset)
{
    return Count(System<decltype(&::CreateDIBSection)>("gdi32.dll", "CreateDIBSection")(dc, info, usage, bits, section, offset));
}
HFONT WINAPI CountedCreateFontW(int h, int w, int e, int o, int weight, DWORD italic, DWORD underline, DWORD strike,
                                DWORD charset, DWORD precision, DWORD clip, DWORD quality, DWORD pitch, LPCWSTR face)
{
    return Count(System<decltype(&::CreateFontW)>("gdi32.dll", "CreateFontW")(h, w, e, o, weight, italic, underline, strike, charset, precision, clip, quality, pitch, face));
}
HPEN WINAPI CountedCreatePen(int style, int width, COLORREF color)
{
    return Count(System<decltype(&::CreatePen)>("gdi32.dll", "CreatePen")(style, width, color));
}
HBRUSH WINAPI CountedCreateSolidBrush(COLORREF color)
{
    return Count(System<decltype(&::CreateSolidBrush)>("gdi32.dll", "CreateSolidBrush")(color));
}
HANDLE WINAPI CountedLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int w, int h, UINT flags)
{
    const HANDLE image = System<decltype(&::LoadImageA)>("user32.dll", "LoadImageA")(instance, name, type, w, h, flags);
    return type == IMAGE_BITMAP ? Count(image) : image;
}
HDC WINAPI CountedGetDC(HWND window)
{
    return Count(System<decltype(&::GetDC)>("user32.dll", "GetDC")(window));
}
int WINAPI CountedReleaseDC(HWND window, HDC dc)
{
    Uncount(dc);
    return System<decltype(&::ReleaseDC)>("user32.dll", "ReleaseDC")(window, dc);
}
BOOL WINAPI CountedDeleteObject(HGDIOBJ object)
{
    Uncount(object);
    return System<decltype(&::DeleteObject)>("gdi32.dll", "DeleteObject")(object);
}
BOOL WINAPI CountedDeleteDC(HDC dc)
{
    Uncount(dc);
    return System<decltype(&::DeleteDC)>("gdi32.dll", "DeleteDC")(dc);
}

BOOL CALLBACK CountChild(HWND, LPARAM data)
{
    ++*reinterpret_cast<long*>(data);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM data)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(data);
        EnumChildWindows(window, &CountChild, data);
    }
    return TRUE;
}

long Windows()
{
    long count = 0;
    EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Handle values are multiples of four; the system answers for the live ones.
long Handles()
{
    long count = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return count;
}

long Threads()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    long count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    CloseHandle(snapshot);
    return count;
}

template <typename Function>
void* Fn(Function function)
{
    return reinterpret_cast<void*>(function);
}

} // namespace

bool CountGdiObjects()
{
    // Lives as long as the program: the counting never stops once started.
    static CImportTable table;
    return table.Redirect(GetModuleHandleW(nullptr), {
                                                         {"gdi32.dll", "CreateBitmap", Fn(&CountedCreateBitmap)},
                                                         {"gdi32.dll", "CreateCompatibleBitmap", Fn(&CountedCreateCompatibleBitmap)},
                                                         {"gdi32.dll", "CreateCompatibleDC", Fn(&CountedCreateCompatibleDC)},
                                                         {"gdi32.dll", "CreateDIBSection", Fn(&CountedCreateDIBSection)},
                                                         {"gdi32.dll", "CreateFontW", Fn(&CountedCreateFontW)},
                                                         {"gdi32.dll", "CreatePen", Fn(&CountedCreatePen)},
                                                         {"gdi32.dll", "CreateSolidBrush", Fn(&CountedCreateSolidBrush)},
                                                         {"gdi32.dll", "DeleteObject", Fn(&CountedDeleteObject)},
                                                         {"gdi32.dll", "DeleteDC", Fn(&CountedDeleteDC)},
                                                         {"user32.dll", "LoadImageA", Fn(&CountedLoadImageA)},
                                                         {"user32.dll", "GetDC", Fn(&CountedGetDC)},
                                                         {"user32.dll", "ReleaseDC", Fn(&CountedReleaseDC)},
                                                     }) > 0;
}

ProcessSample TakeProcessSample()
{
    return {static_cast<long>(g_live.size()), Windows(), Handles(), Threads(),
            static_cast<long>(Quorvel::Base::Allocator::CurrentGuardedUsage().liveBytes)};
}
