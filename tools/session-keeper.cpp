// session-keeper: holds the display's desktop for a whole session of Wine programs.
//
// Wine starts its desktop process with the first program that needs a desktop and ends it
// soon after the last one has gone. Started by a test program, the desktop process would keep
// that program's output open, and the test runner would wait for it until its time-out. The
// session scripts start this keeper first, with nothing inherited, and stop it with the server.
#include "base/Win32.h"

int main()
{
    const HWND window = CreateWindowExW(0, L"STATIC", L"session-keeper", WS_POPUP, -32000, -32000, 1, 1, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
