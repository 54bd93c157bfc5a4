#include "controls/PointMoveButton.h"

#include "controls/ButtonLayout.h"
#include "editor/PluginHost.h"
#include "editor/PlayStates.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

namespace {

constexpr size_t kPrevious = 0;
constexpr size_t kNext = 1;

} // namespace

CPointMoveButton::CPointMoveButton(IPluginHost& host) : CCommandButton(host, {kIdPreviousPoint, kIdNextPoint}) {}

void CPointMoveButton::OnDraw(HDC dc)
{
    if (FaceCount() == 2) {
        const bool active = m_mediaOpened && IsActivePlayState(m_host.PlayState());
        const CTimeLineButtonManager& timeLine = m_host.TimeLine();
        Face(kPrevious).SetEnabled(active && timeLine.HasEarlierEntry());
        Face(kNext).SetEnabled(active && timeLine.HasLaterEntry());
    }
    CCommandButton::OnDraw(dc);
}

void CPointMoveButton::OnClicked(size_t index)
{
    if (!IsActivePlayState(m_host.PlayState()) || m_host.CurrentMedia() == nullptr)
        return;
    CTimeLineButtonManager& timeLine = m_host.TimeLine();
    double seconds = 0.0;
    const bool found = index == kPrevious ? timeLine.PreviousEntryTime(seconds)
                                          : timeLine.NextEntryTime(seconds) && seconds <= m_host.Duration();
    // Nothing to go to: the movie stays where it is rather than jumping to its start.
    if (!found) {
        Face(index).SetEnabled(false);
        return;
    }
    m_host.SetPosition(seconds);
    timeLine.RepositionAt(seconds);
}

} // namespace TervaneControl
