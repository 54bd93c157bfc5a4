// Authoring while watching: recording levels from the keyboard as the movie plays, the
// clipboard, and what the time box says of the selection.
#include "editor/PluginWindow.h"

#include <cwchar>

#include "device/TervaneManager.h"
#include "editor/Clipboard.h"
#include "editor/PlayStates.h"
#include "editor/PluginHost.h"
#include "editor/UserPrompts.h"
#include "timesheet/TimeLineButtonManager.h"

namespace {

constexpr uint32_t kNoteMs = 2000;
const char kPasteCaption[] = "貼り付け";
const char kTooMany[] = "貼り付けると記録が 1,000,000 件を超え、保存したタイムシートを読み込めなくなるため、貼り付けません。";
const char kNotRecords[] =
    "貼り付けられるのは、タイムシートの記録 (時間・パターン・レベルの数字) を 1 行に 1 つずつ並べたものだけです。";

} // namespace

void CPluginWindow::ShowNote(const std::wstring& text)
{
    m_timeEditBox.ShowNote(text, kNoteMs);
    // A selection that changed before this note is not announced over it afterwards.
    const CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    m_seenSelection = timeLine.SelectionRevision();
    m_seenSheet = timeLine.Document().Revision();
    m_shownSelected = timeLine.SelectedCount();
}

bool CPluginWindow::IsRecordingNow()
{
    if (!m_recording)
        return false;
    const LONG state = m_owner.PlayState();
    return state >= kPlayPlaying && state <= kPlayScanReverse;
}

void CPluginWindow::ToggleRecording()
{
    m_recording = !m_recording;
    if (!m_recording)
        EndRecordingRun();
    m_timeEditBox.SetRecording(m_recording);
    ShowNote(m_recording ? L"記録開始" : L"記録終了");
}

void CPluginWindow::EndRecordingRun()
{
    m_owner.TimeLine().Document().EndRun();
}

void CPluginWindow::RecordLevel(int level)
{
    double position = 0.0;
    if (!m_owner.Position(position))
        return;
    m_recordLevel = level < 0 ? 0 : level > 10 ? 10 : level;
    // From the first press to R, a pause or a stop: one step to undo.
    {
        const CSheetDocument::CRunEdit run(m_owner.TimeLine().Document());
        m_owner.TimeLine().InsertAt(position, m_patternButton.GetCurrent(), m_recordLevel);
    }
    // The author feels what they write: the device takes it now, not at the next tick.
    if (CTervaneManager* manager = m_owner.DeviceManager())
        manager->FollowPosition(position);
    wchar_t text[32];
    std::swprintf(text, 32, L"記録 レベル %d", m_recordLevel);
    ShowNote(text);
}

void CPluginWindow::CopySelection(HWND window, bool cut)
{
    CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    const std::string text = timeLine.SelectionText();
    if (text.empty()) {
        ShowNote(L"選択された点がありません");
        return;
    }
    if (!PutClipboardText(window, text)) {
        ShowNote(L"クリップボードを使えません");
        return;
    }
    if (cut)
        timeLine.DeleteSelected();
}

void CPluginWindow::Paste(HWND window)
{
    std::string text;
    double position = 0.0;
    if (IsActivePlayState(m_owner.PlayState()) && !m_owner.Position(position))
        return;
    using Paste = CTimeLineButtonManager::Paste;
    const Paste pasted =
        ClipboardText(window, text) ? m_owner.TimeLine().PasteText(text, position) : Paste::kNotRecords;
    if (pasted == Paste::kPasted)
        return;
    const TervaneControl::CEditorDisabled disabled(window);
    UserPrompts().MessageBoxA(nullptr, pasted == Paste::kTooMany ? kTooMany : kNotRecords, kPasteCaption,
                              MB_OK | MB_ICONINFORMATION);
}

void CPluginWindow::NoteSelection()
{
    const CTimeLineButtonManager& timeLine = m_owner.TimeLine();
    const uint64_t selection = timeLine.SelectionRevision();
    const uint64_t sheet = timeLine.Document().Revision();
    if (selection == m_seenSelection && sheet == m_seenSheet)
        return;
    m_seenSelection = selection;
    m_seenSheet = sheet;
    const int count = timeLine.SelectedCount();
    if (count == m_shownSelected)
        return;
    wchar_t text[32];
    if (count > 0)
        std::swprintf(text, 32, L"選択 %d 点", count);
    else
        std::swprintf(text, 32, L"選択なし");
    ShowNote(text);
}
