#include "controls/SelectButton.h"

#include "controls/ButtonLayout.h"
#include "editor/EditorContext.h"
#include "editor/PluginHost.h"
#include "editor/PlayStates.h"

namespace TervaneControl {

namespace {

constexpr size_t kPlayPause = 0;
constexpr size_t kStop = 1;

const char* const kRingSkins[] = {"\\obj\\a010_000.bmp", "\\obj\\a010_001.bmp", "\\obj\\a010_002.bmp"};
constexpr POINT kRingNormal = {358, 375};
constexpr POINT kRingWide = {608, 524};

bool IsPlayingState(LONG state)
{
    return state >= kPlayPlaying && state <= kPlayScanReverse;
}

// A player that has a movie ready but has not started it is as good as stopped: play
// must start it.
bool IsStoppedState(LONG state)
{
    return state == kPlayStopped || state == kPlayReady;
}

} // namespace

CSelectButton::CSelectButton(IPluginHost& host) : CCommandButton(host, {kIdPlayPause, kIdStop}) {}

bool CSelectButton::Create(HWND editor, const std::string& moduleDirectory)
{
    const bool created = CCommandButton::Create(editor, moduleDirectory);
    for (auto& face : m_faces)
        face->Enable(false);
    for (int i = 0; i < kRingCount; ++i) {
        m_rings[i].Load((moduleDirectory + kRingSkins[i]).c_str());
        m_rings[i].Place(EditorContext().backBufferDC, kRingNormal.x, kRingNormal.y, 1, 1);
    }
    return created;
}

void CSelectButton::OnSizeMode(WPARAM request)
{
    CCommandButton::OnSizeMode(request);
    const POINT at = m_sizeMode == kSizeModeWide ? kRingWide : kRingNormal;
    for (CGdiTexture2& ring : m_rings)
        ring.SetPosition(at.x, at.y);
}

void CSelectButton::OnMediaOpen()
{
    m_enabled = true;
    m_stopped = false;
    m_playing = !IsPlayingState(m_host.PlayState());
}

void CSelectButton::FollowPlayer()
{
    if (!m_enabled || FaceCount() < 2)
        return;
    // The flags follow the state itself, not only its changes: a movie that starts playing
    // before the first pass after it opened still gets its pause and stop buttons.
    const LONG state = m_host.PlayState();
    if (IsStoppedState(state)) {
        Face(kPlayPause).SetEnabled(true);
        Face(kStop).SetEnabled(false);
        m_playing = false;
        m_stopped = true;
    } else if (state == kPlayPaused || IsPlayingState(state)) {
        Face(kPlayPause).SetEnabled(true);
        Face(kStop).SetEnabled(true);
        m_playing = state != kPlayPaused;
        m_stopped = false;
    }
}

void CSelectButton::OnDraw(HDC dc)
{
    FollowPlayer();
    m_rings[kRingBase].DrawKeyed(dc, 0, 0);
    m_rings[m_playing ? kRingPlaying : kRingIdle].DrawKeyed(dc, 0, 0);
    if (FaceCount() < 2)
        return;
    // Play/pause shows the pause face (state 2, or 3 under the pointer) while the movie plays.
    CButtonFace& playPause = Face(kPlayPause);
    if (playPause.IsEnabled()) {
        playPause.PollHover();
        const bool hovered = playPause.IsHovered();
        playPause.SetState(m_playing ? (hovered ? kStatePressedHover : kStatePressed)
                                     : (hovered ? kStateHover : kStateNormal));
    }
    playPause.DrawStrip(dc);
    Face(kStop).Draw(dc);
}

void CSelectButton::OnDrawItem(HWND window, WPARAM wParam, const DRAWITEMSTRUCT* item)
{
    // The play/pause face follows the player, not the press: only stop shows its press.
    if (FaceCount() == 2 && item != nullptr && item->hwndItem == Face(kPlayPause).GetWindow())
        return;
    CCommandButton::OnDrawItem(window, wParam, item);
}

void CSelectButton::OnClicked(size_t index)
{
    if (index == kPlayPause)
        PlayOrPause();
    else
        Stop();
    if (FaceCount() == 2) {
        const HWND window = Face(kPlayPause).GetWindow();
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }
}

void CSelectButton::PlayOrPause()
{
    IWMPControls* controls = m_host.Controls();
    const LONG state = m_host.PlayState();
    if (!m_enabled || controls == nullptr)
        return;
    if (IsPlayingState(state)) {
        m_playing = false;
        m_stopped = false;
        controls->pause();
    } else if (state == kPlayPaused || m_stopped) {
        m_playing = true;
        m_stopped = false;
        controls->play();
        if (FaceCount() == 2)
            Face(kStop).SetEnabled(true);
    }
}

void CSelectButton::Stop()
{
    IWMPControls* controls = m_host.Controls();
    if (!IsActivePlayState(m_host.PlayState()) || controls == nullptr)
        return;
    m_playing = false;
    m_stopped = true;
    controls->stop();
    if (FaceCount() == 2)
        Face(kStop).Enable(false);
}

} // namespace TervaneControl
