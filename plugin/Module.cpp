#include "plugin/Module.h"

namespace Module {

namespace {

LONG volatile g_locks = 0;
HINSTANCE g_instance = nullptr;

} // namespace

void Lock()
{
    InterlockedIncrement(&g_locks);
}

bool DecrementIfPositive(LONG volatile& count)
{
    LONG seen = InterlockedCompareExchange(&count, 0, 0);
    while (seen > 0) {
        const LONG before = InterlockedCompareExchange(&count, seen - 1, seen);
        if (before == seen)
            return true;
        seen = before;
    }
    return false;
}

void Unlock()
{
    // An unlock without its lock must not make the count negative: a count below 0 would let
    // the next live object's lock read as 0, and the module be unloaded under it.
    DecrementIfPositive(g_locks);
}

LONG LockCount()
{
    return InterlockedCompareExchange(&g_locks, 0, 0);
}

HINSTANCE Instance()
{
    return g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr);
}

void SetInstance(HINSTANCE instance)
{
    g_instance = instance;
}

} // namespace Module
