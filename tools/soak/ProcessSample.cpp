#include "soak/ProcessSample.h"

#include <cstdint>

#include "base/Win32.h"
#include "base/allocator/BlockGuards.h"
#include "support/GuiObjects.h"

#include <tlhelp32.h>

namespace {

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

} // namespace

ProcessSample TakeProcessSample()
{
    const TestSupport::GuiObjects gui = TestSupport::CountGuiObjects();
    return {gui.gdi, gui.windows, Handles(), Threads(),
            static_cast<long>(Quorvel::Base::Allocator::CurrentGuardedUsage().liveBytes)};
}
