#include "device/TervaneManager.h"

#include <algorithm>

#include "sheet/SheetTime.h"

namespace {

// The media player's play states the device follows.
constexpr long kStopped = 1;
constexpr long kPaused = 2;
constexpr long kPlaying = 3;

// Beyond this many tenths at once (deleting or restoring a whole sheet) the playing sheet is
// taken over whole rather than tenth by tenth.
constexpr size_t kMostTenthsOneByOne = 2000;

} // namespace

CTervaneManager::CTervaneManager(IHidSystem& system) : m_device(system)
{
    Reset();
}

// The manager stops the device itself and closes the transport first, so that the device
// object's own Stop on destruction finds no handle and the device sees one stop, not two (nor
// a second one after the window's going stopped it).
CTervaneManager::~CTervaneManager()
{
    Follow(nullptr);
    Reset();
    if (!m_halted)
        m_device.Stop();
    m_device.Close();
}

void CTervaneManager::Follow(CSheetDocument* document)
{
    if (m_document != nullptr)
        m_document->RemoveObserver(this);
    m_document = document;
    if (m_document == nullptr)
        return;
    m_document->AddObserver(this);
    OnSheetReplaced();
}

void CTervaneManager::OnTenthsChanged(const std::vector<int32_t>& tenths)
{
    if (m_document == nullptr)
        return;
    const CSheetDocument::Tenths& all = m_document->ByTenth();
    if (tenths.size() > kMostTenthsOneByOne) {
        TakeWholeSheet();
        return;
    }
    static const CSheetDocument::Records none;
    for (int32_t tenth : tenths) {
        const auto found = all.find(tenth);
        m_sheet.ReplaceSpan(FirstTimeOfTenth(tenth), LastTimeOfTenth(tenth),
                            found != all.end() ? found->second : none);
    }
}

void CTervaneManager::TakeWholeSheet()
{
    std::string header[CSheetDocument::kHeaderLines];
    for (int i = 0; i < CSheetDocument::kHeaderLines; ++i)
        header[i] = m_document->HeaderLine(i);
    m_sheet.Assign(header, m_document->AllRecords());
}

// Another sheet: it plays from the next tick, as if just started, and loops back at 0.
void CTervaneManager::OnSheetReplaced()
{
    if (m_document == nullptr)
        return;
    TakeWholeSheet();
    ResetPlayback();
    m_loop = true;
    Start();
}

void CTervaneManager::ResetPlayback()
{
    m_armed = false;
    m_loop = false;
    m_preview = false;
    m_stopPending = false;
    m_current = CommandData();
    m_inEffect = false;
    m_savedPattern = 0;
    m_savedLevel = 0;
    m_lastChosen = kNoPosition;
    m_playsOnUntil = kNoPosition;
}

void CTervaneManager::Reset()
{
    ResetPlayback();
}

void CTervaneManager::Start()
{
    m_armed = true;
    m_inEffect = false;
    m_lastChosen = kNoPosition;
}

void CTervaneManager::FollowPosition(double seconds)
{
    if (m_device.HasHandle()) {
        UpdatePosition(seconds);
        return;
    }
    m_device.Connect();
    if (m_device.HasHandle())
        Start();
}

void CTervaneManager::FollowMediumOpened()
{
    m_device.Connect();
    if (m_device.HasHandle())
        Start();
}

CommandData CTervaneManager::DueAt(int32_t t)
{
    // Before the first command, or before 0 s with the lead taken in, or against another
    // movie than the sheet's, the device rests.
    CommandData due;
    if (t > 0 && !m_otherMovie)
        m_sheet.LatestAt(t, due);
    return CommandData(due.time, ShownPattern(due.pattern), ShownLevel(due.level));
}

int32_t CTervaneManager::ChosenAt(int32_t t) const
{
    // In whole ten-thousandths: a lead of 300 ms at 1.7 s is 2.0 s exactly.
    const int64_t ahead = static_cast<int64_t>(t) + static_cast<int64_t>(m_leadMs) * 10;
    return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, ahead));
}

bool CTervaneManager::Send(const CommandData& due)
{
    m_current = due;
    m_inEffect = true;
    if (m_preview) {
        // Held back: the device shows it when the preview ends.
        m_savedPattern = due.pattern;
        m_savedLevel = due.level;
        return false;
    }
    m_device.SetPatternLevel(due.pattern, due.level);
    m_halted = false;
    return true;
}

