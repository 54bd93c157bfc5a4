// The editor's keyboard: each key does what its button does, or what the mouse would.
#include "editor/PluginWindow.h"

#include <cwchar>

#include "controls/ButtonLayout.h"
#include "device/TervaneManager.h"
#include "editor/SettingsFile.h"
#include "editor/PluginHost.h"
#include "timesheet/TimeLineButtonManager.h"

bool CPluginWindow::ClickControl(HWND window, uint32_t identifier)
{
    const HWND control = GetDlgItem(window, static_cast<int>(identifier));
    if (control == nullptr || !IsWindowEnabled(control))
        return false;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(identifier, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return true;
}

bool CPluginWindow::OnKey(HWND window, const EditorKeyCommand& command)
{
    using K = EditorKeyCommand;
    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    switch (command.kind) {
    case K::kUndo:
        timeLine.Undo();
        return true;
    case K::kRedo:
        timeLine.Redo();
        return true;
    case K::kDeleteSelected:
        return timeLine.DeleteSelected();
    case K::kPlayPause:
        return ClickControl(window, TervaneControl::kIdPlayPause);
    case K::kSave:
        ClickControl(window, TervaneControl::kIdSave);
        return true;
    case K::kLoad:
        ClickControl(window, TervaneControl::kIdLoad);
        return true;
    case K::kPreviousPoint:
        return ClickControl(window, TervaneControl::kIdPreviousPoint);
    case K::kNextPoint:
        return ClickControl(window, TervaneControl::kIdNextPoint);
    case K::kZoomIn:
        return ClickControl(window, TervaneControl::kIdZoomIn);
    case K::kZoomOut:
        return ClickControl(window, TervaneControl::kIdZoomOut);
    case K::kPattern:
        return ClickControl(window, TervaneControl::kIdFirstPattern + static_cast<uint32_t>(command.pattern));
    case K::kLeadLater:
    case K::kLeadEarlier:
        ChangeLeadTime(command.kind == K::kLeadLater ? kLeadStepMs : -kLeadStepMs);
        return true;
    case K::kNone:
        break;
    }
    return false;
}

void CPluginWindow::ChangeLeadTime(int stepMs)
{
    CTervaneManager* manager = m_owner.DeviceManager();
    if (manager == nullptr)
        return;
    manager->SetLeadMs(manager->LeadMs() + stepMs);
    WriteLeadTime(SettingsFilesOf(m_instance), manager->LeadMs());
    wchar_t text[48];
    std::swprintf(text, 48, L"先行 %+d ms", manager->LeadMs());
    m_timeEditBox.ShowNote(text, 2000);
}
