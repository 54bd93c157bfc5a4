#pragma once
// The simulated player's core and the connection point its event sinks advise on.
#include <olectl.h>

#include "sim/SimPlayer.h"
#include "sim/SimPlayerControls.h"
#include "sim/SimPlayerFaces.h"
#include "sim/SimPlayerMedia.h"

class CSimPlayer::CEventPoint : public SimPlayerFaces::CCounted<IConnectionPoint> {
public:
    explicit CEventPoint(CSimPlayer& player) : m_player(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IConnectionPoint)
            return E_NOINTERFACE;
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        if (iid == nullptr)
            return E_POINTER;
        *iid = __uuidof(IWMPEvents);
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (sink == nullptr || cookie == nullptr)
            return E_POINTER;
        *cookie = 0;
        IWMPEvents* events = nullptr;
        if (FAILED(sink->QueryInterface(__uuidof(IWMPEvents), reinterpret_cast<void**>(&events))) || !events)
            return CONNECT_E_CANNOTCONNECT;
        *cookie = m_player.m_nextCookie++;
        m_player.m_sinks.emplace_back(*cookie, events);
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        auto& sinks = m_player.m_sinks;
        for (auto it = sinks.begin(); it != sinks.end(); ++it) {
            if (it->first == cookie) {
                IWMPEvents* events = it->second;
                sinks.erase(it);
                events->Release();
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    CSimPlayer& m_player;
};

class CSimPlayer::CCore : public SimPlayerFaces::CDispatchFace<IWMPCore>, public IConnectionPointContainer {
public:
    explicit CCore(CSimPlayer& player) : m_player(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IConnectionPointContainer) {
            *object = static_cast<IConnectionPointContainer*>(this);
            AddRef();
            return S_OK;
        }
        return SimPlayerFaces::Answer(static_cast<SimPlayerFaces::CDispatchFace<IWMPCore>*>(this), riid, __uuidof(IWMPCore), object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return SimPlayerFaces::CDispatchFace<IWMPCore>::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return SimPlayerFaces::CDispatchFace<IWMPCore>::Release(); }

    STDMETHODIMP close() override { return S_OK; }
    STDMETHODIMP get_URL(BSTR* url) override { return SimPlayerFaces::Text(m_player.m_url, url); }
    STDMETHODIMP put_URL(BSTR url) override
    {
        const std::wstring address = url != nullptr ? std::wstring(url, SysStringLen(url)) : std::wstring();
        const double duration = m_player.m_defaultDuration;
        // As the real player, it starts what it opens unless auto-start was off when asked.
        const bool start = m_player.m_autoStart;
        m_player.Later([this, address, duration, start] {
            m_player.OpenNow(address, duration);
            if (start) {
                m_player.Say("player starts what it opened (auto-start)");
                m_player.PlayNow();
            }
        });
        return S_OK;
    }
    STDMETHODIMP get_openState(WMPOpenState* state) override
    {
        if (state == nullptr)
            return E_POINTER;
        *state = static_cast<WMPOpenState>(m_player.m_openState);
        return S_OK;
    }
    STDMETHODIMP get_playState(WMPPlayState* state) override
    {
        if (state == nullptr)
            return E_POINTER;
        if (m_player.m_faults.playStateFails)
            return E_FAIL;
        *state = static_cast<WMPPlayState>(m_player.m_state);
        return S_OK;
    }
    STDMETHODIMP get_controls(IWMPControls** controls) override
    {
        if (controls == nullptr)
            return E_POINTER;
        *controls = nullptr;
        if (m_player.m_faults.controlsFail)
            return E_NOINTERFACE;
        *controls = m_player.m_controls.get();
        (*controls)->AddRef();
        return S_OK;
    }
    STDMETHODIMP get_settings(IWMPSettings** settings) override
    {
        if (settings == nullptr)
            return E_POINTER;
        *settings = m_player.m_settings.get();
        (*settings)->AddRef();
        return S_OK;
    }
    STDMETHODIMP get_currentMedia(IWMPMedia** media) override
    {
        if (media == nullptr)
            return E_POINTER;
        *media = m_player.m_media;
        if (*media == nullptr)
            return S_FALSE;
        (*media)->AddRef();
        return S_OK;
    }
    STDMETHODIMP put_currentMedia(IWMPMedia*) override { return E_NOTIMPL; }
    STDMETHODIMP get_mediaCollection(IWMPMediaCollection**) override { return E_NOTIMPL; }
    STDMETHODIMP get_playlistCollection(IWMPPlaylistCollection**) override { return E_NOTIMPL; }
    STDMETHODIMP get_versionInfo(BSTR* version) override { return SimPlayerFaces::Text(L"12.0.0.0", version); }
    STDMETHODIMP launchURL(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_network(IWMPNetwork**) override { return E_NOTIMPL; }
    STDMETHODIMP get_currentPlaylist(IWMPPlaylist**) override { return E_NOTIMPL; }
    STDMETHODIMP put_currentPlaylist(IWMPPlaylist*) override { return E_NOTIMPL; }
    STDMETHODIMP get_cdromCollection(IWMPCdromCollection**) override { return E_NOTIMPL; }
    STDMETHODIMP get_closedCaption(IWMPClosedCaption**) override { return E_NOTIMPL; }
    STDMETHODIMP get_isOnline(VARIANT_BOOL* online) override
    {
        if (online == nullptr)
            return E_POINTER;
        *online = VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_Error(IWMPError** errors) override
    {
        if (errors == nullptr)
            return E_POINTER;
        *errors = m_player.m_errors.get();
        (*errors)->AddRef();
        return S_OK;
    }
    STDMETHODIMP get_status(BSTR* status) override { return SimPlayerFaces::Text(L"", status); }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        if (point == nullptr)
            return E_POINTER;
        *point = nullptr;
        if (riid != __uuidof(IWMPEvents) || m_player.m_faults.noEventPoint)
            return CONNECT_E_NOCONNECTION;
        *point = m_player.m_eventPoint.get();
        (*point)->AddRef();
        return S_OK;
    }

private:
    CSimPlayer& m_player;
};

inline STDMETHODIMP CSimPlayer::CEventPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (container == nullptr)
        return E_POINTER;
    *container = m_player.m_core.get();
    (*container)->AddRef();
    return S_OK;
}
