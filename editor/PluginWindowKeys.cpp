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
        break;
    case K::kRedo:
        timeLine.Redo();
        break;
    case K::kDeleteSelected:
        timeLine.DeleteSelected();
        break;
    case K::kPlayPause:
        ClickControl(window, TervaneControl::kIdPlayPause);
        break;
    case K::kSave:
        ClickControl(window, TervaneControl::kIdSave);
        break;
    case K::kLoad:
        ClickControl(window, TervaneControl::kIdLoad);
        break;
    case K::kPreviousPoint:
        ClickControl(window, TervaneControl::kIdPreviousPoint);
        break;
    case K::kNextPoint:
        ClickControl(window, TervaneControl::kIdNextPoint);
        break;
    case K::kZoomIn:
        ClickControl(window, TervaneControl::kIdZoomIn);
        break;
    case K::kZoomOut:
        ClickControl(window, TervaneControl::kIdZoomOut);
        break;
    case K::kPattern:
        ClickControl(window, TervaneControl::kIdFirstPattern + static_cast<uint32_t>(command.pattern));
        break;
    case K::kLeadLater:
    case K::kLeadEarlier:
        ChangeLeadTime(command.kind == K::kLeadLater ? kLeadStepMs : -kLeadStepMs);
        break;
    case K::kNone:
        return false;
    }
    // Taken even when its button is disabled: passed on, Space would click whichever button
    // has the focus.
    return true;
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
