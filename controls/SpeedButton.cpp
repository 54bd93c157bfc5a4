#include "controls/SpeedButton.h"
#include "editor/Font.h"
#include "editor/PaintLook.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "controls/ButtonLayout.h"
#include "editor/PluginHost.h"

namespace TervaneControl {

namespace {

constexpr size_t kDown = 0;
constexpr size_t kUp = 1;

// Where the whole and the tenths digit go in the normal and the wide window.
const RECT kDigitRects[2][2] = {
    {{165, 404, 200, 440}, {193, 404, 223, 440}},
    {{415, 553, 440, 580}, {439, 553, 460, 580}},
};

} // namespace

CSpeedButton::CSpeedButton(IPluginHost& host) : CCommandButton(host, {kIdSpeedDown, kIdSpeedUp}) {}

bool CSpeedButton::Create(HWND editor, const std::string& moduleDirectory)
{
    m_font.Reset(CreateEditorFont(24, kPopFace, FW_BOLD));
    return CCommandButton::Create(editor, moduleDirectory);
}

void CSpeedButton::OnClicked(size_t index)
{
    if (FaceCount() < 2 || !Face(index).IsEnabled())
        return;
    if (index == kUp) {
        if (++m_speed >= kFastest) {
            m_speed = kFastest;
            Face(kUp).Enable(false);
        } else {
            Face(kDown).SetEnabled(true);
        }
    } else {
        if (--m_speed <= kSlowest) {
            m_speed = kSlowest;
            Face(kDown).Enable(false);
        } else {
            Face(kUp).SetEnabled(true);
        }
    }
    ApplyRate();
    InvalidateRect(m_editor, nullptr, FALSE);
    UpdateWindow(m_editor);
}

void CSpeedButton::OnReady()
{
    // A button at its end of the range stays disabled: a click there could change nothing.
    if (FaceCount() == 2) {
        Face(kDown).SetEnabled(m_speed > kSlowest);
        Face(kUp).SetEnabled(m_speed < kFastest);
    }
    ApplyRate();
}

void CSpeedButton::OnMediaOpen()
{
    double rate = 0.0;
    IWMPSettings* settings = m_host.Settings();
    if (settings == nullptr || FAILED(settings->get_rate(&rate)) || !(rate > 0.0))
        return;
    const long tenths = std::lround(rate * 10.0);
    m_speed = static_cast<int32_t>(std::max<long>(kSlowest, std::min<long>(kFastest, tenths)));
}

void CSpeedButton::ApplyRate()
{
    // Single precision first, as the rate has always been computed: 1.9x is 1.9f.
    const float rate = static_cast<float>(m_speed) / 10.0f;
    if (IWMPSettings* settings = m_host.Settings())
        settings->put_rate(static_cast<double>(rate));
}

void CSpeedButton::OnDraw(HDC dc)
{
    CCommandButton::OnDraw(dc);
    DrawDigits(dc);
}

void CSpeedButton::DrawDigits(HDC dc)
{
    // The mini window has no room for the digits.
    if (dc == nullptr || m_sizeMode == kSizeModeMini)
        return;
    const RECT(&rects)[2] = kDigitRects[m_sizeMode == kSizeModeWide ? 1 : 0];
    const int32_t digits[2] = {m_speed / 10, m_speed % 10};
    RECT bounds;
    UnionRect(&bounds, &rects[0], &rects[1]);
    if (PaintLook::Note(dc, bounds, CLookDigest().Add(m_speed).Add(static_cast<int32_t>(m_sizeMode)).Value()))
        return;
    // The overview strip's box beside the button makes it paint again at nearly every tick of
    // a short movie: where the digits are not painted, their font is not selected either.
    if (!RectVisible(dc, &bounds))
        return;
    const CScopedFont font(dc, m_font.Get());
    const COLORREF previousColour = SetTextColor(dc, kDigitColour);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < 2; ++i) {
        wchar_t text[16];
        std::swprintf(text, sizeof text / sizeof text[0], L"%d", static_cast<int>(digits[i]));
        RECT rect = rects[i];
        DrawTextW(dc, text, -1, &rect, DT_SINGLELINE);
    }
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
}

} // namespace TervaneControl
