#include "sim/RealInput.h"

namespace RealInput {

namespace {

HWND g_virtualClockWindow = nullptr;

// False for a message that is thrown away.
bool Handle(MSG& message)
{
    if (message.message == WM_TIMER && message.hwnd != nullptr && message.hwnd == g_virtualClockWindow)
        return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

void SendKeyboard(WORD virtualKey, WORD scan, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

void Send(DWORD flags, DWORD data = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof(input));
    Settle();
}

} // namespace

void Settle()
{
    // Input reaches the queue asynchronously: pump until the queue has stayed empty for a
    // few short rounds, so that the input and whatever it posted have been handled.
    int quiet = 0;
    for (int round = 0; round < 300 && quiet < 5; ++round) {
        bool handled = false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            handled = Handle(message) || handled;
        quiet = handled || GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_PAINT) != 0 ? 0 : quiet + 1;
        Sleep(4);
    }
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        Handle(message);
}

void DropTimerMessagesOf(HWND window)
{
    g_virtualClockWindow = window;
}

void Key(WORD virtualKey)
{
    SendKeyboard(virtualKey, 0, 0);
    SendKeyboard(virtualKey, 0, KEYEVENTF_KEYUP);
    Settle();
}

void KeyWith(const std::vector<WORD>& modifiers, WORD virtualKey)
{
    for (WORD modifier : modifiers)
        SendKeyboard(modifier, 0, 0);
    SendKeyboard(virtualKey, 0, 0);
    SendKeyboard(virtualKey, 0, KEYEVENTF_KEYUP);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        SendKeyboard(*it, 0, KEYEVENTF_KEYUP);
    Settle();
}

void HoldKeys(const std::vector<WORD>& modifiers, bool down)
{
    if (down) {
        for (WORD modifier : modifiers)
            SendKeyboard(modifier, 0, 0);
    } else {
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
            SendKeyboard(*it, 0, KEYEVENTF_KEYUP);
    }
    Settle();
}

void Type(const std::wstring& text)
{
    for (wchar_t c : text) {
        SendKeyboard(0, c, KEYEVENTF_UNICODE);
        SendKeyboard(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
    }
    Settle();
}

void MoveTo(int x, int y)
{
    // The display may report an older pointer position after the move; move until the
    // system agrees on where the pointer is.
    for (int attempt = 0; attempt < 5; ++attempt) {
        SetCursorPos(x, y);
        // A relative move of nothing makes the system deliver WM_MOUSEMOVE at the new place.
        Send(MOUSEEVENTF_MOVE);
        POINT at;
        if (GetCursorPos(&at) && at.x == x && at.y == y)
            return;
    }
}

void Press(Button button)
{
    Send(button == Button::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
}

void Release(Button button)
{
    Send(button == Button::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
}

void Click(int x, int y, Button button)
{
    MoveTo(x, y);
    Press(button);
    Release(button);
}

void Wheel(int notches)
{
    Send(MOUSEEVENTF_WHEEL, static_cast<DWORD>(notches * WHEEL_DELTA));
}

} // namespace RealInput
