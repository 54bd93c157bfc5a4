#include "support/TestWindow.h"

#include "sim/EditorStandIn.h"

namespace TestSupport {

CTestWindow::CTestWindow(int x, int y, int width, int height)
{
    m_window = CreateEditorStandIn(GetModuleHandleW(nullptr), x, y, true);
    if (m_window != nullptr)
        SetWindowPos(m_window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

CTestWindow::~CTestWindow()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
    PumpMessages();
}

bool PlaceCursor(int x, int y)
{
    SetCursorPos(x, y);
    POINT at;
    return GetCursorPos(&at) && at.x == x && at.y == y;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace TestSupport
