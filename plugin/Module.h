#pragma once
#include "base/Win32.h"

// The in-process server's module: its instance and its lock count. Every live COM object of
// the module and every LockServer(TRUE) holds one lock; the player may unload the module only
// while the count is 0. The count is atomic: a player may ask DllCanUnloadNow from any thread.
namespace Module {

void Lock();
void Unlock();
LONG LockCount();
// Lowers count by one unless it is 0 already; true when it did.
bool DecrementIfPositive(LONG volatile& count);

// The module's own instance (the DLL's, or the program's when the plug-in is linked into a
// tool); windows and resources are made with it, never with the player's.
HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

// Holds one module lock for its lifetime.
class CLock {
public:
    CLock() { Lock(); }
    ~CLock() { Unlock(); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;
};

} // namespace Module
