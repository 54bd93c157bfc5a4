#include "controls/MovieScrollButton.h"

#include "controls/ButtonLayout.h"
#include "editor/PluginHost.h"
#include "editor/PlayStates.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

CMovieScrollButton::CMovieScrollButton(IPluginHost& host) : CCommandButton(host, {kIdSeekBack, kIdSeekForward}) {}

void CMovieScrollButton::OnClicked(size_t index)
{
    double position = 0.0;
    if (!IsActivePlayState(m_host.PlayState()) || !m_host.Position(position))
        return;
    if (index == 0) {
        position = position > kStepSeconds ? position - kStepSeconds : 0.0;
    } else {
        position += kStepSeconds;
        // A movie that does not tell its length has no end to stop at.
        const double duration = m_host.Duration();
        if (duration > 0.0 && position > duration)
            position = duration;
    }
    m_host.SetPosition(position);
    m_host.TimeLine().RepositionAt(position);
}

} // namespace TervaneControl
