#include "controls/AllDeleteButton.h"

#include "controls/ButtonLayout.h"
#include "device/TervaneManager.h"
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
    CTimeLineButtonManager& timeLine = m_host.TimeLine();
    timeLine.DeleteAll();
    if (CTervaneManager* manager = m_host.DeviceManager()) {
        manager->Reset();
        manager->Device().Stop();
        manager->Start();
    }
    timeLine.SetModified(false);
}

} // namespace TervaneControl
