#pragma once
#include <cstdint>

#include "base/Win32.h"

// The editor's own window messages. The plug-in object, the news ticker thread and the
// controls talk to the editor window and the parent static window through these.
constexpr UINT WM_PLUGIN_MEDIAOPEN = WM_APP + 1;
constexpr UINT WM_PLUGIN_STOPPED = WM_APP + 2;
constexpr UINT WM_PLUGIN_PAUSED = WM_APP + 3;
constexpr UINT WM_PLUGIN_PLAYING = WM_APP + 4;
constexpr UINT WM_PLUGIN_READY = WM_APP + 5;
// wParam is replaced by the stored size mode (0, 1 or 2) before the controls see it.
constexpr UINT WM_PLUGIN_TICKER = WM_APP + 10;
// A time-line entry relays its WM_MOUSEMOVE: wParam key flags, lParam x and y.
constexpr UINT WM_PLUGIN_HOVER = WM_APP + 11;
// lParam points to the narrow path text typed into the file name box.
constexpr UINT WM_PLUGIN_OPENPATH = WM_APP + 13;
// wParam pattern 0-9 and lParam 0; wParam 0 and lParam 100 clears the selection.
constexpr UINT WM_PLUGIN_PATTERN = WM_APP + 20;
constexpr UINT WM_PLUGIN_LEVEL = WM_APP + 21;
// lParam points to the full narrow path of the time sheet just loaded or saved.
constexpr UINT WM_PLUGIN_FILENAME = WM_APP + 30;
constexpr UINT WM_PLUGIN_TICK = WM_APP + 31;
// wParam is the window of the time-line entry to delete.
constexpr UINT WM_PLUGIN_DELETEPOINT = WM_APP + 100;
// wParam 0 normal, 1 wide, -1 mini; the window stores these as 0, 1 and 2.
constexpr UINT WM_PLUGIN_SIZEMODE = WM_APP + 110;
// wParam is the tooltip window; the standard controls ignore it.
constexpr UINT WM_TOOLTIP_ATTACH = WM_USER + 36;

// The wParam values of WM_PLUGIN_SIZEMODE. Note that the mini request (-1) differs from the
// stored mini code (2): a stored code sent back as a request is not a size mode.
constexpr WPARAM kSizeModeRequestNormal = 0;
constexpr WPARAM kSizeModeRequestWide = 1;
constexpr WPARAM kSizeModeRequestMini = static_cast<WPARAM>(-1);

enum SizeMode : int32_t { kSizeModeNormal = 0, kSizeModeWide = 1, kSizeModeMini = 2 };

// Maps a WM_PLUGIN_SIZEMODE request to the stored size mode; false for anything else.
// A 64-bit build also takes the 32-bit -1 (0xFFFFFFFF) that a DWORD-typed sender produces.
inline bool SizeModeFromRequest(WPARAM request, SizeMode& mode)
{
    if (request == kSizeModeRequestNormal) {
        mode = kSizeModeNormal;
    } else if (request == kSizeModeRequestWide) {
        mode = kSizeModeWide;
    } else if (request == kSizeModeRequestMini || request == 0xFFFFFFFFu) {
        mode = kSizeModeMini;
    } else {
        return false;
    }
    return true;
}
