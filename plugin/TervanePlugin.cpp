#include "plugin/TervanePlugin.h"

#include <new>

#include <shellapi.h>

#include "base/file/FilePath.h"
#include "base/text/CodePage.h"
#include "device/HidSystem.h"
#include "device/TervaneManager.h"
#include "editor/PluginMessages.h"
#include "editor/PluginWindow.h"

using Quorvel::Base::File::ExtensionOfPath;
using Quorvel::Base::File::FileNameOfPath;
using Quorvel::Base::File::IsExistingFile;
using Quorvel::Base::Text::ToNarrow;
using Quorvel::Base::Text::ToWide;

namespace {

const wchar_t* const kPlayStateNames[] = {
    L"Undefined", L"Stoped", L"Paused",      L"Playing", L"Forward",      L"Reverse", L"Buffering",
    L"Waiting",   L"Ended",  L"Transitioning", L"Ready", L"Reconnecting", L"Last",
};

// Open states 13 to 19 record no name.
const wchar_t* const kOpenStateNames[] = {
    L"Undefined",       L"PlaylistChanging", L"PlaylistLocating", L"PlaylistConnecting",  L"PlaylistLoading",
    L"PlaylistOpening", L"PlaylistOpenNoMedia", L"PlaylistChanged", L"MediaChanging",     L"MediaLocating",
    L"MediaConnecting", L"MediaLoading",     L"MediaOpening",
};

constexpr LONG kDefaultWidth = 430;
constexpr LONG kDefaultHeight = 390;
constexpr int kNormalClientWidth = 500;
constexpr int kNormalClientHeight = 600;

} // namespace

HRESULT CTervanePlugin::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && riid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    CTervanePlugin* plugin = new (std::nothrow) CTervanePlugin(outer);
    if (plugin == nullptr)
        return E_OUTOFMEMORY;
    // The creation reference is the inner one; the caller's comes from the query.
    plugin->m_inner.AddRef();
    const HRESULT result = plugin->m_inner.QueryInterface(riid, object);
    plugin->m_inner.Release();
    return result;
}

CTervanePlugin::CTervanePlugin(IUnknown* outer) : m_inner(*this), m_outer(outer != nullptr ? outer : &m_inner) {}

CTervanePlugin::~CTervanePlugin()
{
    DestroyWindowObject();
    m_deviceManager.reset();
    Unadvise();
    m_core.Reset();
}

STDMETHODIMP CTervanePlugin::CInnerUnknown::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown)
        *object = static_cast<IUnknown*>(this);
    else if (riid == __uuidof(IWMPEvents))
        *object = static_cast<IWMPEvents*>(&m_owner);
    else if (riid == __uuidof(IWMPPluginUI))
        *object = static_cast<IWMPPluginUI*>(&m_owner);
    else
        return E_NOINTERFACE;
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CTervanePlugin::CInnerUnknown::AddRef()
{
    return ++m_owner.m_references;
}

STDMETHODIMP_(ULONG) CTervanePlugin::CInnerUnknown::Release()
{
    const ULONG count = --m_owner.m_references;
    if (count == 0)
        delete &m_owner;
    return count;
}

STDMETHODIMP CTervanePlugin::QueryInterface(REFIID riid, void** object)
{
    return m_outer->QueryInterface(riid, object);
}

STDMETHODIMP_(ULONG) CTervanePlugin::AddRef()
{
    return m_outer->AddRef();
}

STDMETHODIMP_(ULONG) CTervanePlugin::Release()
{
    return m_outer->Release();
}

// --- IWMPPluginUI ---

void CTervanePlugin::Unadvise()
{
    if (m_connectionPoint) {
        if (m_adviseCookie != 0)
            m_connectionPoint->Unadvise(m_adviseCookie);
        m_adviseCookie = 0;
        m_connectionPoint.Reset();
    }
}

