#pragma once
#include <memory>
#include <string>

#include "base/ComRef.h"
#include "base/Win32.h"
#include "editor/PluginHost.h"
#include "plugin/Module.h"
#include "plugin/PluginInterfaces.h"
#include "sheet/SheetDocument.h"
#include "timesheet/TimeLineButtonManager.h"

class CPluginWindow;
class CTervaneManager;

// The COM object the media player creates for the plug-in: it receives the player core and
// its events, builds the editor window on request, and owns the device manager and the
// editor's time-line model, both of which outlive the window. Apartment-threaded: the
// player calls it, and delivers its events, on its user-interface thread, so the reference
// count is plain and nothing is locked.
class CTervanePlugin : public IWMPEvents, public IWMPPluginUI, public IPluginHost {
public:
    // The class factory's creator: plain (outer null) or aggregated.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);

    // IUnknown, delegating to the outer object when aggregated.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IWMPPluginUI
    STDMETHODIMP SetCore(IWMPCore* core) override;
    STDMETHODIMP Create(HWND parent, HWND* window) override;
    STDMETHODIMP Destroy() override;
    STDMETHODIMP DisplayPropertyPage(HWND parent) override;
    STDMETHODIMP GetProperty(const WCHAR* name, VARIANT* value) override;
    STDMETHODIMP SetProperty(const WCHAR* name, const VARIANT* value) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;

