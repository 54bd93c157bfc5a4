#include "support/GuiObjects.h"

#include <winternl.h>

#include <cstdint>

namespace TestSupport {

namespace {

// One entry of Wine's shared GDI handle table (include/ntgdi.h there).
struct WineGdiEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(WineGdiEntry) == 24, "the table's layout");
constexpr long kWineGdiHandles = 16384;

bool IsWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

long WineGdiCount()
{
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (query == nullptr || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        basic.PebBaseAddress == nullptr)
        return -1;
    const PEB* peb = basic.PebBaseAddress;
    // GdiSharedHandleTable sits at 0x94 (32-bit) or 0xF8 (64-bit) in the process block.
    const size_t offset = sizeof(void*) == 4 ? 0x94 : 0xF8;
    const auto* table = *reinterpret_cast<const WineGdiEntry* const*>(reinterpret_cast<const char*>(peb) + offset);
    if (table == nullptr)
        return -1;
    long count = 0;
    for (long i = 0; i < kWineGdiHandles; ++i)
        count += table[i].type != 0 ? 1 : 0;
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(window, &CountChild, count);
    return TRUE;
}

} // namespace

GuiObjects CountGuiObjects()
{
    GuiObjects objects;
    EnumThreadWindows(GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&objects.windows));
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (gdi != 0)
        objects.gdi = static_cast<long>(gdi);
    else if (IsWine())
        objects.gdi = WineGdiCount();
    return objects;
}

} // namespace TestSupport
