#include "controls/BitmapScroll.h"

#include <windowsx.h>

#include "editor/EditorContext.h"
#include "editor/PluginHost.h"
#include "editor/PluginMessages.h"
#include "editor/PlayStates.h"

namespace TervaneControl {

namespace {

struct TrackPlace {
    int32_t x;
    int32_t thumbCentreY;
};
constexpr TrackPlace kNormalTrack = {53, 314};
constexpr TrackPlace kWideTrack = {71, 458};
// The track rectangle reaches this far above and below the thumb's centre line.
constexpr int32_t kTrackAbove = 5;
constexpr int32_t kTrackBelow = 5;

} // namespace

bool CBitmapScroll::Initialize(const ButtonData& data, const std::string& moduleDirectory)
{
    m_data = data;
    const HDC reference = EditorContext().backBufferDC;
    m_thumb.Load(m_data.m_skinPath.c_str());
    m_thumb.Place(reference, kNormalTrack.x, kNormalTrack.thumbCentreY, 1, 1);
    m_normalTrack.Load((moduleDirectory + "\\obj\\a003_000.bmp").c_str());
    m_normalTrack.Place(reference, 0, 0, 1, 1);
    m_wideTrack.Load((moduleDirectory + "\\obj\\b002_000.bmp").c_str());
    m_wideTrack.Place(reference, 0, 0, 1, 1);
    m_geometry.thumbWidth = m_thumb.GetImageWidth();
    m_thumbHeight = m_thumb.GetImageHeight();
    SetMode(kSizeModeNormal);
    return true;
}

void CBitmapScroll::SetMode(SizeMode mode)
{
    m_sizeMode = mode;
    const bool wide = mode == kSizeModeWide;
    const TrackPlace place = wide ? kWideTrack : kNormalTrack;
    const CGdiTexture2& track = wide ? m_wideTrack : m_normalTrack;
    m_geometry.trackX = place.x;
    m_geometry.trackWidth = track.GetImageWidth();
    m_thumbTop = place.thumbCentreY - m_thumbHeight / 2;
    m_trackRect = RECT{place.x, place.thumbCentreY - kTrackAbove, place.x + track.GetImageWidth(),
                       place.thumbCentreY + kTrackBelow + track.GetImageHeight()};
    MoveThumb(m_geometry.MinimumLeft());
}

void CBitmapScroll::MoveThumb(int32_t left)
{
    m_thumbLeft = left;
    m_thumbRect = RECT{left, m_thumbTop, left + m_geometry.thumbWidth, m_thumbTop + m_thumbHeight};
}

void CBitmapScroll::OnMediaOpened(HWND, WPARAM, LPARAM)
{
    const double duration = m_host.Duration();
    // A movie that does not tell its length gives the slider nothing to stand for.
    m_ready = duration > 0.0;
    EndDrag();
    if (!m_ready)
        return;
    m_duration = static_cast<float>(duration);
    SetMode(m_sizeMode);
}

void CBitmapScroll::Paint(HDC dest)
{
    if (!m_ready)
        return;
    double position = 0.0;
    if (!m_dragging && m_host.Position(position))
        MoveThumb(m_geometry.LeftAt(position, m_duration));
    m_thumb.SetPosition(m_thumbRect.left, m_thumbRect.top);
    if (m_thumb.HasImage())
        m_thumb.DrawKeyed(dest, 0, 0);
}

void CBitmapScroll::OnSizeMode(WPARAM request)
{
    SizeMode mode;
    if (SizeModeFromRequest(request, mode))
        SetMode(mode);
}

void CBitmapScroll::SeekToPointer(int32_t x, bool moveTimeLine)
{
    MoveThumb(m_geometry.ClampedLeft(x));
    SeekTo(m_geometry.PositionAt(m_thumbLeft, m_duration), moveTimeLine);
}

void CBitmapScroll::OnLButtonDown(HWND, WPARAM, LPARAM lParam)
{
    const POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const LONG state = m_host.PlayState();
    m_stateAtPress = state;
    if (!CanSeekIn(state))
        return;
    if (PtInRect(&m_thumbRect, at)) {
        BeginDrag();
        // A moving movie holds still while its thumb is held.
        if (state != kPlayStopped)
            if (IWMPControls* controls = m_host.Controls())
                controls->pause();
    } else if (PtInRect(&m_trackRect, at)) {
        BeginDrag();
        SeekToPointer(at.x, true);
    }
}

void CBitmapScroll::OnMouseMove(WPARAM keys, int32_t x, int32_t)
{
    if (!m_dragging)
        return;
    if (CanSeekIn(m_host.PlayState()) && (keys & MK_LBUTTON) != 0)
        SeekToPointer(x, false);
    else
        LoseDrag();
}

void CBitmapScroll::OnLButtonUp(HWND, WPARAM, LPARAM lParam)
{
    if (!m_dragging)
        return;
    const LONG state = m_host.PlayState();
    EndDrag();
    if (CanSeekIn(state))
        SeekToPointer(GET_X_LPARAM(lParam), true);
    if (state != kPlayStopped)
        RestorePlayState();
}

void CBitmapScroll::OnDragLost()
{
    // The movie the press held still moves again; it stays where the drag left it.
    if (m_host.PlayState() != kPlayStopped)
        RestorePlayState();
}

void CBitmapScroll::RestorePlayState()
{
    IWMPControls* controls = m_host.Controls();
    if (controls == nullptr)
        return;
    switch (m_stateAtPress) {
    case kPlayPaused:
        controls->pause();
        break;
    case kPlayPlaying:
        controls->play();
        break;
    case kPlayScanForward:
        controls->fastForward();
        break;
    case kPlayScanReverse:
        controls->fastReverse();
        break;
    default:
        break;
    }
}

} // namespace TervaneControl
