// The editor's recovery copy: unsaved changes kept where a crash of the player cannot take
// them, and offered back at the next start.
#include "editor/PluginWindow.h"

#include "editor/EditorClock.h"
#include "editor/PluginHost.h"
#include "editor/UserPrompts.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

const char kRecoveryCaption[] = "確認";
const char kRestoreFailedCaption[] = "復元エラー";
const char kRestoreFailedBefore[] = "編集内容を復元できませんでした。記録はそのまま残してあります:\r\n";
const wchar_t kNotProtected[] = L"変更の控えを書けません";
constexpr uint32_t kNoteMs = 5000;

} // namespace

void CPluginWindow::KeepRecovery(bool now)
{
    if (!m_recovery)
        return;
    const CSheetDocument& sheet = m_owner.TimeLine().Document();
    if (!sheet.IsModified()) {
        // Saved, or given up by the user's own answer: nothing is left to recover.
        if (m_recoveryWritten)
            m_recovery->Remove();
        m_recoveryWritten = false;
        m_recoveryFailed = false;
        return;
    }
    const uint32_t clock = EditorMilliseconds();
    if (m_recoveryWritten && sheet.Revision() == m_recoveryRevision)
        return;
    // At most every 30 s, whether the last try wrote the copy or could not.
    if (!now && (m_recoveryWritten || m_recoveryFailed) && clock - m_recoveryAt < CRecoveryCopy::kIntervalMs)
        return;
    m_recoveryAt = clock;
    const std::string text =
        sheet.Text(CRecoveryCopy::SecondLineFor(m_owner.TimeSheetPath(), m_owner.TimeSheetStamp()));
    if (m_recovery->Write(text)) {
        m_recoveryWritten = true;
        m_recoveryFailed = false;
        m_recoveryRevision = sheet.Revision();
        return;
    }
    // Said once, until a copy is written again.
    if (!m_recoveryFailed)
        m_timeEditBox.ShowNote(kNotProtected, kNoteMs);
    m_recoveryFailed = true;
}

void CPluginWindow::OfferRecovery(HWND window)
{
    // Unsaved changes of this player (kept while its editor was closed) are not replaced.
    if (!m_recovery || m_owner.TimeLine().IsModified())
        return;
    for (const CRecoveryCopy::Left& left : m_recovery->LeftBehind()) {
        CRecoveryCopy::MarkOffered(left.path);
        int answer = IDNO;
        {
            const TervaneControl::CEditorDisabled disabled(window);
            answer = UserPrompts().MessageBoxA(nullptr, CRecoveryCopy::QuestionFor(left).c_str(), kRecoveryCaption,
                                               MB_YESNO | MB_ICONQUESTION);
        }
        if (answer != IDYES) {
            CRecoveryCopy::Discard(left.path);
            continue;
        }
        if (m_owner.LoadTimeSheetByPath(left.path) != SheetRead::kRead) {
            const TervaneControl::CEditorDisabled disabled(window);
            const std::string message = kRestoreFailedBefore + left.path;
            UserPrompts().MessageBoxA(nullptr, message.c_str(), kRestoreFailedCaption, MB_OK | MB_ICONERROR);
            continue;
        }
        // The entries are the copy's, the sheet is the one it names as it was then, and they
        // differ from it. The copy becomes this player's own.
        m_owner.SetTimeSheetPath(left.sheet);
        m_owner.SetTimeSheetStamp(left.stamp);
        if (window != nullptr)
            SendMessageW(window, WM_PLUGIN_FILENAME, 0, reinterpret_cast<LPARAM>(left.sheet.c_str()));
        m_owner.TimeLine().Document().MarkUnsaved();
        KeepRecovery(true);
        if (m_recoveryWritten)
            CRecoveryCopy::Discard(left.path);
        // The copies not offered yet wait for the next start.
        return;
    }
}
