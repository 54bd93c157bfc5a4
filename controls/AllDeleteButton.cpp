#include "controls/AllDeleteButton.h"

#include "controls/ButtonLayout.h"
#include "editor/PluginHost.h"
#include "editor/UserPrompts.h"
#include "timesheet/TimeLineButtonManager.h"

namespace TervaneControl {

namespace {

const char kQuestion[] = "タイムシート上に置かれている全てのボタンを削除しますがよろしいですか？";
const char kCaption[] = "確認ウィンドウ";

} // namespace

CAllDeleteButton::CAllDeleteButton(IPluginHost& host) : CCommandButton(host, {kIdDeleteAll}) {}

void CAllDeleteButton::OnClicked(size_t)
{
    const CEditorDisabled disabled(m_editor);
    if (UserPrompts().MessageBoxA(nullptr, kQuestion, kCaption, MB_OKCANCEL) != IDOK)
        return;
    // One step that undo takes back; the device follows the empty sheet at the next tick, and
    // the sheet stays modified until it is saved.
    m_host.TimeLine().DeleteAll();
    m_host.ChooseTimeSheetPath();
}

} // namespace TervaneControl
