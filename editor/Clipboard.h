#pragma once
#include <string>

#include "base/Win32.h"

// The system clipboard as text in the Japanese code page (the records of a sheet are plain
// ASCII, but text typed by hand may carry anything). Both are false when the clipboard is held
// by another program or holds no text.
bool PutClipboardText(HWND owner, const std::string& text);
bool ClipboardText(HWND owner, std::string& text);
