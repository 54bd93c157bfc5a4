#pragma once
#include "base/Win32.h"

namespace TestSupport {

// A visible top-level window standing in for the editor window: it hands WM_DRAWITEM and
// WM_COMMAND of its button children to the control hook list, as the editor window does.
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
