#include "controls/ChoiceButton.h"

#include "device/TervaneManager.h"
#include "editor/PluginHost.h"
#include "editor/PluginMessages.h"

namespace TervaneControl {

namespace {

std::vector<uint32_t> Identifiers(uint32_t first, int32_t count)
{
    std::vector<uint32_t> identifiers;
    for (int32_t i = 0; i < count; ++i)
        identifiers.push_back(first + static_cast<uint32_t>(i));
    return identifiers;
}

// The device that previews, or null when no preview is on.
CTervane* PreviewingDevice(IPluginHost& host)
{
    CTervaneManager* manager = host.DeviceManager();
    return manager != nullptr && manager->IsPreviewing() ? &manager->Device() : nullptr;
}

} // namespace

CChoiceButton::CChoiceButton(IPluginHost& host, uint32_t firstIdentifier, int32_t count)
    : CCommandButton(host, Identifiers(firstIdentifier, count)), m_selected(static_cast<size_t>(count), false)
{
}

void CChoiceButton::SelectOnly(size_t index)
{
    for (size_t i = 0; i < m_selected.size(); ++i)
        m_selected[i] = i == index;
}

void CChoiceButton::OnDraw(HDC dc)
{
    for (size_t i = 0; i < FaceCount(); ++i)
        Face(i).DrawToggle(dc, IsSelected(i));
}

CPatternButton::CPatternButton(IPluginHost& host) : CChoiceButton(host, kIdFirstPattern, kPatternCount) {}

void CPatternButton::OnClicked(size_t index)
{
    if (IsSelected(index)) {
        SendMessageW(m_editor, WM_PLUGIN_PATTERN, 0, kClearChoice);
        SelectOnly(m_selected.size());
    } else {
        SendMessageW(m_editor, WM_PLUGIN_PATTERN, static_cast<WPARAM>(index), 0);
        SelectOnly(index);
    }
}

void CPatternButton::OnPattern(WPARAM wParam, LPARAM lParam)
{
    if (wParam >= m_selected.size())
        return;
    SelectOnly(lParam == kClearChoice ? m_selected.size() : static_cast<size_t>(wParam));
    m_current = static_cast<int32_t>(wParam);
    if (CTervane* device = PreviewingDevice(m_host))
        device->SetPattern(m_current);
}

CLevelButton::CLevelButton(IPluginHost& host) : CChoiceButton(host, kIdFirstLevel, kLevelCount) {}

void CLevelButton::OnClicked(size_t index)
{
    if (IsSelected(index)) {
        SelectOnly(m_selected.size());
        SendMessageW(m_editor, WM_PLUGIN_LEVEL, 0, 0);
    } else {
        SelectOnly(index);
        SendMessageW(m_editor, WM_PLUGIN_LEVEL, static_cast<WPARAM>(index), 0);
    }
}

void CLevelButton::OnLevel(WPARAM wParam)
{
    if (wParam >= m_selected.size())
        return;
    m_current = static_cast<int32_t>(wParam);
    if (CTervane* device = PreviewingDevice(m_host))
        device->SetLevel(m_current);
}

} // namespace TervaneControl
