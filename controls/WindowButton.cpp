#include "controls/WindowButton.h"

#include "controls/ButtonLayout.h"

namespace TervaneControl {

namespace {

constexpr size_t kShrink = 0;
constexpr size_t kEnlarge = 1;

} // namespace

CWindowButton::CWindowButton(IPluginHost& host) : CCommandButton(host, {kIdWindowShrink, kIdWindowEnlarge}) {}

void CWindowButton::OnSizeMode(WPARAM request)
{
    CCommandButton::OnSizeMode(request);
    ShowMode();
}

void CWindowButton::ShowMode()
{
    if (FaceCount() < 2)
        return;
    Face(kShrink).SetEnabled(m_sizeMode != kSizeModeMini);
    Face(kEnlarge).SetEnabled(m_sizeMode != kSizeModeWide);
}

void CWindowButton::OnClicked(size_t index)
{
    WPARAM request = 0;
    if (m_sizeMode == kSizeModeNormal)
        request = index == kShrink ? kSizeModeRequestMini : kSizeModeRequestWide;
    else if ((m_sizeMode == kSizeModeWide && index == kShrink) || (m_sizeMode == kSizeModeMini && index == kEnlarge))
        request = kSizeModeRequestNormal;
    else
        return;
    // The editor window resizes the player's area and tells every control, this one included.
    SendMessageW(m_editor, WM_PLUGIN_SIZEMODE, request, 0);
}

} // namespace TervaneControl
