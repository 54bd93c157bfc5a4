#pragma once
#include <string>

#include "controls/ButtonData.h"
#include "controls/Scroll.h"
#include "controls/SeekGeometry.h"
#include "editor/GdiTexture2.h"
#include "editor/PluginMessages.h"

namespace TervaneControl {

// The seek slider: a thumb on the seek track that follows the playback position. A press
// on the thumb takes it (pausing a moving movie), a press on the track jumps there; the
// player follows the drag and, at the release, the play state of the press comes back.
class CBitmapScroll : public CScroll {
public:
    explicit CBitmapScroll(IPluginHost& host) : CScroll(host) {}

    // data carries the thumb image's path.
    bool Initialize(const ButtonData& data, const std::string& moduleDirectory);

    void Paint(HDC dest) override;
    void OnSizeMode(WPARAM request) override;
    void OnMouseMove(WPARAM keys, int32_t x, int32_t y) override;
    void OnLButtonDown(HWND window, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonUp(HWND window, WPARAM wParam, LPARAM lParam) override;
    void OnMediaOpened(HWND window, WPARAM wParam, LPARAM lParam) override;
    void OnDragLost() override;

    const SliderGeometry& Geometry() const { return m_geometry; }
    int32_t GetThumbLeft() const { return m_thumbLeft; }
    RECT GetTrackRect() const { return m_trackRect; }

private:
    void SetMode(SizeMode mode);
    void MoveThumb(int32_t left);
    // The thumb to the pointer at x, and the player to its position.
    void SeekToPointer(int32_t x, bool moveTimeLine);
    void RestorePlayState();

    ButtonData m_data;
    CGdiTexture2 m_thumb;
    CGdiTexture2 m_normalTrack;
    CGdiTexture2 m_wideTrack;
    SliderGeometry m_geometry;
    RECT m_thumbRect = {};
    RECT m_trackRect = {};
    int32_t m_thumbLeft = 0;
    int32_t m_thumbTop = 0;
    int32_t m_thumbHeight = 0;
    float m_duration = 0.0f;
    SizeMode m_sizeMode = kSizeModeNormal;
    LONG m_stateAtPress = 0;
};

} // namespace TervaneControl
