#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "sim/SimEvents.h"
#include "sim/SimHidBus.h"
#include "device/TervaneManager.h"

// Plays a time sheet the way the plug-in does inside the media player, against a simulated
// player clock and a simulated HID bus with one Tervane device plugged in. The player's
// play-state changes reach the device as the plug-in object passes them on, and the 100 ms
// window timer hands the position to the device manager; every report the device receives
// comes out as one "report" line, tagged with the player's position at that moment.
//
// The clock: while playing, the position a tick reads is base + n * rate / 10, where base is
// the position at the last play, seek or rate change and n the playing ticks since then.
class CPlaybackSim {
public:
    enum PlayState { kStopped = 1, kPaused = 2, kPlaying = 3 };
    using LineSink = std::function<void(const std::string&)>;

    // duration in seconds, above 0.
    CPlaybackSim(double duration, LineSink out);
    ~CPlaybackSim();
    CPlaybackSim(const CPlaybackSim&) = delete;
    CPlaybackSim& operator=(const CPlaybackSim&) = delete;

    // Start-up: the sheet loads as a load by path does, then the medium opens. False, with a
    // reason, when the sheet cannot be read.
    bool Open(const std::string& sheetPath, std::string& error);
    void Apply(const SimEvent& event);
    // One tick of the window timer.
    void Tick();
    // The player closes: the plug-in object, and with it the device manager, goes away.
    void Close();

    double Position() const;
    PlayState State() const { return m_state; }
    double Rate() const { return m_rate; }
    CSimHidBus& Bus() { return m_bus; }
    CTervaneManager& Manager() { return *m_manager; }

private:
    void Say(const std::string& what);
    void Drain();
    void Rebase(double position);
    void Play();
    void Pause();
    void Stop();
    void StoppedReachesDevice();
    void MediaOpened();
    void Load(const std::string& path);

    LineSink m_out;
    // Declared before the manager: the bus outlives the device bound to it.
    CSimHidBus m_bus;
    size_t m_tervane;
    std::unique_ptr<CTervaneManager> m_manager;
    size_t m_reportsShown = 0;
    bool m_opened = false;

    double m_duration;
    PlayState m_state = kStopped;
    double m_base = 0.0;
    long long m_ticks = 0;
    double m_rate = 1.0;
};

// The report line for one report written at position seconds.
std::string FormatReportLine(double seconds, const uint8_t* report);
