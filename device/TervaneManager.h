#pragma once
#include <cstdint>

#include "base/thread/Thread.h"
#include "device/Task.h"
#include "device/Tervane.h"
#include "device/TimeSheet.h"
#include "sheet/SheetDocument.h"

// Plays a time sheet on the Tervane device in step with the media player, and carries the
// preview mode in which the user tries a pattern and level directly while the sheet's
// commands are held back. One per plug-in object; it outlives the editor window.
//
// It is the one place that decides what the device does: the window's tick hands it the
// player's position, the plug-in hands it the player's states, and its playing sheet follows
// the sheet document through the document's notices, which nothing else edits. After any
// change, the command in effect is compared whole (time, pattern and level), so an edit of
// the point being played reaches the device at the next tick. Every operation runs on the
// media player's user-interface thread: the manager is a CThread only by descent and its
// thread is never started.
class CTervaneManager : public ITask,
                        public Quorvel::Base::Thread::CThread,
                        public INotifyUpdateConfig,
                        private ISheetObserver {
public:
    // The device is reached through system (a simulated bus in tests and tools). Nothing is
    // searched for or sent.
    explicit CTervaneManager(IHidSystem& system = HidSystemWin32());
    ~CTervaneManager() override;
    CTervaneManager(const CTervaneManager&) = delete;
    CTervaneManager& operator=(const CTervaneManager&) = delete;

    // The sheet the device plays from now on (null: none); its records become the playing
    // sheet's, and every later change of it follows.
    void Follow(CSheetDocument* document);

    // Drops every playback and preview state. Sends nothing.
    void Reset();
    // Arms playback with nothing in effect: the command due at the next tick is sent,
    // whatever was sent before.
    void Start();
    // The window's tick: the device is looked for while none is open (and armed once found),
    // otherwise the command due at the player's position is sent.
    void FollowPosition(double seconds);
    // The player's position; returns it in ten-thousandths of a second (0 when the manager
    // just disarmed for lack of a device).
    int32_t UpdatePosition(double seconds);
    // The player reported a play state: pause, resume or stop the device as it should (a
    // preview holds them back until it ends).
    void FollowPlayState(long state);
    // The player opened a medium or changed its current item: the device is looked for and
    // playback armed.
    void FollowMediumOpened();

    // Commands are chosen as if the movie were this much further on (negative: behind), to
    // make up for a device that reacts late or a player that shows its frames late. Kept
    // within kMostLeadMs either way; the preview does not take it.
    static constexpr int kMostLeadMs = 500;
    void SetLeadMs(int milliseconds);
    int LeadMs() const { return m_leadMs; }
    // Precise timing (the user's setting, off by default): each command goes out at its own
    // time rather than at the first tick after it. The window asks which commands fall due
    // before its next tick and fires a one-shot timer at each; and a position that comes
    // within the stretch it asked about sends every command passed since the last position,
    // in order, before the one due, so that two commands between two positions both go out.
    // A position further on than that (by more than a late tick would be) is a seek and
    // plays as without the setting.
    void SetPreciseTiming(bool on);
    bool IsPreciseTiming() const { return m_precise; }
    // The positions (ten-thousandths, the lead taken in) at which the commands after the one
    // due at `seconds` fall due before `until`, earliest first, at most `most`. None while the
    // setting is off, nothing plays, a preview holds the sheet back or the sheet rests.
    size_t DueBefore(double seconds, double until, int32_t* at, size_t most);
    void StartPreview(int pattern, int level);
    // Ends a preview: the device takes the command in effect now and the player's state of now.
    void StopPreview();
    // The sheet names another movie than the one open: the device rests until it no longer
    // does. A sheet plays only against its own movie.
    void SetOtherMovie(bool other);
    bool IsOtherMovie() const { return m_otherMovie; }
    // The editor window went, and with it the tick that follows the movie: a running preview
    // ends where it is, the device stops, and the first tick of the next window sends the
    // command due then, whatever was sent before.
    void Halt();

    CTervane& Device() { return m_device; }
    TimeSheet& Sheet() { return m_sheet; }
    bool IsPreviewing() const { return m_preview; }
    bool IsArmed() const { return m_armed; }
    // The media player stopped while previewing and has not started again: the stop reaches
    // the device when the preview ends.
    bool IsStopPending() const { return m_stopPending; }
    // The command in effect (pattern and level as the device got them); all zero when none.
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
    // ISheetObserver
    void OnTenthsChanged(const std::vector<int32_t>& tenths) override;
    void OnSheetReplaced() override;

    void ResetPlayback();
    // The playing sheet becomes the document's, header and all.
    void TakeWholeSheet();
    // The command due at t (ten-thousandths), as the device is to show it.
    CommandData DueAt(int32_t t);
    // The time commands are chosen at for position t: t with the lead taken in.
    int32_t ChosenAt(int32_t t) const;
    // Precise timing: the commands passed between the last position and chosenAt, each sent
    // in its turn, the one due at chosenAt left to the ordinary rule.
    void SendPassed(int32_t chosenAt);
    // The command becomes the one in effect and goes to the device, or is held by a preview;
    // false when held.
    bool Send(const CommandData& due);

    CTervane m_device;
    TimeSheet m_sheet;
    CSheetDocument* m_document = nullptr;
    bool m_armed = false;
    CommandData m_current;
    // False while nothing counts as in effect: the next due command is sent whatever it is.
    bool m_inEffect = false;
    bool m_loop = false;
    int m_leadMs = 0;
    bool m_preview = false;
    int32_t m_savedPattern = 0;
    int32_t m_savedLevel = 0;
    bool m_stopPending = false;
    // The player's last reported play state.
    long m_playState = 0;
    // Halted, and nothing sent since: the device already shows the stop.
    bool m_halted = false;
    bool m_otherMovie = false;
    static constexpr int32_t kNoPosition = INT32_MIN;
    bool m_precise = false;
    // The time chosen at the last position that played (kNoPosition when none did), and how
    // far on a position may come and still count as playing on from it.
    int32_t m_lastChosen = kNoPosition;
    int32_t m_playsOnUntil = kNoPosition;
};
