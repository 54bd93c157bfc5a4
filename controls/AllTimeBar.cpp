#include "controls/AllTimeBar.h"

#include <windowsx.h>

#include "editor/EditorContext.h"
#include "editor/PaintLook.h"
#include "editor/PluginHost.h"
#include "editor/PluginMessages.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

namespace {

struct BarPlace {
    int32_t x;
    int32_t y;
};
constexpr BarPlace kNormalBar = {37, 385};
constexpr BarPlace kWideBar = {287, 534};
// The box reaches this far above the bar's top and below it.
constexpr int32_t kBoxAbove = 5;
constexpr int32_t kBoxBelow = 15;
// The strip of the sheet lies inside the 10-pixel bar, a pixel below its top.
constexpr int32_t kStripTop = 1;

} // namespace

bool CAllTimeBar::Initialize(const ButtonData& data)
{
    m_data = data;
    m_bar.Load(m_data.m_skinPath.c_str());
    m_bar.Place(EditorContext().backBufferDC, m_data.m_normalX, m_data.m_normalY, 1, 1);
    m_geometry.barWidth = m_bar.GetImageWidth();
    m_geometry.origin = m_data.m_normalX;
    m_pen.Reset(CreatePen(PS_SOLID, 0, kBoxColour));
    SetMode(kSizeModeNormal);
    return true;
}

void CAllTimeBar::SetMode(SizeMode mode)
{
    m_sizeMode = mode;
    const BarPlace place = mode == kSizeModeWide ? kWideBar : kNormalBar;
    m_geometry.origin = place.x;
    m_barY = place.y;
    EndDrag();
    MoveBox(m_geometry.origin);
}

void CAllTimeBar::MoveBox(int32_t left)
{
    m_boxLeft = left;
    m_boxRect = RECT{left, m_barY - kBoxAbove, left + m_geometry.boxWidth, m_barY + kBoxBelow};
}

void CAllTimeBar::OnMediaOpened(HWND, WPARAM, LPARAM)
{
    const double duration = m_host.Duration();
    m_ready = duration > 0.0;
    EndDrag();
    if (!m_ready)
        return;
    m_duration = duration;
    m_geometry.boxWidth = OverviewGeometry::BoxWidthFor(m_geometry.barWidth, duration);
    SetMode(m_sizeMode);
}

void CAllTimeBar::Paint(HDC dest)
{
    if (!m_ready || dest == nullptr)
        return;
    const CTimeLineButtonManager& timeLine = m_host.TimeLine();
    const RECT strip = GetStripRect();
    double position = 0.0;
    if (!m_dragging && m_host.Position(position))
        MoveBox(m_geometry.LeftAt(position, m_duration));
    // The box moves along the strip as the movie plays: a look of its own, so that only
    // where it was and where it is paint again, not the whole strip and what lies under it.
    const uint64_t stripLook = CLookDigest()
                                   .Add(static_cast<uint64_t>(timeLine.Document().Revision()))
                                   .Add(m_duration)
                                   .Add(strip)
                                   .Value();
    if (PaintLook::Note(dest, strip, stripLook)) {
        PaintLook::Note(dest, m_boxRect, CLookDigest().Add(m_boxRect).Value());
        return;
    }
    m_strip.Paint(dest, strip.left, strip.top, strip.right - strip.left, timeLine.Document(), m_duration);
    const CScopedSelect pen(dest, m_pen.Get());
    const CScopedSelect brush(dest, GetStockObject(NULL_BRUSH));
    Rectangle(dest, m_boxRect.left, m_boxRect.top, m_boxRect.right, m_boxRect.bottom);
}

RECT CAllTimeBar::GetStripRect() const
{
    const int32_t top = m_barY + kStripTop;
    return RECT{m_geometry.origin, top, m_geometry.origin + m_geometry.barWidth, top + CSheetStrip::kHeight};
}

void CAllTimeBar::OnSizeMode(WPARAM request)
{
    SizeMode mode;
    if (SizeModeFromRequest(request, mode))
        SetMode(mode);
}

void CAllTimeBar::OnLButtonDown(HWND, WPARAM, LPARAM lParam)
{
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (m_ready && PtInRect(&m_boxRect, at))
        BeginDrag();
}

void CAllTimeBar::OnMouseMove(WPARAM keys, int32_t x, int32_t)
{
    if (!m_dragging)
        return;
    // A box dragged with the button up lost its release: it goes back to the position.
    if (CanSeekIn(m_host.PlayState()) && (keys & MK_LBUTTON) != 0)
        MoveBox(m_geometry.ClampedLeft(x));
    else
        LoseDrag();
}

void CAllTimeBar::OnLButtonUp(HWND, WPARAM, LPARAM lParam)
{
    if (!m_dragging)
        return;
    EndDrag();
    MoveBox(m_geometry.ClampedLeft(GET_X_LPARAM(lParam)));
    SeekTo(m_geometry.PositionAt(m_boxLeft, m_duration), true);
}

} // namespace TervaneControl
