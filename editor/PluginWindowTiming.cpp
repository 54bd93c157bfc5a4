// Precise timing: the commands due between two ticks go out at their own times, each from a
// one-shot timer on the player's thread that reads the position again when it fires.
#include "editor/PluginWindow.h"

#include <algorithm>
#include <cmath>

#include <mmsystem.h>

#include "device/TervaneManager.h"
#include "editor/EditorClock.h"
#include "editor/PlayStates.h"
#include "editor/PluginHost.h"
#include "editor/SettingsFile.h"

namespace {

// A timer fires no sooner than this after it is set (USER_TIMER_MINIMUM).
constexpr uint32_t kShortestTimerMs = 10;
// A timer already set within this of the time it is wanted again stays as it is.
constexpr int32_t kSameFireMs = 3;
// The system's timers come late by a fairly steady amount (1-3 ms under Wine, up to a
// scheduler tick elsewhere): each is asked for as much earlier as the recent ones came late,
// learnt slowly and never more than this.
constexpr double kMostAimMs = 8.0;
constexpr double kAimLearning = 0.125;

// A timer cannot fire before the system's shortest: a command nearer than half of it goes at
// once, a little early, rather than later by more.
bool GoesAtOnce(double aheadMs)
{
    return aheadMs <= kShortestTimerMs / 2.0;
}

} // namespace

void CPluginWindow::TogglePreciseTiming()
{
    CTervaneManager* manager = m_owner.DeviceManager();
    if (manager == nullptr)
        return;
    const bool on = !manager->IsPreciseTiming();
    manager->SetPreciseTiming(on);
    WritePreciseTiming(SettingsFilesOf(m_instance), on);
    KillDueTimers();
    // The time box shows about seven wide characters: the note says it short.
    ShowNote(on ? L"精密 オン" : L"精密 オフ");
}

void CPluginWindow::ArmDueTimers(double position)
{
    const HWND window = Handle();
    CTervaneManager* manager = m_owner.DeviceManager();
    IWMPSettings* settings = m_owner.Settings();
    double rate = 0.0;
    int32_t due[kDueTimers];
    size_t count = 0;
    if (window == nullptr || manager == nullptr || !manager->IsPreciseTiming() ||
        m_owner.PlayState() != kPlayPlaying || settings == nullptr || FAILED(settings->get_rate(&rate)) ||
        !(rate > 0.0)) {
        KillDueTimers();
        return;
    }
    // The system's timers at their finest while they carry commands (the default period of
    // 15.6 ms on Windows would make every command late by up to that).
    if (!m_finerTimers)
        m_finerTimers = timeBeginPeriod(1) == TIMERR_NOERROR;
    count = manager->DueBefore(position, position + rate * (kTimerPeriod + kDueMarginMs) / 1000.0, due, kDueTimers);

    // When each is to fire, in the editor's milliseconds. A timer already set for the same
    // command at about that time stays: set again, one due within the system's shortest timer
    // would fire late.
    const uint32_t now = EditorMilliseconds();
    const double aim = std::floor(m_timerLateMs + 0.5);
    uint32_t fireAt[kDueTimers];
    bool placed[kDueTimers] = {};
    bool kept[kDueTimers] = {};
    for (size_t i = 0; i < count; ++i) {
        // Up, so that a timer does not fire before its command, but not for floating-point noise.
        const double wait = (due[i] / 10000.0 - position) * 1000.0 / rate - aim - 1e-6;
        fireAt[i] = now + static_cast<uint32_t>(wait > 0.0 ? std::ceil(wait) : 0.0);
        for (size_t slot = 0; slot < kDueTimers && !placed[i]; ++slot) {
            const DueTimer& timer = m_dueTimers[slot];
            if (timer.set && !kept[slot] && timer.at == due[i] &&
                std::abs(static_cast<int32_t>(fireAt[i] - timer.fireAt)) <= kSameFireMs)
                placed[i] = kept[slot] = true;
        }
    }
    // One that no timer is set for yet and that is due within half the shortest timer, as
    // after a seek or at the end of a preview, goes now with those before it.
    size_t atOnce = count;
    for (size_t i = 0; i < count; ++i) {
        if (!placed[i] && GoesAtOnce((due[i] / 10000.0 - position) * 1000.0 / rate)) {
            atOnce = i;
            placed[i] = true;
        }
    }
    if (atOnce < count)
        manager->FollowPosition(due[atOnce] / 10000.0);
    for (size_t slot = 0; slot < kDueTimers; ++slot) {
        if (m_dueTimers[slot].set && !kept[slot]) {
            KillEditorTimer(window, kFirstDueTimerId + slot);
            m_dueTimers[slot].set = false;
        }
    }
    size_t slot = 0;
    for (size_t i = 0; i < count; ++i) {
        if (placed[i])
            continue;
        while (m_dueTimers[slot].set)
            ++slot;
        m_dueTimers[slot] = {true, due[i], fireAt[i], now + std::max(fireAt[i] - now, kShortestTimerMs)};
        SetEditorTimer(window, kFirstDueTimerId + slot, fireAt[i] - now);
    }
}

void CPluginWindow::OnDueTimer(UINT_PTR id)
{
    // System timers repeat: each of these fires once.
    DueTimer& timer = m_dueTimers[id - kFirstDueTimerId];
    KillEditorTimer(Handle(), id);
    const bool wasSet = timer.set;
    const int32_t at = timer.at;
    timer.set = false;
    // A message the system queued before the timer was killed.
    if (!wasSet)
        return;
    CTervaneManager* manager = m_owner.DeviceManager();
    IWMPSettings* settings = m_owner.Settings();
    double position = 0.0;
    double rate = 0.0;
    if (manager == nullptr || m_owner.PlayState() != kPlayPlaying || !m_owner.Position(position) ||
        settings == nullptr || FAILED(settings->get_rate(&rate)) || !(rate > 0.0)) {
        KillDueTimers();
        return;
    }
    // Only what it comes later than the system can fire it is the system's lateness.
    const int32_t late = static_cast<int32_t>(EditorMilliseconds() - timer.firesBy);
    m_timerLateMs += kAimLearning * (std::clamp<double>(late, 0.0, kMostAimMs) - m_timerLateMs);
    // A little early, it goes now; the next ones are timed from where the movie is, so that
    // none goes earlier than that by more.
    const double atSeconds = at / 10000.0;
    const bool early = position < atSeconds && GoesAtOnce((atSeconds - position) * 1000.0 / rate);
    manager->FollowPosition(early ? atSeconds : position);
    ArmDueTimers(position);
}

void CPluginWindow::RunOverdueTimers()
{
    const uint32_t now = EditorMilliseconds();
    for (size_t slot = 0; slot < kDueTimers; ++slot) {
        if (m_dueTimers[slot].set && static_cast<int32_t>(now - m_dueTimers[slot].fireAt) >= 0)
            OnDueTimer(kFirstDueTimerId + slot);
    }
}

void CPluginWindow::KillDueTimers()
{
    if (m_finerTimers) {
        timeEndPeriod(1);
        m_finerTimers = false;
    }
    for (size_t slot = 0; slot < kDueTimers; ++slot) {
        if (!m_dueTimers[slot].set)
            continue;
        KillEditorTimer(Handle(), kFirstDueTimerId + slot);
        m_dueTimers[slot].set = false;
    }
}
