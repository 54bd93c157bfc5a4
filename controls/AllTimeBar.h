#pragma once
#include "controls/ButtonData.h"
#include "controls/Scroll.h"
#include "controls/SeekGeometry.h"
#include "controls/SheetStrip.h"
#include "editor/GdiObjects.h"
#include "editor/GdiTexture2.h"
#include "editor/PluginMessages.h"

namespace TervaneControl {

// The overview bar: a hollow box that rides along the whole-movie bar at the playback
// position. It can be dragged; the player seeks only when it is let go.
class CAllTimeBar : public CScroll {
public:
    static constexpr COLORREF kBoxColour = RGB(177, 17, 44);

    explicit CAllTimeBar(IPluginHost& host) : CScroll(host) {}

    // data carries the bar image's path and its x.
    bool Initialize(const ButtonData& data);

    void Paint(HDC dest) override;
    void OnSizeMode(WPARAM request) override;
    void OnMouseMove(WPARAM keys, int32_t x, int32_t y) override;
    void OnLButtonDown(HWND window, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonUp(HWND window, WPARAM wParam, LPARAM lParam) override;
    void OnMediaOpened(HWND window, WPARAM wParam, LPARAM lParam) override;

    const OverviewGeometry& Geometry() const { return m_geometry; }
    RECT GetBoxRect() const { return m_boxRect; }
    const CSheetStrip& Strip() const { return m_strip; }
    // Where the strip lies on the back buffer now.
    RECT GetStripRect() const;

private:
    void SetMode(SizeMode mode);
    void MoveBox(int32_t left);

    ButtonData m_data;
    CGdiTexture2 m_bar;
    OverviewGeometry m_geometry;
    RECT m_boxRect = {};
    int32_t m_boxLeft = 0;
    int32_t m_barY = 0;
    double m_duration = 0.0;
    SizeMode m_sizeMode = kSizeModeNormal;
    CGdiObject<HPEN> m_pen;
    CSheetStrip m_strip;
};

} // namespace TervaneControl