    // IWMPEvents
    void STDMETHODCALLTYPE OpenStateChange(LONG state) override;
    void STDMETHODCALLTYPE PlayStateChange(LONG state) override;
    void STDMETHODCALLTYPE AudioLanguageChange(LONG) override {}
    void STDMETHODCALLTYPE StatusChange() override {}
    void STDMETHODCALLTYPE ScriptCommand(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE NewStream() override {}
    void STDMETHODCALLTYPE Disconnect(LONG) override {}
    void STDMETHODCALLTYPE Buffering(VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE Error() override;
    void STDMETHODCALLTYPE Warning(LONG, LONG, BSTR) override {}
    void STDMETHODCALLTYPE EndOfStream(LONG) override {}
    void STDMETHODCALLTYPE PositionChange(double, double) override {}
    void STDMETHODCALLTYPE MarkerHit(LONG) override {}
    void STDMETHODCALLTYPE DurationUnitChange(LONG) override {}
    void STDMETHODCALLTYPE CdromMediaChange(LONG) override {}
    void STDMETHODCALLTYPE PlaylistChange(IDispatch*, WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistChange(WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE MediaChange(IDispatch*) override {}
    void STDMETHODCALLTYPE CurrentMediaItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE CurrentItemChange(IDispatch* item) override;
    void STDMETHODCALLTYPE MediaCollectionChange() override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringAdded(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringRemoved(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringChanged(BSTR, BSTR, BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionChange() override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistAdded(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistRemoved(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistSetAsDeleted(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE ModeChange(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE MediaError(IDispatch*) override {}
    void STDMETHODCALLTYPE OpenPlaylistSwitch(IDispatch*) override {}
    void STDMETHODCALLTYPE DomainChange(BSTR) override {}
    void STDMETHODCALLTYPE SwitchedToPlayerApplication() override {}
    void STDMETHODCALLTYPE SwitchedToControl() override {}
    void STDMETHODCALLTYPE PlayerDockedStateChange() override {}
    void STDMETHODCALLTYPE PlayerReconnect() override {}
    void STDMETHODCALLTYPE Click(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE DoubleClick(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE KeyDown(short, short) override {}
    void STDMETHODCALLTYPE KeyPress(short) override {}
    void STDMETHODCALLTYPE KeyUp(short, short) override {}
    void STDMETHODCALLTYPE MouseDown(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE MouseMove(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE MouseUp(short, short, LONG, LONG) override {}

    // IPluginHost
    IWMPCore* Core() override { return m_core.Get(); }
    IWMPControls* Controls() override { return m_controls.Get(); }
    IWMPSettings* Settings() override { return m_settings.Get(); }
    IWMPMedia* CurrentMedia() override { return m_currentMedia.Get(); }
    double Duration() override { return m_duration; }
    CTervaneManager* DeviceManager() override { return m_deviceManager.get(); }
    CTimeLineButtonManager& TimeLine() override { return m_timeLine; }
    HWND ParentWindow() override { return m_parentWindow; }
    HWND PluginWindow() override { return m_pluginWindow; }
    bool IsMediaSetUp() override { return m_mediaSetUp; }
    void EnsureMediaSetUp() override;
    void OpenMovieOfTimeSheet(const std::string& path) override;
    const std::string& TimeSheetPath() override { return m_timeSheetPath; }
    void SetTimeSheetPath(const std::string& path) override;
    bool IsTimeSheetPathChosen() override { return m_timeSheetPathChosen; }
    void ChooseTimeSheetPath() override { m_timeSheetPathChosen = true; }
    Quorvel::Base::File::FileStamp TimeSheetStamp() override { return m_timeSheetStamp; }
    void SetTimeSheetStamp(const Quorvel::Base::File::FileStamp& stamp) override { m_timeSheetStamp = stamp; }
    SheetRead LoadTimeSheetByPath(const std::string& path) override;
    // ITimeLineHost
    bool ReadPosition(double& seconds) override { return Position(seconds); }
    std::wstring MediaName() override { return m_mediaName; }
    std::wstring TimeSheetName() override { return m_timeSheetName; }

    const std::wstring& PlayStateName() const { return m_playStateName; }
    const std::wstring& OpenStateName() const { return m_openStateName; }
    const std::wstring& MediaUrl() const { return m_mediaUrl; }
    CPluginWindow* Window() const { return m_window.get(); }

private:
    // The identity of the object when it is not aggregated, and the non-delegating
    // IUnknown an aggregating outer object holds.
    class CInnerUnknown : public IUnknown {
    public:
        explicit CInnerUnknown(CTervanePlugin& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        CTervanePlugin& m_owner;
    };

    explicit CTervanePlugin(IUnknown* outer);
    virtual ~CTervanePlugin();
    CTervanePlugin(const CTervanePlugin&) = delete;
    CTervanePlugin& operator=(const CTervanePlugin&) = delete;

    void Unadvise();
    HRESULT Advise();
    // The player's controls and settings for the window; false (and neither kept) when the
    // core refuses either.
    bool TakeControlsAndSettings();
    void DestroyWindowObject();
    // Name, source address and duration of the medium, into the time line too; false when
    // there is none.
    bool ReadMedium(IWMPMedia* media);
    // The current medium read, the device found and armed, the window told.
    void SetUpMedium();
    void ShowPlayerStateToWindow();
    bool IsCurrentMovie(const std::wstring& url);
    void SendToWindow(UINT message);
    // The player's own auto-start, as it was before the plug-in opened a movie without it.
    void RestoreAutoStart();
    // A movie just opened: the sheet beside it with its name loads, unless the sheet loaded is
    // already its own or holds unsaved changes (then the time box says it is there).
    void LoadSheetOfMovie();
    // A sheet plays only against its own movie: the device rests while another one is open.
    void CheckSheetAgainstMovie();
    void NoteToWindow(const std::wstring& text);

    Module::CLock m_moduleLock;
    CInnerUnknown m_inner;
    IUnknown* m_outer;
    ULONG m_references = 0;

    CComRef<IWMPCore> m_core;
    CComRef<IWMPControls> m_controls;
    CComRef<IWMPSettings> m_settings;
    CComRef<IWMPMedia> m_currentMedia;
    CComRef<IConnectionPoint> m_connectionPoint;
    DWORD m_adviseCookie = 0;
    std::unique_ptr<CPluginWindow> m_window;
    std::wstring m_mediaName = L"not filename";
    std::wstring m_mediaUrl;
    std::wstring m_timeSheetName = L"not filename";
    std::string m_timeSheetPath;
    // The path was loaded, saved or deleted-all in this session: the settings file takes it.
    bool m_timeSheetPathChosen = false;
    Quorvel::Base::File::FileStamp m_timeSheetStamp;
    HWND m_parentWindow = nullptr;
    HWND m_pluginWindow = nullptr;
    std::wstring m_playStateName = L"Stop";
    std::wstring m_openStateName = L"NoOpen";
    double m_duration = 0.0;
    // The sheet outlives both who follow it.
    CSheetDocument m_sheet;
    std::unique_ptr<CTervaneManager> m_deviceManager;
    CTimeLineButtonManager m_timeLine{m_sheet};
    bool m_mediaSetUp = false;
    // A movie opened without starting it: the player's auto-start goes back once it opened.
    bool m_autoStartHeld = false;
    bool m_autoStartOpened = false;
    VARIANT_BOOL m_autoStart = VARIANT_TRUE;
};
