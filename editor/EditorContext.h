#pragma once
#include <functional>

#include "base/Win32.h"
#include "editor/WinMsgHookList.h"

class CTervaneManager;
class CTimeLineButtonManager;

// The one process-wide record that the editor window, its controls and the skin objects
// share. The parent static object fills the drawing handles when it is created and clears
// them when it goes; the editor window fills the rest before it creates any control.
// Everything here is used on the media player's user-interface thread only.
struct CEditorContext {
    // The plug-in module's own instance: every window of the editor is created with it.
    HINSTANCE instance = nullptr;
    HWND parentStatic = nullptr;
    HDC backBufferDC = nullptr;
    HDC scratchDC = nullptr;
    // The STATIC class procedure that the parent static window replaced by its own.
    WNDPROC staticProc = nullptr;
    HWND host = nullptr;
    CTervaneManager* manager = nullptr;
    CTimeLineButtonManager* timeLine = nullptr;
    // Deletes the time-line point whose button window is given; the time-line model binds
    // it. The parent static window calls it on WM_PLUGIN_DELETEPOINT.
    std::function<void(HWND)> deletePoint;
};

CEditorContext& EditorContext();

// The control hook list: every control of the editor, in creation order.
Quorvel::Base::AppFrame::CWinMsgHookList& ControlHookList();
