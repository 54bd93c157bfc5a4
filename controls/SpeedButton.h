#pragma once
#include <cstdint>

#include "controls/CommandButton.h"
#include "editor/GdiObjects.h"

namespace TervaneControl {

// Speed down and up: the playback rate in tenths, 0.5x to 2.0x, shown as two digits beside
// the buttons. The button at its end of the range is disabled.
class CSpeedButton : public CCommandButton {
public:
    static constexpr int32_t kSlowest = 5;
    static constexpr int32_t kNormal = 10;
    static constexpr int32_t kFastest = 20;
    // The digits' colour, as the time box's.
    static constexpr COLORREF kDigitColour = 0x0005A5F8;

    explicit CSpeedButton(IPluginHost& host);

    bool Create(HWND editor, const std::string& moduleDirectory) override;
    void OnDraw(HDC dc) override;
    void OnClicked(size_t index) override;
    void OnPlaying() override { ApplyRate(); }
    void OnReady() override;
    // A window that comes up while a movie is open shows the rate the player has.
    void OnMediaOpen() override;
    int32_t GetSpeed() const { return m_speed; }

private:
    void ApplyRate();
    void DrawDigits(HDC dc);

    int32_t m_speed = kNormal;
    CFontHandle m_font;
};

} // namespace TervaneControl
