// The editor's recovery copy: unsaved changes kept where a crash of the player cannot take
// them, and offered back at the next start.
#include "editor/PluginWindow.h"

#include "base/file/FilePath.h"
#include "base/text/CodePage.h"
#include "editor/EditorClock.h"
#include "editor/PluginHost.h"
#include "editor/UserPrompts.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

const char kRecoveryCaption[] = "確認";

} // namespace

void CPluginWindow::KeepRecovery(bool now)
{
    if (!m_recovery)
        return;
    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    if (!timeLine.IsModified()) {
        // Saved, or given up by the user's own answer: nothing is left to recover.
        if (m_recoveryWritten)
            m_recovery->Remove();
        m_recoveryWritten = false;
        return;
    }
    const uint32_t clock = EditorMilliseconds();
    if (m_recoveryWritten && timeLine.Revision() == m_recoveryRevision)
        return;
    if (!now && m_recoveryWritten && clock - m_recoveryAt < CRecoveryCopy::kIntervalMs)
        return;
    if (m_recovery->Write(timeLine.SheetText(CRecoveryCopy::SecondLineFor(m_owner.TimeSheetPath())))) {
        m_recoveryWritten = true;
        m_recoveryAt = clock;
        m_recoveryRevision = timeLine.Revision();
    }
}

void CPluginWindow::OfferRecovery(HWND window)
{
    std::string sheet;
    if (!m_recovery || !m_recovery->IsWaiting(sheet))
        return;
    m_recovery->MarkOffered();
    int answer = IDNO;
    {
        const TervaneControl::CEditorDisabled disabled(window);
        answer = UserPrompts().MessageBoxA(nullptr, CRecoveryCopy::kQuestion, kRecoveryCaption,
                                           MB_YESNO | MB_ICONQUESTION);
    }
    if (answer != IDYES || m_owner.LoadTimeSheetByPath(m_recovery->Path()) != SheetRead::kRead) {
        m_recovery->Remove();
        return;
    }
    // The entries are the copy's, the sheet is the one it names, and they differ from it.
    m_owner.SetTimeSheetPath(sheet);
    std::wstring name;
    if (Quorvel::Base::Text::ToWide(CP_THREAD_ACP, Quorvel::Base::File::FileNameOfPath(sheet), name))
        m_owner.SetTimeSheetName(name);
    if (window != nullptr)
        SendMessageW(window, WM_PLUGIN_FILENAME, 0, reinterpret_cast<LPARAM>(sheet.c_str()));
    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    timeLine.SetModified(true);
    // From now on the copy is this run's.
    KeepRecovery(true);
}