STDMETHODIMP CTervanePlugin::SetCore(IWMPCore* core)
{
    Unadvise();
    // Nothing of the previous player is kept: a tick after the binding ended acts as with
    // no player at all.
    m_controls.Reset();
    m_settings.Reset();
    m_currentMedia.Reset();
    m_core.Reset();
    m_mediaSetUp = false;
    if (core == nullptr)
        return S_OK;
    core->AddRef();
    *m_core.Out() = core;
    const HRESULT result = Advise();
    // A window made under the previous binding takes its player objects from this one.
    if (m_window)
        TakeControlsAndSettings();
    return result;
}

HRESULT CTervanePlugin::Advise()
{
    CComRef<IConnectionPointContainer> container;
    HRESULT result = m_core.QueryInto(container);
    if (FAILED(result))
        return result;
    result = container->FindConnectionPoint(__uuidof(IWMPEvents), m_connectionPoint.Out());
    if (FAILED(result) || !m_connectionPoint) {
        m_connectionPoint.Reset();
        return FAILED(result) ? result : E_FAIL;
    }
    result = m_connectionPoint->Advise(static_cast<IWMPEvents*>(this), &m_adviseCookie);
    if (FAILED(result) || m_adviseCookie == 0) {
        m_adviseCookie = 0;
        m_connectionPoint.Reset();
    }
    return result;
}

bool CTervanePlugin::TakeControlsAndSettings()
{
    m_controls.Reset();
    m_settings.Reset();
    if (m_core && SUCCEEDED(m_core->get_controls(m_controls.Out())) && m_controls &&
        SUCCEEDED(m_core->get_settings(m_settings.Out())) && m_settings)
        return true;
    m_controls.Reset();
    m_settings.Reset();
    return false;
}

void CTervanePlugin::DestroyWindowObject()
{
    if (!m_window)
        return;
    if (m_pluginWindow != nullptr && IsWindow(m_pluginWindow))
        DestroyWindow(m_pluginWindow);
    m_window.reset();
    m_pluginWindow = nullptr;
}

