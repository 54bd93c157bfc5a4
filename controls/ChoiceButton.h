#pragma once
#include <cstdint>
#include <vector>

#include "controls/ButtonLayout.h"
#include "controls/CommandButton.h"

namespace TervaneControl {

// The pattern and the level last chosen, as WM_PLUGIN_PATTERN and WM_PLUGIN_LEVEL announce
// them; a value out of range changes nothing.
struct ChosenPatternLevel {
    int32_t pattern = 0;
    int32_t level = 0;

    void TakePattern(WPARAM wParam)
    {
        if (wParam < static_cast<WPARAM>(kPatternCount))
            pattern = static_cast<int32_t>(wParam);
    }
    void TakeLevel(WPARAM wParam)
    {
        if (wParam < static_cast<WPARAM>(kLevelCount))
            level = static_cast<int32_t>(wParam);
    }
};

// A row of toggle buttons of which at most one is selected: the face of a selected button
// shows state 2, the others hover. While the device previews, a choice reaches it at once.
class CChoiceButton : public CCommandButton {
public:
    CChoiceButton(IPluginHost& host, uint32_t firstIdentifier, int32_t count);

    void OnDraw(HDC dc) override;

    bool IsSelected(size_t index) const { return index < m_selected.size() && m_selected[index]; }
    // Nothing selected when index is out of range.
    void SelectOnly(size_t index);
    int32_t GetCurrent() const { return m_current; }

protected:
    std::vector<bool> m_selected;
    int32_t m_current = 0;
};

// The ten pattern buttons. Clicking the selected one clears the choice (WM_PLUGIN_PATTERN
// with lParam 100); the marks follow the message from any sender, the drop image's wheel too.
class CPatternButton : public CChoiceButton {
public:
    static constexpr LPARAM kClearChoice = 100;

    explicit CPatternButton(IPluginHost& host);
    void OnClicked(size_t index) override;
    void OnPattern(WPARAM wParam, LPARAM lParam) override;
};

// The eleven level buttons. Clicking the selected one chooses level 0 with none selected;
// only a click moves the marks, since level 0 and "none" arrive as the same message.
class CLevelButton : public CChoiceButton {
public:
    explicit CLevelButton(IPluginHost& host);
    void OnClicked(size_t index) override;
    void OnLevel(WPARAM wParam) override;
};

} // namespace TervaneControl
