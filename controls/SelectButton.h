#pragma once
#include "controls/CommandButton.h"
#include "editor/GdiTexture2.h"

namespace TervaneControl {

// Play/pause and stop, inside a ring that glows differently while the movie plays. Both
// wait, disabled, until the player reports a medium or readiness; from then on every
// render pass brings the buttons in line with the player's own state, whoever changed it.
class CSelectButton : public CCommandButton {
public:
    explicit CSelectButton(IPluginHost& host);

    bool Create(HWND editor, const std::string& moduleDirectory) override;
    void OnSizeMode(WPARAM request) override;
    void OnDraw(HDC dc) override;
    void OnDrawItem(HWND window, WPARAM wParam, const DRAWITEMSTRUCT* item) override;
    void OnClicked(size_t index) override;
    void OnReady() override { m_enabled = true; }
    void OnMediaOpen() override;

    bool IsPlaying() const { return m_playing; }
    bool IsStopped() const { return m_stopped; }

private:
    enum Ring { kRingBase, kRingIdle, kRingPlaying, kRingCount };

    void FollowPlayer();
    void PlayOrPause();
    void Stop();

    bool m_enabled = false;
    bool m_playing = false;
    bool m_stopped = false;
    CGdiTexture2 m_rings[kRingCount];
};

} // namespace TervaneControl
