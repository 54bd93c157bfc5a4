#pragma once
#include <cstdint>

#include "base/thread/Thread.h"
#include "device/Task.h"
#include "device/Tervane.h"
#include "device/TimeSheet.h"

// Plays a time sheet on the Tervane device in step with the media player, and carries the
// preview mode in which the user tries a pattern and level directly while the sheet's
// commands are held back. One per plug-in object; it outlives the editor window. Every
// operation runs on the media player's user-interface thread: the manager is a CThread only
// by descent and its thread is never started.
class CTervaneManager : public ITask, public Quorvel::Base::Thread::CThread, public INotifyUpdateConfig {
public:
    // The device is reached through system (a simulated bus in tests and tools). Nothing is
    // searched for or sent.
    explicit CTervaneManager(IHidSystem& system = HidSystemWin32());
    ~CTervaneManager() override;
    CTervaneManager(const CTervaneManager&) = delete;
    CTervaneManager& operator=(const CTervaneManager&) = delete;

    // Empties the sheet and drops every playback and preview state. Sends nothing.
    void Reset();
    // Reads a *.tms file into the sheet. A file that cannot be read changes nothing, so the
    // device keeps following the sheet the editor still shows. Not armed afterwards: the
    // caller calls Start.
    bool LoadSheet(const char* path, bool loop);
    // Arms playback and takes the sheet's first command as the one in effect, unsent.
    void Start();
    // The window timer's tick with the player's position; returns the position in
    // ten-thousandths of a second (0 when the manager just disarmed for lack of a device).
    int32_t UpdatePosition(double seconds);
    // Commands are chosen as if the movie were this much further on (negative: behind), to
    // make up for a device that reacts late or a player that shows its frames late. Kept
    // within kMostLeadMs either way; the preview does not take it.
    static constexpr int kMostLeadMs = 500;
    void SetLeadMs(int milliseconds);
    int LeadMs() const { return m_leadMs; }
    void StartPreview(int pattern, int level);
    void StopPreview();
    // The editor window went, and with it the tick that follows the movie: a running preview
    // ends where it is, the device stops, and the first tick of the next window sends the
    // command due then, whatever was sent before.
    void Halt();

    CTervane& Device() { return m_device; }
    TimeSheet& Sheet() { return m_sheet; }
    bool IsPreviewing() const { return m_preview; }
    bool IsArmed() const { return m_armed; }
    bool IsStopPending() const { return m_stopPending; }
    // The media player stopped while previewing: the stop reaches the device when the
    // preview ends.
    void SetStopPending() { m_stopPending = true; }
    const CommandData& Current() const { return m_current; }

    // Nothing drives the manager as a task.
    bool Initialize() override { return true; }
    void Finalize() override {}
    bool Update() override { return true; }
    void Draw() override {}
    void Activate() override {}
    void Deactivate() override {}
    bool IsFinished() override { return false; }
    void OnUpdateConfig(int) override {}

private:
    void ResetPlayback();

    CTervane m_device;
    TimeSheet m_sheet;
    bool m_armed = false;
    CommandData m_current;
    bool m_loop = false;
    int m_leadMs = 0;
    bool m_preview = false;
    int32_t m_savedPattern = 0;
    int32_t m_savedLevel = 0;
    bool m_savedPause = false;
    bool m_stopPending = false;
    // Halted, and nothing sent since: the device already shows the stop.
    bool m_halted = false;
    // The next due command is sent even when it is the one in effect before the halt.
    bool m_resendDue = false;
};
