#pragma once
#include <memory>
#include <string>

#include "base/Win32.h"
#include "controls/AllDeleteButton.h"
#include "controls/AllTimeBar.h"
#include "controls/BitmapScroll.h"
#include "controls/ChoiceButton.h"
#include "controls/FileButton.h"
#include "controls/FileEditBox.h"
#include "controls/GraphButton.h"
#include "controls/InsertButton.h"
#include "controls/MovieScrollButton.h"
#include "controls/PointMoveButton.h"
#include "controls/SelectButton.h"
#include "controls/ShellButtons.h"
#include "controls/SpeedButton.h"
#include "controls/TimeEditBox.h"
#include "controls/WindowButton.h"
#include "editor/BitmapObject.h"
#include "editor/EditorKeys.h"
#include "editor/Recovery.h"
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
// The editor window's class goes when its module is unloaded.
void UnregisterPluginWindowClass(HINSTANCE instance);

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

    // Loads a time sheet as the settings file's path does at start, through the load button.
    bool LoadTimeSheet(const std::string& path);

    // The controls, for tools and tests that look at what the user sees.
    const TervaneControl::CWindowButton& WindowButton() const { return m_windowButton; }
    const TervaneControl::CGraphButton& GraphButton() const { return m_graphButton; }
    const TervaneControl::CPointMoveButton& PointMoveButton() const { return m_pointMoveButton; }
    const TervaneControl::CSelectButton& SelectButton() const { return m_selectButton; }
    const TervaneControl::CSpeedButton& SpeedButton() const { return m_speedButton; }
    const TervaneControl::CPatternButton& PatternButton() const { return m_patternButton; }
    const TervaneControl::CLevelButton& LevelButton() const { return m_levelButton; }
    const TervaneControl::CPlayViewButton& PlayViewButton() const { return m_playViewButton; }
    const TervaneControl::CFileButton& FileButton() const { return m_fileButton; }
    const TervaneControl::CFileEditBox& FileEditBox() const { return m_fileEditBox; }
    const TervaneControl::CTimeEditBox& TimeEditBox() const { return m_timeEditBox; }
    const TervaneControl::CBitmapScroll& SeekBar() const { return m_bitmapScroll; }
    const TervaneControl::CAllTimeBar& OverviewBar() const { return m_allTimeBar; }

    // Copies the back buffer to the screen, with the two edit boxes over it.
    void ShowBackBuffer(HWND parentStatic);
    // Every control paints again and the whole editor goes to the screen, as at the first tick.
    void RedrawAll();
    // The time box says this for two seconds instead of the position.
    void ShowNote(const std::wstring& text);
    bool IsRecording() const { return m_recording; }

