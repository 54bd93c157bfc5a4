#pragma once
#include "base/Win32.h"

namespace TestSupport {

// A visible top-level window standing in for the editor window (the tools' stand-in): it
// hands what the editor window forwards to the control hook list, and goes with the object.
class CTestWindow {
public:
    CTestWindow(int x, int y, int width, int height);
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;
    ~CTestWindow();

    HWND Get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

// Moves the cursor and returns whether the system reports it there.
bool PlaceCursor(int x, int y);

// Dispatches the messages waiting for this thread, so that posted work is done.
void PumpMessages();

} // namespace TestSupport
