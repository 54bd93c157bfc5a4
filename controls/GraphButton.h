#pragma once
#include "controls/CommandButton.h"

namespace TervaneControl {

// Zoom out and zoom in step the graph one zoom mode at a time between 0 (10 s across) and
// 2 (100 s across); the button that would go past either end is disabled.
class CGraphButton : public CCommandButton {
public:
    static constexpr int kMostZoom = 2;

    explicit CGraphButton(IPluginHost& host);

    // Starts from the zoom mode the time line keeps, which outlives the window.
    bool Create(HWND editor, const std::string& moduleDirectory) override;
    void OnClicked(size_t index) override;
    int GetZoom() const { return m_zoom; }

private:
    void ShowZoom();

    int m_zoom = 0;
};

} // namespace TervaneControl
