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

namespace {

// The keys that stand for a button of the editor.
struct KeyButton {
    EditorKeyCommand::Kind kind;
    uint32_t identifier;
};
const KeyButton kKeyButtons[] = {
    {EditorKeyCommand::kPlayPause, TervaneControl::kIdPlayPause},
    {EditorKeyCommand::kLoad, TervaneControl::kIdLoad},
    {EditorKeyCommand::kPreviousPoint, TervaneControl::kIdPreviousPoint},
    {EditorKeyCommand::kNextPoint, TervaneControl::kIdNextPoint},
    {EditorKeyCommand::kZoomIn, TervaneControl::kIdZoomIn},
    {EditorKeyCommand::kZoomOut, TervaneControl::kIdZoomOut},
};

} // namespace

bool CPluginWindow::OnKey(HWND window, const EditorKeyCommand& command)
{
    using K = EditorKeyCommand;
    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    // The mini window shows no points: keys that change them would change what nobody sees.
    const bool pointsShown = m_sizeMode != kSizeModeMini;
    // While recording and the movie plays, digits and the up and down arrows set the level.
    if (pointsShown && IsRecordingNow()) {
        if (command.kind == K::kPattern) {
            RecordLevel(command.pattern);
            return true;
        }
        if (command.kind == K::kLevelUp || command.kind == K::kLevelDown) {
            RecordLevel(m_recordLevel + (command.kind == K::kLevelUp ? 1 : -1));
            return true;
        }
    }
    switch (command.kind) {
    case K::kNone:
    case K::kLevelUp:
    case K::kLevelDown:
        return false;
    case K::kSave:
        m_fileButton.SaveToOwnFile();
        break;
    case K::kSaveAs:
        m_fileButton.SaveWithDialog();
        break;
    case K::kNew:
        m_fileButton.NewSheet();
        break;
    case K::kRecord:
        if (pointsShown)
            ToggleRecording();
        break;
    case K::kSelectAll:
        if (pointsShown)
            timeLine.SelectAll();
        break;
    case K::kEscape:
        timeLine.Escape();
        break;
    case K::kCopy:
    case K::kCut:
        if (pointsShown)
            CopySelection(window, command.kind == K::kCut);
        break;
    case K::kPaste:
        if (pointsShown)
            Paste(window);
        break;
    case K::kNudge:
        if (pointsShown)
            timeLine.NudgeSelected(command.tenths);
        break;
    case K::kMostLevelUp:
    case K::kMostLevelDown:
        ChangeMostLevel(command.kind == K::kMostLevelUp ? 1 : -1);
        break;
    case K::kUndo:
        if (pointsShown)
            timeLine.Undo();
        break;
    case K::kRedo:
        if (pointsShown)
            timeLine.Redo();
        break;
    case K::kDeleteSelected:
        if (pointsShown)
            timeLine.DeleteSelected();
        break;
    case K::kPattern:
        // A digit chooses its pattern, however often it is pressed: a click on the chosen
        // pattern's button would take the choice back.
        if (pointsShown)
            SendMessageW(window, WM_PLUGIN_PATTERN, static_cast<WPARAM>(command.pattern), 0);
        break;
    case K::kPreciseTiming:
        TogglePreciseTiming();
        break;
    case K::kLeadLater:
    case K::kLeadEarlier:
        ChangeLeadTime(command.kind == K::kLeadLater ? kLeadStepMs : -kLeadStepMs);
        break;
    default:
        for (const KeyButton& button : kKeyButtons)
            if (button.kind == command.kind)
                ClickControl(window, button.identifier);
        break;
    }
    // Taken even when its button is disabled: passed on, Space would click whichever button
    // has the focus.
    return true;
}

void CPluginWindow::ChangeMostLevel(int step)
{
    CTervaneManager* manager = m_owner.DeviceManager();
    if (manager == nullptr)
        return;
    CTervane& device = manager->Device();
    device.SetMostLevel(device.MostLevel() + step);
    WriteMostLevel(SettingsFilesOf(m_instance), device.MostLevel());
    wchar_t text[48];
    std::swprintf(text, 48, L"最大レベル %d", device.MostLevel());
    ShowNote(text);
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
    ShowNote(text);
}
