#pragma once
// A simulated media player for running the plug-in where no player exists: the player core,
// controls, settings, media and error queue as COM objects, and an IWMPEvents connection
// point that raises the player's events on the calling thread.
//
//     CSimPlayer player;                       // outlives every plug-in given its core
//     plugin->SetCore(player.Core());
//     player.Open(L"movie.wmv", 60.0);         // open states 8..13, item change, ready
//     player.Play();
//     player.Tick([&] { SendMessageW(editor, WM_TIMER, 1, 0); });  // 100 ms of virtual time
//
// Time is virtual: while playing, the position is base + ticks x rate / 10, where base is the
// position at the last play, seek or rate change; between two ticks (the host's one-shot
// timers) it moves on by the milliseconds of virtual time since the tick. In real time it
// follows the system's clock instead. Calls that the plug-in makes (play, put_URL
// ...) raise their events only when the host next delivers them (Deliver, or a pumped
// message), as the real player raises them from its own message loop, never inside the call.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include <ole2.h>
#include <wmp.h>

class CSimPlayer {
public:
    using Narrator = std::function<void(const std::string&)>;

    // What a player may fail to give; each stays until changed.
    struct Faults {
        bool noEventPoint = false;      // no IWMPEvents connection point
        bool playStateFails = false;    // get_playState answers E_FAIL
        bool positionFails = false;     // get_currentPosition answers E_FAIL
        bool noDuration = false;        // media answer get_duration with E_NOTIMPL
        bool controlsFail = false;      // get_controls answers E_NOINTERFACE
    };

    CSimPlayer();
    ~CSimPlayer();
    CSimPlayer(const CSimPlayer&) = delete;
    CSimPlayer& operator=(const CSimPlayer&) = delete;

    // Borrowed; a holder that keeps it AddRefs it, as COM does.
    IWMPCore* Core();
    Faults& GetFaults() { return m_faults; }
    void SetNarrator(Narrator narrator) { m_narrator = std::move(narrator); }
    // The duration of a medium the plug-in opens by address (put_URL).
    void SetDefaultDuration(double seconds) { m_defaultDuration = seconds; }

    // What the user does to the player; events go out at once.
    void Open(const std::wstring& url, double duration);
    void Play();
    void Pause();
    void Stop();
    void Seek(double seconds);
    void SetRate(double rate);
    // The current item changes to item (null, or anything): only the event.
    void ChangeItem(IDispatch* item);
    // One timer period: at the end of the medium the player reports ended, then stopped, and
    // returns to 0; then timer runs (the host's timer message) and the playing position
    // advances by a tenth of a second times the rate.
    void Tick(const std::function<void()>& timer);
    // Raises the events that calls of the plug-in left waiting.
    void Deliver();
    // Milliseconds of virtual time since the last tick's timer ran (up to 100; 0: at the
    // tick), for what the host runs between two ticks. A play, seek or rate change since that
    // tick holds the position where it put it until the next one.
    void SetElapsedInTick(uint32_t milliseconds) { m_elapsedInTick = milliseconds; }
    // The position follows the system's clock from the next play, seek or rate change on (and
    // Tick only ends the movie when its time has come).
    void SetRealTime(bool on);

    double Position() const;
    LONG State() const { return m_state; }
    double Rate() const { return m_rate; }
    // Whether a movie opened by address (put_URL) starts by itself; on, as in the real player.
    bool AutoStart() const { return m_autoStart; }
    double Duration() const { return m_duration; }
    bool HasMedium() const { return m_media != nullptr; }
    const std::wstring& Url() const { return m_url; }
    // Advised event sinks.
    size_t SinkCount() const { return m_sinks.size(); }
    // References to the player's own objects that holders took and did not give back.
    LONG OutstandingReferences() const;

    // The COM faces, defined in the source file.
    class CCore;
    class CControls;
    class CSettings;
    class CMedia;
    class CErrors;
    class CEventPoint;

private:
    friend class CCore;
    friend class CControls;
    friend class CSettings;
    friend class CEventPoint;

    void Say(const std::string& what);
    void Rebase(double position);
    void SetState(LONG state);
    // A call of the plug-in: what it changes is seen at once, the events wait.
    void Later(std::function<void()> raise);
    void RaiseOpenState(LONG state);
    void RaisePlayState(LONG state);
    void RaiseItem(IDispatch* item);
    void OpenNow(const std::wstring& url, double duration);
    void PlayNow();
    void PauseNow();
    void StopNow();
    void ScanNow(LONG state);

    Narrator m_narrator;
    Faults m_faults;
    std::unique_ptr<CCore> m_core;
    std::unique_ptr<CControls> m_controls;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CErrors> m_errors;
    std::unique_ptr<CEventPoint> m_eventPoint;
    CMedia* m_media = nullptr; // one reference of the player's own
    std::vector<std::pair<DWORD, IWMPEvents*>> m_sinks;
    DWORD m_nextCookie = 1;
    std::deque<std::function<void()>> m_waiting;
    HWND m_messageWindow = nullptr;

    std::wstring m_url;
    double m_duration = 0.0;
    double m_defaultDuration = 60.0;
    LONG m_state = 0;
    LONG m_openState = 0;
    double m_base = 0.0;
    long long m_ticks = 0;
    uint32_t m_elapsedInTick = 0;
    bool m_realTime = false;
    // The performance counter at the last rebase, and its frequency.
    long long m_rebasedAt = 0;
    long long m_frequency = 1;
    double m_rate = 1.0;
    bool m_autoStart = true;
};
