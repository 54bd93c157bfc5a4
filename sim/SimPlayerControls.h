#pragma once
// The simulated player's transport controls and settings faces: what the plug-in calls on
// them goes to the player, whose events wait for the next delivery.
#include "sim/SimPlayer.h"
#include "sim/SimPlayerFaces.h"
#include "sim/SimPlayerMedia.h"

class CSimPlayer::CControls : public SimPlayerFaces::CDispatchFace<IWMPControls> {
public:
    explicit CControls(CSimPlayer& player) : m_player(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return SimPlayerFaces::Answer(this, riid, __uuidof(IWMPControls), object);
    }
    STDMETHODIMP get_isAvailable(BSTR, VARIANT_BOOL* available) override
    {
        if (available == nullptr)
            return E_POINTER;
        *available = m_player.HasMedium() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP play() override
    {
        m_player.Later([this] { m_player.PlayNow(); });
        return S_OK;
    }
    STDMETHODIMP stop() override
    {
        m_player.Later([this] { m_player.StopNow(); });
        return S_OK;
    }
    STDMETHODIMP pause() override
    {
        m_player.Later([this] { m_player.PauseNow(); });
        return S_OK;
    }
    STDMETHODIMP fastForward() override
    {
        m_player.Later([this] { m_player.ScanNow(4); });
        return S_OK;
    }
    STDMETHODIMP fastReverse() override
    {
        m_player.Later([this] { m_player.ScanNow(5); });
        return S_OK;
    }
    STDMETHODIMP get_currentPosition(double* position) override
    {
        if (position == nullptr)
            return E_POINTER;
        if (m_player.m_faults.positionFails)
            return E_FAIL;
        *position = m_player.Position();
        return S_OK;
    }
    STDMETHODIMP put_currentPosition(double position) override
    {
        if (!m_player.HasMedium())
            return E_FAIL;
        m_player.Seek(position);
        return S_OK;
    }
    STDMETHODIMP get_currentPositionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP next() override { return E_NOTIMPL; }
    STDMETHODIMP previous() override { return E_NOTIMPL; }
    STDMETHODIMP currentItem(IWMPMedia** media) override
    {
        if (media == nullptr)
            return E_POINTER;
        *media = m_player.m_media;
        if (*media != nullptr)
            (*media)->AddRef();
        return *media != nullptr ? S_OK : S_FALSE;
    }
    STDMETHODIMP put_currentItem(IWMPMedia*) override { return E_NOTIMPL; }
    STDMETHODIMP get_currentMarker(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_currentMarker(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP playItem(IWMPMedia*) override { return E_NOTIMPL; }

private:
    CSimPlayer& m_player;
};

class CSimPlayer::CSettings : public SimPlayerFaces::CDispatchFace<IWMPSettings> {
public:
    explicit CSettings(CSimPlayer& player) : m_player(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return SimPlayerFaces::Answer(this, riid, __uuidof(IWMPSettings), object);
    }
    STDMETHODIMP get_isAvailable(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_autoStart(VARIANT_BOOL* start) override
    {
        if (start == nullptr)
            return E_POINTER;
        *start = m_player.m_autoStart ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_autoStart(VARIANT_BOOL start) override
    {
        m_player.m_autoStart = start != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_baseURL(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_baseURL(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_defaultFrame(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_defaultFrame(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_invokeURLs(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_invokeURLs(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_mute(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_mute(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_playCount(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_playCount(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_rate(double* rate) override
    {
        if (rate == nullptr)
            return E_POINTER;
        *rate = m_player.Rate();
        return S_OK;
    }
    STDMETHODIMP put_rate(double rate) override
    {
        if (!(rate > 0.0) || rate > 100.0)
            return E_INVALIDARG;
        m_player.SetRate(rate);
        return S_OK;
    }
    STDMETHODIMP get_balance(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_balance(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_volume(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_volume(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP getMode(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP setMode(BSTR, VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_enableErrorDialogs(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_enableErrorDialogs(VARIANT_BOOL) override { return E_NOTIMPL; }

private:
    CSimPlayer& m_player;
};
