#include "controls/InsertButton.h"

#include "device/TervaneManager.h"
#include "editor/PluginHost.h"
#include "editor/PlayStates.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

CInsertButton::CInsertButton(IPluginHost& host) : CChoiceUser(host, kIdInsert) {}

void CInsertButton::OnClicked(size_t)
{
    double position = 0.0;
    // A moving movie whose position can't be read gives no place to insert at.
    if (IsActivePlayState(m_host.PlayState()) && !m_host.Position(position))
        return;
    m_host.TimeLine().InsertAt(position, m_choice.pattern, m_choice.level);
}

CPlayViewButton::CPlayViewButton(IPluginHost& host) : CChoiceUser(host, kIdPreview) {}

bool CPlayViewButton::IsPreviewing() const
{
    CTervaneManager* manager = m_host.DeviceManager();
    return manager != nullptr && manager->IsPreviewing();
}

void CPlayViewButton::OnClicked(size_t)
{
    CTervaneManager* manager = m_host.DeviceManager();
    if (manager == nullptr)
        return;
    if (manager->IsPreviewing())
        manager->StopPreview();
    else
        manager->StartPreview(m_choice.pattern, m_choice.level);
}

void CPlayViewButton::OnDraw(HDC dc)
{
    // The device manager keeps the preview flag: whoever ends a preview, the face follows.
    const bool previewing = IsPreviewing();
    for (auto& face : m_faces)
        face->DrawToggle(dc, previewing);
}

} // namespace TervaneControl
