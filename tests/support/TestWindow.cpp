#include "support/TestWindow.h"

#include "editor/EditorContext.h"

namespace TestSupport {

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM:
        ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, false);
        return TRUE;
    case WM_COMMAND:
        ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, false);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

const wchar_t kClassName[] = L"TervaneTestWindow";

void RegisterOnce()
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

} // namespace

CTestWindow::CTestWindow(int x, int y, int width, int height)
{
    RegisterOnce();
    m_window = CreateWindowExW(0, kClassName, L"test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                               height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
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
