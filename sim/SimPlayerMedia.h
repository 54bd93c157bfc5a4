#pragma once
// The simulated player's medium (its address, title and duration) and its error queue,
// which always holds the one error of a file whose format is not supported.
#include <string>

#include "sim/SimPlayer.h"
#include "sim/SimPlayerFaces.h"

class CSimPlayer::CMedia : public SimPlayerFaces::CDispatchFace<IWMPMedia> {
public:
    CMedia(std::wstring url, double duration, const Faults& faults)
        : m_url(std::move(url)), m_name(SimPlayerFaces::TitleOf(m_url)), m_duration(duration), m_faults(faults)
    {
    }
    // Media outlive the player's interest in them while the plug-in holds one.
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG count = --m_count;
        if (count == 0)
            delete this;
        return static_cast<ULONG>(count);
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return SimPlayerFaces::Answer(this, riid, __uuidof(IWMPMedia), object);
    }
    STDMETHODIMP get_isIdentical(IWMPMedia* other, VARIANT_BOOL* same) override
    {
        if (same == nullptr)
            return E_POINTER;
        *same = other == this ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_sourceURL(BSTR* url) override { return SimPlayerFaces::Text(m_url, url); }
    STDMETHODIMP get_name(BSTR* name) override { return SimPlayerFaces::Text(m_name, name); }
    STDMETHODIMP put_name(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_imageSourceWidth(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP get_imageSourceHeight(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP get_markerCount(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP getMarkerTime(LONG, double*) override { return E_NOTIMPL; }
    STDMETHODIMP getMarkerName(LONG, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_duration(double* duration) override
    {
        if (duration == nullptr)
            return E_POINTER;
        if (m_faults.noDuration)
            return E_NOTIMPL;
        *duration = m_duration;
        return S_OK;
    }
    STDMETHODIMP get_durationString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_attributeCount(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP getAttributeName(LONG, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP getItemInfo(BSTR, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP setItemInfo(BSTR, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP getItemInfoByAtom(LONG, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP isMemberOf(IWMPPlaylist*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP isReadOnlyItem(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }

private:
    virtual ~CMedia() = default;

    std::wstring m_url;
    std::wstring m_name;
    double m_duration;
    const Faults& m_faults;
};

namespace SimPlayerFaces {

class CErrorItem : public SimPlayerFaces::CDispatchFace<IWMPErrorItem> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return SimPlayerFaces::Answer(this, riid, __uuidof(IWMPErrorItem), object);
    }
    STDMETHODIMP get_errorCode(LONG* code) override
    {
        if (code == nullptr)
            return E_POINTER;
        *code = static_cast<LONG>(0xC00D1197); // the file's format is not supported
        return S_OK;
    }
    STDMETHODIMP get_errorDescription(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_errorContext(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_remedy(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP get_customUrl(BSTR*) override { return E_NOTIMPL; }
};

} // namespace SimPlayerFaces

class CSimPlayer::CErrors : public SimPlayerFaces::CDispatchFace<IWMPError> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return SimPlayerFaces::Answer(this, riid, __uuidof(IWMPError), object);
    }
    STDMETHODIMP clearErrorQueue() override { return S_OK; }
    STDMETHODIMP get_errorCount(LONG* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP get_Item(LONG index, IWMPErrorItem** item) override
    {
        if (item == nullptr)
            return E_POINTER;
        *item = nullptr;
        if (index != 0)
            return E_INVALIDARG;
        *item = &m_item;
        m_item.AddRef();
        return S_OK;
    }
    STDMETHODIMP webHelp() override { return E_NOTIMPL; }
    LONG References() const { return Count() + m_item.Count(); }

private:
    SimPlayerFaces::CErrorItem m_item;
};
