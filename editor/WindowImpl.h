#pragma once
#include "base/Win32.h"

// A window whose messages reach one object: the object is handed over at creation and found
// again on every message. The derived class answers ProcessWindowMessage; what it does not
// handle goes to DefWindowProcW. An exception out of ProcessWindowMessage ends the message
// (a creation fails) and goes no further.
class CWindowImpl {
public:
    CWindowImpl() = default;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;
    virtual ~CWindowImpl() = default;

    // Registers the class once per module instance; null when the window can't be made.
    HWND CreateWindowImpl(HINSTANCE instance, const wchar_t* className, HWND parent, const RECT& rect,
                          const wchar_t* name, DWORD style, DWORD exStyle);
    HWND Handle() const { return m_window; }

    // True when the message was handled, with its result.
    virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The window is gone; the object may still be deleted by its owner afterwards.
    virtual void OnFinalMessage(HWND) {}

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT WindowProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
};
