#pragma once
#include <vector>
#include <string>

#include "base/Win32.h"

// Mouse input through the system's input queue, as a user's hand makes it: hit testing,
// capture and the controls' own window procedures run as they would for a person. Each call
// waits until this thread has handled what the input caused. Screen coordinates.
namespace RealInput {

enum class Button { Left, Right };

void MoveTo(int x, int y);
void Press(Button button);
void Release(Button button);
void Click(int x, int y, Button button = Button::Left);
// notches of 120; negative turns the wheel towards the user.
void Wheel(int notches);
// One key pressed and released (a virtual-key code), and text typed as characters.
void Key(WORD virtualKey);
// The key pressed while the modifier keys (VK_CONTROL, VK_SHIFT, ...) are held, in order.
void KeyWith(const std::vector<WORD>& modifiers, WORD virtualKey);
void Type(const std::wstring& text);
// The modifier keys pressed (down) or let go, in order (let go in the reverse one).
void HoldKeys(const std::vector<WORD>& modifiers, bool down);
// Handles this thread's pending messages for a little while, so that queued input and what
// it posts are done.
void Settle();
// Handles what is waiting now, without waiting for more.
void Pump();
// The real timer messages of this window are thrown away: a host with a virtual clock sends
// the ticks itself. Null: none.
void DropTimerMessagesOf(HWND window);

} // namespace RealInput
