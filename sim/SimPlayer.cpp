#include "sim/SimPlayer.h"

#include <cstdio>

#include "base/ComRef.h"
#include "base/text/CodePage.h"

#include <olectl.h>

namespace {

constexpr UINT kDeliverMessage = WM_APP + 1;
constexpr double kScanRate = 5.0;

// The player owns its faces; their references are only counted, so a holder that forgets
// one shows up in OutstandingReferences instead of keeping the player alive.
template <class I>
class CCounted : public I {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_count); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_count); }
    LONG Count() const { return m_count; }

protected:
    LONG m_count = 0;
};

template <class I>
class CDispatchFace : public CCounted<I> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

template <class Face>
HRESULT Answer(Face* face, REFIID riid, REFIID own, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != own)
        return E_NOINTERFACE;
    *object = face;
    face->AddRef();
    return S_OK;
}

HRESULT Text(const std::wstring& text, BSTR* out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr || text.empty() ? S_OK : E_OUTOFMEMORY;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    Quorvel::Base::Text::ToNarrow(CP_THREAD_ACP, text, narrow);
    return narrow;
}

// The title a player shows for an address: its file name without the extension.
std::wstring TitleOf(const std::wstring& url)
{
    const size_t slash = url.find_last_of(L"\\/:");
    std::wstring name = slash == std::wstring::npos ? url : url.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDeliverMessage) {
        reinterpret_cast<CSimPlayer*>(lParam)->Deliver();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

// --- the faces ---

class CSimPlayer::CMedia : public CDispatchFace<IWMPMedia> {
public:
    CMedia(std::wstring url, double duration, const Faults& faults)
        : m_url(std::move(url)), m_name(TitleOf(m_url)), m_duration(duration), m_faults(faults)
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
        return Answer(this, riid, __uuidof(IWMPMedia), object);
    }
    STDMETHODIMP get_isIdentical(IWMPMedia* other, VARIANT_BOOL* same) override
    {
        if (same == nullptr)
            return E_POINTER;
        *same = other == this ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_sourceURL(BSTR* url) override { return Text(m_url, url); }
    STDMETHODIMP get_name(BSTR* name) override { return Text(m_name, name); }
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

namespace {

class CErrorItem : public CDispatchFace<IWMPErrorItem> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return Answer(this, riid, __uuidof(IWMPErrorItem), object);
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

} // namespace

class CSimPlayer::CErrors : public CDispatchFace<IWMPError> {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return Answer(this, riid, __uuidof(IWMPError), object);
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
    CErrorItem m_item;
};

class CSimPlayer::CControls : public CDispatchFace<IWMPControls> {
public:
    explicit CControls(CSimPlayer& player) : m_player(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return Answer(this, riid, __uuidof(IWMPControls), object);
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

class CSimPlayer::CSettings : public CDispatchFace<IWMPSettings> {
public:
    explicit CSettings(CSimPlayer& player) : m_player(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override
    {
        return Answer(this, riid, __uuidof(IWMPSettings), object);
    }
    STDMETHODIMP get_isAvailable(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_autoStart(VARIANT_BOOL* start) override
    {
        if (start == nullptr)
            return E_POINTER;
        *start = VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_autoStart(VARIANT_BOOL) override { return S_OK; }
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

class CSimPlayer::CEventPoint : public CCounted<IConnectionPoint> {
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

class CSimPlayer::CCore : public CDispatchFace<IWMPCore>, public IConnectionPointContainer {
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
        return Answer(static_cast<CDispatchFace<IWMPCore>*>(this), riid, __uuidof(IWMPCore), object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return CDispatchFace<IWMPCore>::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CDispatchFace<IWMPCore>::Release(); }

    STDMETHODIMP close() override { return S_OK; }
    STDMETHODIMP get_URL(BSTR* url) override { return Text(m_player.m_url, url); }
    STDMETHODIMP put_URL(BSTR url) override
    {
        const std::wstring address = url != nullptr ? std::wstring(url, SysStringLen(url)) : std::wstring();
        const double duration = m_player.m_defaultDuration;
        m_player.Later([this, address, duration] { m_player.OpenNow(address, duration); });
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
    STDMETHODIMP get_versionInfo(BSTR* version) override { return Text(L"12.0.0.0", version); }
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
    STDMETHODIMP get_status(BSTR* status) override { return Text(L"", status); }

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

STDMETHODIMP CSimPlayer::CEventPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (container == nullptr)
        return E_POINTER;
    *container = m_player.m_core.get();
    (*container)->AddRef();
    return S_OK;
}

// --- the player ---

CSimPlayer::CSimPlayer()
    : m_core(new CCore(*this)),
      m_controls(new CControls(*this)),
      m_settings(new CSettings(*this)),
      m_errors(new CErrors),
      m_eventPoint(new CEventPoint(*this))
{
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = MessageWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TervaneSimPlayer";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (registered)
        m_messageWindow = CreateWindowExW(0, L"TervaneSimPlayer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
}

CSimPlayer::~CSimPlayer()
{
    for (auto& sink : m_sinks)
        sink.second->Release();
    m_sinks.clear();
    if (m_media != nullptr)
        m_media->Release();
    if (m_messageWindow != nullptr)
        DestroyWindow(m_messageWindow);
}

IWMPCore* CSimPlayer::Core()
{
    return m_core.get();
}

LONG CSimPlayer::OutstandingReferences() const
{
    return m_core->Count() + m_controls->Count() + m_settings->Count() + m_errors->References() +
           m_eventPoint->Count();
}

void CSimPlayer::Say(const std::string& what)
{
    if (!m_narrator)
        return;
    char at[32];
    std::snprintf(at, sizeof at, " t=%.3f", Position());
    m_narrator(what + at);
}

double CSimPlayer::Position() const
{
    if (m_state == 3)
        return m_base + m_ticks * m_rate / 10;
    if (m_state == 4 || m_state == 5) {
        const double at = m_base + m_ticks * (m_state == 4 ? kScanRate : -kScanRate) / 10;
        return at < 0.0 ? 0.0 : at;
    }
    return m_base;
}

void CSimPlayer::Rebase(double position)
{
    m_base = position;
    m_ticks = 0;
}

void CSimPlayer::Later(std::function<void()> raise)
{
    m_waiting.push_back(std::move(raise));
    if (m_messageWindow != nullptr)
        PostMessageW(m_messageWindow, kDeliverMessage, 0, reinterpret_cast<LPARAM>(this));
}

void CSimPlayer::Deliver()
{
    while (!m_waiting.empty()) {
        std::function<void()> raise = std::move(m_waiting.front());
        m_waiting.pop_front();
        raise();
    }
}

void CSimPlayer::RaiseOpenState(LONG state)
{
    m_openState = state;
    // A sink may unadvise while it is told: walk a copy.
    const auto sinks = m_sinks;
    for (const auto& sink : sinks)
        sink.second->OpenStateChange(state);
}

void CSimPlayer::RaisePlayState(LONG state)
{
    const auto sinks = m_sinks;
    for (const auto& sink : sinks)
        sink.second->PlayStateChange(state);
}

void CSimPlayer::RaiseItem(IDispatch* item)
{
    const auto sinks = m_sinks;
    for (const auto& sink : sinks)
        sink.second->CurrentItemChange(item);
}

void CSimPlayer::SetState(LONG state)
{
    m_state = state;
    RaisePlayState(state);
}

void CSimPlayer::OpenNow(const std::wstring& url, double duration)
{
    RaiseOpenState(8);
    if (m_media != nullptr)
        m_media->Release();
    m_media = new CMedia(url, duration, m_faults);
    m_media->AddRef();
    m_url = url;
    m_duration = duration;
    m_state = 9;
    Rebase(0.0);
    Say("player opens " + Narrow(url));
    RaiseItem(m_media);
    for (LONG state = 9; state <= 13; ++state)
        RaiseOpenState(state);
    SetState(10);
}

void CSimPlayer::PlayNow()
{
    if (m_media == nullptr || m_state == 3)
        return;
    Rebase(Position());
    SetState(3);
}

void CSimPlayer::PauseNow()
{
    if (m_media == nullptr || m_state < 3 || m_state > 5)
        return;
    Rebase(Position());
    SetState(2);
}

void CSimPlayer::StopNow()
{
    if (m_media == nullptr || m_state == 1)
        return;
    Rebase(0.0);
    SetState(1);
}

void CSimPlayer::ScanNow(LONG state)
{
    if (m_media == nullptr || m_state == state)
        return;
    Rebase(Position());
    SetState(state);
}

void CSimPlayer::Open(const std::wstring& url, double duration)
{
    Deliver();
    OpenNow(url, duration);
}

void CSimPlayer::Play()
{
    Deliver();
    PlayNow();
}

void CSimPlayer::Pause()
{
    Deliver();
    PauseNow();
}

void CSimPlayer::Stop()
{
    Deliver();
    StopNow();
}

void CSimPlayer::Seek(double seconds)
{
    const double end = m_duration;
    Rebase(seconds < 0.0 ? 0.0 : seconds > end ? end : seconds);
}

void CSimPlayer::SetRate(double rate)
{
    Rebase(Position());
    m_rate = rate;
}

void CSimPlayer::ChangeItem(IDispatch* item)
{
    Deliver();
    RaiseItem(item);
}

void CSimPlayer::Tick(const std::function<void()>& timer)
{
    Deliver();
    if (m_state == 3 && Position() >= m_duration) {
        Say("player ended");
        RaisePlayState(8);
        Rebase(0.0);
        m_state = 1;
        Say("player stopped");
        RaisePlayState(1);
    } else if ((m_state == 4 && Position() >= m_duration) || (m_state == 5 && Position() <= 0.0)) {
        Rebase(m_state == 4 ? m_duration : 0.0);
        SetState(3);
    }
    // The timer reads the position the tick began with: the first tick after play reads the
    // place where play was pressed.
    if (timer)
        timer();
    Deliver();
    if (m_state >= 3 && m_state <= 5)
        ++m_ticks;
}
