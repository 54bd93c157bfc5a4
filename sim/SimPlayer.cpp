#include "sim/SimPlayer.h"

#include <cstdio>

#include "sim/SimPlayerControls.h"
#include "sim/SimPlayerCore.h"
#include "sim/SimPlayerFaces.h"
#include "sim/SimPlayerMedia.h"

namespace {

constexpr UINT kDeliverMessage = WM_APP + 1;
// Fast forward and rewind move five times as fast as playing.
constexpr double kScanRate = 5.0;

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDeliverMessage) {
        reinterpret_cast<CSimPlayer*>(lParam)->Deliver();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

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
    if (m_state < 3 || m_state > 5)
        return m_base;
    const double rate = m_state == 3 ? m_rate : m_state == 4 ? kScanRate : -kScanRate;
    double at = m_base;
    if (m_realTime) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        at = m_base + static_cast<double>(now.QuadPart - m_rebasedAt) / static_cast<double>(m_frequency) * rate;
        at = at > m_duration ? m_duration : at;
    } else if (m_elapsedInTick == 0) {
        // At a tick, as the position has always been computed, so that sessions stay as they were.
        if (m_state == 3)
            return m_base + m_ticks * rate / 10;
        at = m_base + m_ticks * rate / 10;
    } else if (m_ticks > 0) {
        // The last tick's timer read m_ticks - 1.
        at = m_base + static_cast<double>((m_ticks - 1) * 100 + m_elapsedInTick) * rate / 1000;
        at = at > m_duration ? m_duration : at;
    }
    return at < 0.0 ? 0.0 : at;
}

void CSimPlayer::Rebase(double position)
{
    m_base = position;
    m_ticks = 0;
    if (m_realTime) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        m_rebasedAt = now.QuadPart;
    }
}

void CSimPlayer::SetRealTime(bool on)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    m_frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    m_realTime = on;
    Rebase(m_base);
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
    Say("player opens " + SimPlayerFaces::Narrow(url));
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
    m_elapsedInTick = 0;
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
