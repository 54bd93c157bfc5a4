#pragma once
#include "controls/CommandButton.h"

namespace TervaneControl {

// Deletes every entry of the time sheet, in the editor and on the device, once the user
// confirms; the device then starts over from an empty sheet.
class CAllDeleteButton : public CCommandButton {
public:
    explicit CAllDeleteButton(IPluginHost& host);
    void OnClicked(size_t index) override;
};

} // namespace TervaneControl
