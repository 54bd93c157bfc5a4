#include "editor/PluginHost.h"

LONG IPluginHost::PlayState()
{
    IWMPCore* core = Core();
    WMPPlayState state = wmppsUndefined;
    if (core == nullptr || FAILED(core->get_playState(&state)))
        return 0;
    return static_cast<LONG>(state);
}

bool IPluginHost::Position(double& seconds)
{
    IWMPControls* controls = Controls();
    double position = 0.0;
    if (controls == nullptr || FAILED(controls->get_currentPosition(&position)) || !(position == position))
        return false;
    seconds = position;
    return true;
}

bool IPluginHost::SetPosition(double seconds)
{
    IWMPControls* controls = Controls();
    return controls != nullptr && SUCCEEDED(controls->put_currentPosition(seconds));
}