STDMETHODIMP CTervanePlugin::Create(HWND parent, HWND* window)
{
    if (window == nullptr)
        return E_UNEXPECTED;
    *window = nullptr;
    if (!m_deviceManager) {
        m_deviceManager.reset(new (std::nothrow) CTervaneManager(BoundHidSystem()));
        if (!m_deviceManager)
            return E_FAIL;
    }
    DestroyWindowObject();
    m_window.reset(new (std::nothrow) CPluginWindow(*this));
    if (!m_window)
        return E_OUTOFMEMORY;
    const HWND created = m_window->Create(parent, Module::Instance());
    if (created == nullptr) {
        m_window.reset();
        return E_FAIL;
    }
    if (!TakeControlsAndSettings()) {
        m_pluginWindow = created;
        DestroyWindowObject();
        return E_FAIL;
    }
    *window = created;
    m_parentWindow = parent;
    m_pluginWindow = created;

    // The player's container loses its sizing border and takes the normal editor size.
    if (parent != nullptr) {
        SetWindowLongPtrW(parent, GWL_STYLE, GetWindowLongPtrW(parent, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_THICKFRAME));
        SetWindowPos(parent, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        ResizeClientArea(parent, kNormalClientWidth, kNormalClientHeight);
    }
    DragAcceptFiles(created, TRUE);
    SetTimer(created, 1, 100, nullptr);
    SetFocus(created);
    ShowPlayerStateToWindow();
    return S_OK;
}

// A window made while the player has a medium open (a window closed and made again, or a
// plug-in started after the player opened its movie) comes up in the player's state: the
// messages it would have had when the medium opened reach its controls, and no movie is
// opened again.
void CTervanePlugin::ShowPlayerStateToWindow()
{
    if (!m_core || !m_deviceManager)
        return;
    CComRef<IWMPMedia> media;
    if (FAILED(m_core->get_currentMedia(media.Out())) || !media)
        return;
    m_currentMedia = std::move(media);
    SetUpMedium();
    SendToWindow(WM_PLUGIN_READY);
    const LONG state = PlayState();
    if (state == kPlayStopped)
        SendToWindow(WM_PLUGIN_STOPPED);
    else if (state == kPlayPaused)
        SendToWindow(WM_PLUGIN_PAUSED);
    else if (state == kPlayPlaying)
        SendToWindow(WM_PLUGIN_PLAYING);
}

STDMETHODIMP CTervanePlugin::Destroy()
{
    if (!m_window)
        return E_UNEXPECTED;
    DestroyWindowObject();
    return S_OK;
}

STDMETHODIMP CTervanePlugin::DisplayPropertyPage(HWND)
{
    return E_NOTIMPL;
}

STDMETHODIMP CTervanePlugin::GetProperty(const WCHAR* name, VARIANT* value)
{
    if (value == nullptr)
        return E_POINTER;
    if (name == nullptr)
        return E_NOTIMPL;
    LONG number = 0;
    if (lstrcmpiW(name, L"DefaultWidth") == 0)
        number = kDefaultWidth;
    else if (lstrcmpiW(name, L"DefaultHeight") == 0)
        number = kDefaultHeight;
    else
        return E_NOTIMPL;
    VariantInit(value);
    value->vt = VT_I4;
    value->lVal = number;
    return S_OK;
}

STDMETHODIMP CTervanePlugin::SetProperty(const WCHAR*, const VARIANT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CTervanePlugin::TranslateAccelerator(LPMSG message)
{
    if (message == nullptr)
        return E_POINTER;
    if (!m_window)
        return E_UNEXPECTED;
    return S_OK;
}

// --- IWMPEvents ---

void CTervanePlugin::SendToWindow(UINT message)
{
    if (m_window && m_pluginWindow != nullptr && IsWindow(m_pluginWindow))
        SendMessageW(m_pluginWindow, message, 0, 0);
}

bool CTervanePlugin::ReadMedium(IWMPMedia* media)
{
    if (media == nullptr)
        return false;
    CBstr name;
    if (SUCCEEDED(media->get_name(name.Out())))
        m_mediaName = name.Text();
    CBstr url;
    if (SUCCEEDED(media->get_sourceURL(url.Out()))) {
        m_mediaUrl = url.Text();
        std::string path;
        if (ToNarrow(CP_THREAD_ACP, m_mediaUrl, path))
            m_timeLine.SetMoviePath(path);
    }
    double duration = 0.0;
    if (FAILED(media->get_duration(&duration)) || !(duration >= 0.0))
        duration = 0.0;
    m_duration = duration;
    // Previous and next point look at the length of the movie: every way a medium is taken
    // up gives it to the time line.
    m_timeLine.SetDuration(duration);
    return true;
}

void CTervanePlugin::SetUpMedium()
{
    ReadMedium(m_currentMedia.Get());
    ConnectAndStart();
    SendToWindow(WM_PLUGIN_MEDIAOPEN);
    m_mediaSetUp = true;
}

void CTervanePlugin::ConnectAndStart()
{
    if (!m_deviceManager)
        return;
    m_deviceManager->Device().Connect();
    if (m_deviceManager->Device().HasHandle())
        m_deviceManager->Start();
}

void CTervanePlugin::OpenStateChange(LONG state)
{
    if (state >= 0 && state < static_cast<LONG>(sizeof kOpenStateNames / sizeof kOpenStateNames[0]))
        m_openStateName = kOpenStateNames[state];
    else if (state == 20)
        m_openStateName = L"MediaWaiting";
    if (state != kOpenMediaOpen)
        return;
    // The media set-up waits for the device manager; the timer runs it once that exists.
    if (!m_deviceManager)
        return;
    if (m_core) {
        m_currentMedia.Reset();
        m_core->get_currentMedia(m_currentMedia.Out());
    }
    SetUpMedium();
}

void CTervanePlugin::PlayStateChange(LONG state)
{
    if (state < 0 || state > kPlayLast)
        return;
    m_playStateName = kPlayStateNames[state];
    CTervaneManager* manager = m_deviceManager.get();
    switch (state) {
    case kPlayStopped:
        SendToWindow(WM_PLUGIN_STOPPED);
        if (manager != nullptr) {
            if (manager->IsPreviewing())
                manager->SetStopPending();
            else
                manager->Device().Stop();
        }
        break;
    case kPlayPaused:
        SendToWindow(WM_PLUGIN_PAUSED);
        if (manager != nullptr && !manager->Device().IsPaused() && !manager->IsPreviewing())
            manager->Device().Pause();
        EnsureMediaSetUp();
        break;
    case kPlayPlaying:
        SendToWindow(WM_PLUGIN_PLAYING);
        if (manager != nullptr && manager->Device().IsPaused() && !manager->IsPreviewing())
            manager->Device().Resume();
        EnsureMediaSetUp();
        break;
    case kPlayReady:
        SendToWindow(WM_PLUGIN_READY);
        if (m_window && m_pluginWindow != nullptr)
            SetWindowPos(m_pluginWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        break;
    default:
        break;
    }
}

void CTervanePlugin::CurrentItemChange(IDispatch* item)
{
    if (item == nullptr)
        return;
    CComRef<IWMPMedia> media;
    if (FAILED(item->QueryInterface(__uuidof(IWMPMedia), media.OutVoid())) || !media)
        return;
    m_currentMedia = std::move(media);
    ReadMedium(m_currentMedia.Get());
    ConnectAndStart();
    SendToWindow(WM_PLUGIN_MEDIAOPEN);
}

void CTervanePlugin::Error()
{
    if (!m_core)
        return;
    CComRef<IWMPError> errors;
    if (FAILED(m_core->get_Error(errors.Out())) || !errors)
        return;
    CComRef<IWMPErrorItem> first;
    if (FAILED(errors->get_Item(0, first.Out())) || !first)
        return;
    LONG code = 0;
    first->get_errorCode(&code);
}

// --- operations for the editor ---

void CTervanePlugin::EnsureMediaSetUp()
{
    if (m_mediaSetUp || !m_deviceManager)
        return;
    if (m_core) {
        CComRef<IWMPMedia> media;
        if (SUCCEEDED(m_core->get_currentMedia(media.Out())) && media)
            m_currentMedia = std::move(media);
    }
    SetUpMedium();
}

bool CTervanePlugin::IsCurrentMovie(const std::wstring& url)
{
    CComRef<IWMPMedia> media;
    if (!m_core || FAILED(m_core->get_currentMedia(media.Out())) || !media)
        return false;
    CBstr current;
    return SUCCEEDED(media->get_sourceURL(current.Out())) && lstrcmpiW(current.Text().c_str(), url.c_str()) == 0;
}

void CTervanePlugin::OpenMovieOfTimeSheet(const std::string& path)
{
    if (ExtensionOfPath(path).empty() || !IsExistingFile(path))
        return;
    m_timeLine.SetMoviePath(path);
    std::wstring url;
    // The movie already open is left playing where it is: opening it again starts it over.
    if (m_core && ToWide(CP_THREAD_ACP, path, url) && !IsCurrentMovie(url)) {
        CBstr bstr(url);
        m_core->put_URL(bstr.Get());
    }
}

SheetRead CTervanePlugin::LoadTimeSheetByPath(const std::string& path)
{
    if (!m_deviceManager || path.empty())
        return SheetRead::kUnreadable;
    // Both sides read the file before either changes: a file that one of them cannot take
    // leaves the device and the graph on the sheet they had.
    CTimeSheetFileContent content;
    const SheetRead read = m_timeLine.ReadTimeSheetFile(path.c_str(), content);
    if (read != SheetRead::kRead)
        return read;
    if (!m_deviceManager->LoadSheet(path.c_str(), true))
        return SheetRead::kUnreadable;
    m_timeLine.AdoptTimeSheet(content);
    OpenMovieOfTimeSheet(m_timeLine.HeaderLine(0));
    m_timeSheetPath = path;
    std::wstring name;
    if (ToWide(CP_THREAD_ACP, FileNameOfPath(path), name))
        m_timeSheetName = name;
    m_deviceManager->Start();
    return SheetRead::kRead;
}