private:
    LRESULT OnCreate(HWND window);
    void OnDestroy(HWND window);
    void OnClose(HWND window);
    void OnTimer();
    void OnSizeMode(HWND window, WPARAM wParam);
    LRESULT Forward(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateEditBoxes(HWND window, const std::string& moduleDirectory);
    void CreateBars(const std::string& moduleDirectory);
    void CreateButtons(HWND window, const std::string& moduleDirectory);
    void CreateTooltips(HWND window);
    void AddControlTooltips(HWND window);
    void ReadSettings();
    // A key of the editor (EditorKeys): true when it was taken.
    bool OnKey(HWND window, const EditorKeyCommand& command);
    // What a click on the control with this identifier does, if it is there and enabled.
    bool ClickControl(HWND window, uint32_t identifier);
    // The device's lead time moved by a step, stored, and shown in the time box a while.
    static constexpr int kLeadStepMs = 10;
    void ChangeLeadTime(int stepMs);
    // The user's comfort limit moved by a level, stored and shown.
    void ChangeMostLevel(int step);
    // Precise timing: Ctrl+T turns it on and off, stored and shown. While it is on and the
    // movie plays, a one-shot timer fires at each command due before the next tick (and a
    // little after, so that none needs a timer shorter than the system's shortest).
    static constexpr UINT_PTR kFirstDueTimerId = 2;
    static constexpr size_t kDueTimers = 8;
    static constexpr UINT kDueMarginMs = 20;
    void TogglePreciseTiming();
    bool IsDueTimer(WPARAM id) const { return id >= kFirstDueTimerId && id < kFirstDueTimerId + kDueTimers; }
    void ArmDueTimers(double position);
    void OnDueTimer(UINT_PTR id);
    // The timers whose time came while the tick worked, at once rather than behind what the
    // tick left in the queue.
    void RunOverdueTimers();
    void KillDueTimers();
    // Recording: R turns it on and off; while the movie plays, each level key puts a point at
    // the playback position that the device takes at once. A run ends with R, a pause or a
    // stop, and is one step to undo.
    bool IsRecordingNow();
    void ToggleRecording();
    void RecordLevel(int level);
    void EndRecordingRun();
    // The selection's records to the clipboard (and gone, for a cut); the clipboard's records
    // at the playback position, or a word why not.
    void CopySelection(HWND window, bool cut);
    void Paste(HWND window);
    // The time box says how many points are selected when that changed.
    void NoteSelection();
    // The recovery copy follows the unsaved changes: written at most every 30 s after a change
    // (at once when now), removed once there are none.
    void KeepRecovery(bool now);
    // The copies players that are gone left are put to the user, newest first, until one is
    // taken: yes brings its records back as unsaved changes of its sheet, no removes it.
    void OfferRecovery(HWND window);

    // Declared first so that it ends last: every image of the editor is read with it.
    std::unique_ptr<CGdiplusSession> m_gdiplus;
    IPluginHost& m_owner;
    HINSTANCE m_instance = nullptr;
    int m_sizeMode = kSizeModeNormal;
    TervaneControl::CManualButton m_manualButton;
    TervaneControl::CWindowButton m_windowButton;
    TervaneControl::CFileButton m_fileButton;
    TervaneControl::CGraphButton m_graphButton;
    TervaneControl::CPointMoveButton m_pointMoveButton;
    TervaneControl::CSelectButton m_selectButton;
    TervaneControl::CSpeedButton m_speedButton;
    TervaneControl::CMovieScrollButton m_movieScrollButton;
    TervaneControl::CPatternButton m_patternButton;
    TervaneControl::CLevelButton m_levelButton;
    TervaneControl::CInsertButton m_insertButton;
    TervaneControl::CPlayViewButton m_playViewButton;
    TervaneControl::CAllDeleteButton m_allDeleteButton;
    TervaneControl::CLinkButton m_linkButton;
    TervaneControl::CFileEditBox m_fileEditBox;
    TervaneControl::CTimeEditBox m_timeEditBox;
    TervaneControl::CBitmapScroll m_bitmapScroll;
    TervaneControl::CAllTimeBar m_allTimeBar;
    CBitmapObject m_background;
    CParentStaticObject m_parentStatic;
    CTimeLineObject m_timeLineObject;
    Quorvel::Base::AppFrame::CWinMsgHookList m_windowHooks;
    HWND m_balloonTooltip = nullptr;
    HWND m_controlTooltip = nullptr;
    CHtmlParser m_parser;
    CEditorKeys m_keys;
    std::unique_ptr<CRecoveryCopy> m_recovery;
    bool m_recoveryWritten = false;
    // The last try could not write the copy (said once, in the time box).
    bool m_recoveryFailed = false;
    uint32_t m_recoveryAt = 0;
    uint64_t m_recoveryRevision = 0;
    bool m_recording = false;
    int m_recordLevel = 0;
    uint64_t m_seenSelection = 0;
    uint64_t m_seenSheet = 0;
    int m_shownSelected = 0;
    // The one-shot timers set: the position (ten-thousandths) each is for, when it is wanted,
    // and when the system fires it (later than wanted when that is nearer than its shortest
    // timer).
    struct DueTimer {
        bool set = false;
        int32_t at = 0;
        uint32_t fireAt = 0;
        uint32_t firesBy = 0;
    };
    DueTimer m_dueTimers[kDueTimers];
    // How late the system's timers came lately (ms), and whether timeBeginPeriod is in force.
    double m_timerLateMs = 0.0;
    bool m_finerTimers = false;
};
