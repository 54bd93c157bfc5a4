#include "plugin/TervanePlugin.h"

#include <new>

#include <shellapi.h>

#include "device/HidSystem.h"
#include "device/TervaneManager.h"
#include "editor/PluginMessages.h"
#include "editor/PluginWindow.h"

namespace {

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
    RestoreAutoStart();
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
    // The player's own setting goes back to it before the binding ends.
    RestoreAutoStart();
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
        m_deviceManager->Follow(&m_sheet);
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
