#pragma once
#include "controls/ChoiceButton.h"
#include "controls/CommandButton.h"

namespace TervaneControl {

// A button that acts with the pattern and the level last chosen.
class CChoiceUser : public CCommandButton {
public:
    CChoiceUser(IPluginHost& host, uint32_t identifier) : CCommandButton(host, {identifier}) {}

    void OnPattern(WPARAM wParam, LPARAM) override { m_choice.TakePattern(wParam); }
    void OnLevel(WPARAM wParam) override { m_choice.TakeLevel(wParam); }

protected:
    ChosenPatternLevel m_choice;
};

// Inserts an entry with the chosen pattern and level at the playback position (at 0 while
// the movie is stopped), in the editor and on the device's sheet alike.
class CInsertButton : public CChoiceUser {
public:
    explicit CInsertButton(IPluginHost& host);
    void OnClicked(size_t index) override;
};

// Preview: the device plays the chosen pattern and level at once, whatever the sheet says,
// until the button is pressed again. The face shows state 2 while the preview is on.
class CPlayViewButton : public CChoiceUser {
public:
    explicit CPlayViewButton(IPluginHost& host);
    void OnClicked(size_t index) override;
    void OnDraw(HDC dc) override;
    bool IsPreviewing() const;
};

} // namespace TervaneControl
