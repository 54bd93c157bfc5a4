#include "editor/WindowImpl.h"
#include "editor/NoThrow.h"

HWND CWindowImpl::CreateWindowImpl(HINSTANCE instance, const wchar_t* className, HWND parent, const RECT& rect,
                                   const wchar_t* name, DWORD style, DWORD exStyle)
{
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &CWindowImpl::WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = className;
        if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return nullptr;
    }
    return CreateWindowExW(exStyle, className, name, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, nullptr, instance, this);
}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A creation that fails halfway fails the window rather than leaving half of it.
    return NoThrow(message == WM_CREATE ? -1 : 0, [&] { return WindowProcGuarded(window, message, wParam, lParam); });
}

LRESULT CWindowImpl::WindowProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowImpl* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<CWindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr)
            self->m_window = window;
    } else {
        self = reinterpret_cast<CWindowImpl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    const bool handled = self->ProcessWindowMessage(window, message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        self->OnFinalMessage(window);
    }
    return handled ? result : DefWindowProcW(window, message, wParam, lParam);
}