int32_t CTervaneManager::UpdatePosition(double seconds)
{
    if (!m_device.HasHandle() && m_armed) {
        m_armed = false;
        m_lastChosen = kNoPosition;
        return 0;
    }
    const int32_t t = seconds > 0.0 ? CommandTimeOf(seconds) : 0;
    const int32_t chosenAt = ChosenAt(t);

    // A command a timer sent a little early (at most 5 ms, 10 ms of the movie at rate 2) is not
    // taken back by a position just short of it, read by the next tick. Paused, a shorter lead
    // still chooses again where the movie stands.
    constexpr int32_t kSentEarly = 100;
    if (m_precise && m_armed && m_playState != kPaused && t > 0 && m_lastChosen != kNoPosition &&
        chosenAt < m_lastChosen && m_lastChosen - chosenAt <= kSentEarly)
        return t;
    // The position 0.0 chooses nothing: the player stands at the start, stopped or looping.
    if (m_armed && t > 0) {
        if (m_precise)
            SendPassed(chosenAt);
        m_lastChosen = chosenAt;
        const CommandData due = DueAt(chosenAt);
        if (!m_inEffect || due.time != m_current.time || due.pattern != m_current.pattern ||
            due.level != m_current.level) {
            if (!Send(due))
                return 0;
        }
    } else {
        m_lastChosen = kNoPosition;
    }

    if (seconds == 0.0 && !m_armed && m_loop)
        m_armed = true;
    return t;
}

void CTervaneManager::SendPassed(int32_t chosenAt)
{
    if (m_preview || m_otherMovie || !m_inEffect || m_lastChosen == kNoPosition || chosenAt <= m_lastChosen ||
        chosenAt > m_playsOnUntil)
        return;
    // More than this between two positions are more than the device could tell apart anyway.
    constexpr size_t kMostPassed = 16;
    int32_t times[kMostPassed];
    const size_t count = m_sheet.TimesBetween(m_lastChosen, chosenAt, times, kMostPassed);
    for (size_t i = 0; i < count; ++i) {
        const CommandData passed = DueAt(times[i]);
        if (passed.time != m_current.time || passed.pattern != m_current.pattern || passed.level != m_current.level)
            Send(passed);
    }
}

void CTervaneManager::SetPreciseTiming(bool on)
{
    m_precise = on;
    m_playsOnUntil = kNoPosition;
}

size_t CTervaneManager::DueBefore(double seconds, double until, int32_t* at, size_t most)
{
    m_playsOnUntil = kNoPosition;
    if (!m_precise || !m_armed || m_preview || m_otherMovie || !m_device.HasHandle() || !(seconds > 0.0) ||
        !(until > seconds))
        return 0;
    const int32_t from = ChosenAt(CommandTimeOf(seconds));
    const int32_t to = ChosenAt(CommandTimeOf(until));
    // A tick that comes late, behind a busy player thread, still plays on: up to a second
    // of movie past the stretch asked about.
    constexpr int64_t kStall = 10000;
    m_playsOnUntil = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, static_cast<int64_t>(to) + kStall));
    const size_t count = m_sheet.TimesBetween(from, to, at, most);
    for (size_t i = 0; i < count; ++i)
        at[i] = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, static_cast<int64_t>(at[i]) - m_leadMs * 10));
    return count;
}

void CTervaneManager::FollowPlayState(long state)
{
    m_playState = state;
    switch (state) {
    case kStopped:
        if (m_preview)
            m_stopPending = true;
        else
            m_device.Stop();
        break;
    case kPaused:
        m_stopPending = false;
        if (!m_device.IsPaused() && !m_preview)
            m_device.Pause();
        break;
    case kPlaying:
        m_stopPending = false;
        if (m_device.IsPaused() && !m_preview)
            m_device.Resume();
        break;
    default:
        break;
    }
}

void CTervaneManager::SetOtherMovie(bool other)
{
    m_otherMovie = other;
}

void CTervaneManager::SetLeadMs(int milliseconds)
{
    m_leadMs = std::clamp(milliseconds, -kMostLeadMs, kMostLeadMs);
}

void CTervaneManager::StartPreview(int pattern, int level)
{
    if (m_preview)
        return;
    m_savedPattern = m_device.GetPattern();
    m_savedLevel = m_device.GetLevel();
    m_device.Connect();
    m_device.SetPatternLevel(pattern, level);
    m_device.Resume();
    m_preview = true;
    m_halted = false;
}

void CTervaneManager::StopPreview()
{
    if (!m_preview)
        return;
    m_preview = false;
    m_device.Stop();
    m_device.SetPatternLevel(m_savedPattern, m_savedLevel);
    // The player's state now, not the one the preview began in: it may have been paused,
    // played or stopped meanwhile.
    if (m_stopPending) {
        m_device.Stop();
        m_stopPending = false;
    } else if (m_playState == kPaused) {
        m_device.Pause();
    }
}

void CTervaneManager::Halt()
{
    m_preview = false;
    m_stopPending = false;
    m_device.Stop();
    m_halted = true;
    m_inEffect = false;
    m_lastChosen = kNoPosition;
    m_playsOnUntil = kNoPosition;
}
