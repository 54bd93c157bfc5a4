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

void Unlock()
{
    InterlockedDecrement(&g_locks);
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
