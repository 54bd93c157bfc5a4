#pragma once
#include "controls/CommandButton.h"

namespace TervaneControl {

// Shrink and enlarge: normal goes to mini or wide, either goes back to normal. The button
// follows the size mode the editor actually takes, whoever asked for it, so the way back
// is always the one offered: the button that would lead nowhere is disabled.
class CWindowButton : public CCommandButton {
public:
    explicit CWindowButton(IPluginHost& host);

    void OnSizeMode(WPARAM request) override;
    void OnClicked(size_t index) override;

private:
    void ShowMode();
};

} // namespace TervaneControl
