#include "controls/GraphButton.h"

#include "controls/ButtonLayout.h"
#include "editor/PluginHost.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

namespace {

constexpr size_t kZoomOut = 0;
constexpr size_t kZoomIn = 1;

} // namespace

CGraphButton::CGraphButton(IPluginHost& host) : CCommandButton(host, {kIdZoomOut, kIdZoomIn}) {}

bool CGraphButton::Create(HWND editor, const std::string& moduleDirectory)
{
    const bool created = CCommandButton::Create(editor, moduleDirectory);
    const int zoom = m_host.TimeLine().GetZoomMode();
    m_zoom = zoom < 0 ? 0 : zoom > kMostZoom ? kMostZoom : zoom;
    ShowZoom();
    return created;
}

void CGraphButton::ShowZoom()
{
    if (FaceCount() < 2)
        return;
    Face(kZoomOut).SetEnabled(m_zoom < kMostZoom);
    Face(kZoomIn).SetEnabled(m_zoom > 0);
}

void CGraphButton::OnClicked(size_t index)
{
    const int zoom = index == kZoomOut ? m_zoom + 1 : m_zoom - 1;
    if (zoom < 0 || zoom > kMostZoom)
        return;
    m_zoom = zoom;
    m_host.TimeLine().SetZoomMode(m_zoom);
    ShowZoom();
}

} // namespace TervaneControl
