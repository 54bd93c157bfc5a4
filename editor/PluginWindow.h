#pragma once
#include <memory>
#include <string>

#include "base/Win32.h"
#include "editor/BitmapObject.h"
#include "editor/GdiplusSession.h"
#include "editor/ParentStaticObject.h"
#include "editor/PluginMessages.h"
#include "editor/WindowImpl.h"
#include "editor/WinMsgHookList.h"
#include "ticker/HtmlParser.h"
#include "timesheet/TimeLineObject.h"

class IPluginHost;
class IHtmlDocumentSource;

// Resizes a window so that its client area becomes cx x cy, keeping its place and Z order.
void ResizeClientArea(HWND window, int cx, int cy);

// The editor window in the player's plug-in area. It owns every control, runs the 100 ms
// timer that is the program's main loop (it follows the playback position, drives the time
// line and the device manager and repaints the editor), switches the three size modes and
// reads the last time sheet from the settings file when it opens. It paints nothing itself:
// the controls paint into the back buffer, which the parent static window shows.
class CPluginWindow : public CWindowImpl {
public:
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT kTimerPeriod = 100;
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    explicit CPluginWindow(IPluginHost& owner);
    ~CPluginWindow() override;

    // Creates the window over the player's container; null when it can't be made.
    HWND Create(HWND parent, HINSTANCE instance);
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    int GetSizeMode() const { return m_sizeMode; }
    HWND BalloonTooltip() const { return m_balloonTooltip; }
    HWND ControlTooltip() const { return m_controlTooltip; }
    CParentStaticObject& ParentStatic() { return m_parentStatic; }
    CBitmapObject& Background() { return m_background; }
    CHtmlParser& NewsParser() { return m_parser; }

    // The control tooltip for one control window (delays 100 ms and 30 s); the control is
    // told its tooltip with WM_TOOLTIP_ATTACH.
    void AddControlTooltip(HWND control, const wchar_t* text);

    // Where a scripted host's news page comes from instead of the network; null (the
    // default) fetches the real page. Read when a window is created.
    static void SetNewsDocumentSource(IHtmlDocumentSource* source);

private:
    LRESULT OnCreate(HWND window);
    void OnDestroy(HWND window);
    void OnClose(HWND window);
    void OnTimer();
    void OnSizeMode(HWND window, WPARAM wParam);
    LRESULT Forward(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateTooltips(HWND window);
    void ReadSettings();

    // Declared first so that it ends last: every image of the editor is read with it.
    std::unique_ptr<CGdiplusSession> m_gdiplus;
    IPluginHost& m_owner;
    HINSTANCE m_instance = nullptr;
    int m_sizeMode = kSizeModeNormal;
    CBitmapObject m_background;
    CParentStaticObject m_parentStatic;
    CTimeLineObject m_timeLineObject;
    Quorvel::Base::AppFrame::CWinMsgHookList m_windowHooks;
    HWND m_balloonTooltip = nullptr;
    HWND m_controlTooltip = nullptr;
    CHtmlParser m_parser;
};
