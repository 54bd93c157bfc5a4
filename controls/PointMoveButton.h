#pragma once
#include "controls/CommandButton.h"

namespace TervaneControl {

// Previous and next point: jump the movie to the time-line entry before or after the
// playback position. Each is offered only while a movie is open and playing, paused or
// scanning, and only while there is an entry to go to within the movie.
class CPointMoveButton : public CCommandButton {
public:
    explicit CPointMoveButton(IPluginHost& host);

    void OnDraw(HDC dc) override;
    void OnMediaOpen() override { m_mediaOpened = true; }
    void OnClicked(size_t index) override;

private:
    bool m_mediaOpened = false;
};

} // namespace TervaneControl
