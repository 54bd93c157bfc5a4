#pragma once
#include "controls/CommandButton.h"

namespace TervaneControl {

// Seek back and forward: five seconds at a time, never before the start or past the end of
// the movie, while it is playing, paused or scanning.
class CMovieScrollButton : public CCommandButton {
public:
    static constexpr double kStepSeconds = 5.0;

    explicit CMovieScrollButton(IPluginHost& host);
    void OnClicked(size_t index) override;
};

} // namespace TervaneControl
