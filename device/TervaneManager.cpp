#include "device/TervaneManager.h"

#include <algorithm>

CTervaneManager::CTervaneManager(IHidSystem& system) : m_device(system)
{
    Reset();
}

// The manager stops the device itself and closes the transport first, so that the device
// object's own Stop on destruction finds no handle and the device sees one stop, not two (nor
// a second one after the window's going stopped it).
CTervaneManager::~CTervaneManager()
{
    Reset();
    if (!m_halted)
        m_device.Stop();
    m_device.Close();
}

void CTervaneManager::ResetPlayback()
{
    m_armed = false;
    m_loop = false;
    m_preview = false;
    m_savedPause = false;
    m_stopPending = false;
    m_current = CommandData();
    m_savedPattern = 0;
    m_savedLevel = 0;
}

void CTervaneManager::Reset()
{
    m_sheet.Clear();
    ResetPlayback();
}

bool CTervaneManager::LoadSheet(const char* path, bool loop)
{
    // The sheet is replaced only once the whole file has been read: a file that cannot be
    // read must not leave the device playing an empty sheet while the editor, which keeps
    // its entries on a failed load, still shows the old one.
    if (!m_sheet.ReadTimeSheet(path))
        return false;
    ResetPlayback();
    m_loop = loop;
    return true;
}

void CTervaneManager::Start()
{
    m_armed = true;
    CommandData first;
    if (m_sheet.CommandAt(0, first))
        m_current = first;
}

int32_t CTervaneManager::UpdatePosition(double seconds)
{
    if (!m_device.HasHandle() && m_armed) {
        m_armed = false;
        return 0;
    }
    const int32_t t = CommandTimeFromSeconds(seconds);
    // In whole ten-thousandths: a lead of 300 ms at 1.7 s is 2.0 s exactly.
    const int64_t ahead = static_cast<int64_t>(t) + static_cast<int64_t>(m_leadMs) * 10;
    const int32_t chosenAt = static_cast<int32_t>(ahead < INT32_MIN ? INT32_MIN : ahead > INT32_MAX ? INT32_MAX : ahead);

    CommandData due;
    if (m_armed && m_sheet.LatestAt(chosenAt, due) && (due.time != m_current.time || m_resendDue)) {
        m_current = due;
        m_resendDue = false;
        if (m_preview) {
            // Held back: the device shows it when the preview ends.
            m_savedPattern = due.pattern;
            m_savedLevel = due.level;
            return 0;
        }
        m_device.SetPatternLevel(due.pattern, due.level);
        m_halted = false;
    }

    if (seconds == 0.0 && !m_armed && m_loop)
        m_armed = true;
    return t;
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
    m_savedPause = m_device.IsPaused();
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
    m_device.Stop();
    m_device.SetPatternLevel(m_savedPattern, m_savedLevel);
    if (m_savedPause) {
        if (m_stopPending) {
            m_device.Stop();
            m_stopPending = false;
        } else {
            m_device.Pause();
        }
    } else if (m_stopPending) {
        m_device.Stop();
        m_stopPending = false;
    }
    m_preview = false;
}

void CTervaneManager::Halt()
{
    m_preview = false;
    m_stopPending = false;
    m_savedPause = false;
    m_device.Stop();
    m_halted = true;
    m_resendDue = true;
}
