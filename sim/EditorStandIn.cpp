#include "sim/EditorStandIn.h"

#include "editor/EditorContext.h"
#include "editor/ParentStaticObject.h"
#include "editor/PluginMessages.h"

namespace {

LRESULT CALLBACK EditorStandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM:
        ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, false);
        return TRUE;
    case WM_COMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_PLUGIN_PATTERN:
    case WM_PLUGIN_LEVEL:
        ControlHookList().Dispatch(window, message, wParam, lParam, nullptr, false);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

HWND CreateEditorStandIn(HINSTANCE instance, int x, int y, bool visible)
{
    static const bool registered = [instance] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = EditorStandInProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = L"TervaneEditorStandIn";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowExW(0, L"TervaneEditorStandIn", L"TervanePlugin",
                           WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), x, y, kBackBufferWidth,
                           kBackBufferHeight, nullptr, nullptr, instance, nullptr);
}
