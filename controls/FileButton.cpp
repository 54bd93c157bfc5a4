#include "controls/FileButton.h"

#include <shellapi.h>

#include <cstring>

#include "base/file/FilePath.h"
#include "controls/ButtonLayout.h"
#include "editor/EditorContext.h"
#include "editor/PluginHost.h"
#include "editor/SettingsFile.h"
#include "editor/UserPrompts.h"
#include "timesheet/TimeLineButtonManager.h"

using Quorvel::Base::File::ExtensionOfPath;
using Quorvel::Base::File::GetFullPath;
using Quorvel::Base::File::HasExtensionOf;
using Quorvel::Base::File::IsExistingFile;

namespace TervaneControl {

namespace {

constexpr size_t kLoad = 0;
constexpr size_t kSave = 1;

const char kSheetExtension[] = "tms";
// The filter pairs end with an empty string: the array's own zero makes the second one.
const char kFilter[] = "TimeSheet files {*.tms}\0*.tms\0";
const char kUnsavedQuestion[] = "保存されていないデータがあります。保存しますか？";
const char kUnsavedCaption[] = "確認";
const char kOverwriteCaption[] = "名前を付けて保存の確認";
const char kOverwriteQuestion[] = " は既に存在します。上書きしますか？";
const char kSaveFailedCaption[] = "保存エラー";
const char kSaveFailedBefore[] = "タイムシート「";
const char kSaveFailedAfter[] = "」を保存できませんでした。別の名前で保存してください。";
const char kLoadFailedCaption[] = "読み込みエラー";
const char kLoadFailedBefore[] = "タイムシート「";
const char kTooLargeAfter[] = "」は大きすぎるため読み込めません（記録は 1000000 件、ファイルは 64 MB までです）。";
const char kMissingAfter[] = "」が見つかりません。";
const char kNotSheetAfter[] = "」はタイムシートの形式ではないため読み込めません。";
const char kUnreadableAfter[] = "」を開けませんでした。ほかのプログラムが使用していないか確かめてください。";

bool MayOverwrite(const std::string& name)
{
    const std::string question = name + kOverwriteQuestion;
    return UserPrompts().MessageBoxA(nullptr, question.c_str(), kOverwriteCaption, MB_YESNO | MB_ICONWARNING) == IDYES;
}

} // namespace

CFileButton::CFileButton(IPluginHost& host) : CCommandButton(host, {kIdLoad, kIdSave}) {}

void CFileButton::OnSizeMode(WPARAM request)
{
    CCommandButton::OnSizeMode(request);
    // The mini window has no room for save: it is neither shown nor clickable there.
    if (FaceCount() == 2)
        ShowWindow(Face(kSave).GetWindow(), m_sizeMode == kSizeModeMini ? SW_HIDE : SW_SHOW);
}

void CFileButton::OnDraw(HDC dc)
{
    for (size_t i = 0; i < FaceCount(); ++i)
        if (i != kSave || m_sizeMode != kSizeModeMini)
            Face(i).Draw(dc);
}

void CFileButton::OnClicked(size_t index)
{
    if (index == kLoad)
        Load();
    else
        SaveWithDialog();
}

bool CFileButton::AskFileName(bool save, std::string& name)
{
    char file[MAX_PATH] = {};
    if (save) {
        // The sheet's own name, or a new sheet named after its movie.
        std::string proposal = m_host.TimeSheetPath();
        const std::string movie = m_host.TimeLine().Document().MoviePath();
        if (proposal.empty() && !movie.empty() && !ExtensionOfPath(movie).empty())
            proposal = movie.substr(0, movie.size() - ExtensionOfPath(movie).size()) + kSheetExtension;
        if (proposal.size() < sizeof file)
            std::memcpy(file, proposal.c_str(), proposal.size() + 1);
    }
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_editor;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    // A new time sheet must be nameable: only the open dialog insists on an existing file.
    dialog.Flags = save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL chosen = save ? UserPrompts().GetSaveFileNameA(&dialog) : UserPrompts().GetOpenFileNameA(&dialog);
    file[sizeof file - 1] = '\0';
    if (!chosen || file[0] == '\0')
        return false;
    name = file;
    return true;
}

void CFileButton::Load()
{
    {
        const CEditorDisabled disabled(m_editor);
        std::string name;
        if (AskFileName(false, name))
            LoadByPath(name);
    }
    AnnouncePath();
}

bool CFileButton::AllowLoadOverChanges()
{
    if (!m_host.TimeLine().IsModified())
        return true;
    int answer = IDCANCEL;
    {
        const CEditorDisabled disabled(m_editor);
        answer = UserPrompts().MessageBoxA(nullptr, kUnsavedQuestion, kUnsavedCaption, MB_YESNOCANCEL);
    }
    if (answer == IDYES)
        return SaveWithDialog();
    return answer == IDNO;
}

CFileButton::LoadResult CFileButton::LoadByPath(const std::string& typed, bool tell)
{
    // The sheet is remembered by its full name: a relative one would mean another file once
    // the player's current folder changes.
    std::string path;
    if (!GetFullPath(typed, path) || !IsExistingFile(path)) {
        if (tell)
            TellNotLoaded(path.empty() ? typed : path, SheetRead::kUnreadable);
        return LoadResult::kNotLoaded;
    }
    if (!AllowLoadOverChanges())
        return LoadResult::kKept;
    const SheetRead read = m_host.LoadTimeSheetByPath(path);
    if (read != SheetRead::kRead) {
        if (tell)
            TellNotLoaded(path, read);
        return LoadResult::kNotLoaded;
    }
    AnnouncePath();
    return LoadResult::kLoaded;
}

void CFileButton::TellNotLoaded(const std::string& path, SheetRead why)
{
    const char* after = why == SheetRead::kTooLarge   ? kTooLargeAfter
                        : why == SheetRead::kNotSheet ? kNotSheetAfter
                        : IsExistingFile(path)        ? kUnreadableAfter
                                                      : kMissingAfter;
    const CEditorDisabled disabled(m_editor);
    const std::string message = kLoadFailedBefore + path + after;
    UserPrompts().MessageBoxA(nullptr, message.c_str(), kLoadFailedCaption, MB_OK | MB_ICONERROR);
}

std::string CFileButton::SaveNameOf(const std::string& chosen)
{
    if (!ExtensionOfPath(chosen).empty())
        return chosen;
    // The system drops a name's trailing dots and blanks, so "a." is the file "a" and is
    // saved as "a.tms", not "a..tms".
    std::string name = chosen;
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name + "." + kSheetExtension;
}

bool CFileButton::SaveWithDialog()
{
    // The dialog and every question after it keep the editor from taking clicks and drops.
    const CEditorDisabled disabled(m_editor);
    std::string name;
    while (AskFileName(true, name)) {
        // The dialog asked about the name typed; a name we extend is asked about here.
        const std::string typed = name;
        name = SaveNameOf(typed);
        if (name != typed && IsExistingFile(name) && !MayOverwrite(name))
            continue;
        if (!m_host.TimeLine().Document().Save(name.c_str())) {
            const std::string message = kSaveFailedBefore + name + kSaveFailedAfter;
            UserPrompts().MessageBoxA(nullptr, message.c_str(), kSaveFailedCaption, MB_OK | MB_ICONERROR);
            continue;
        }
        m_host.SetTimeSheetPath(name);
        AnnouncePath();
        return true;
    }
    return false;
}

bool CFileButton::SaveToOwnFile()
{
    const std::string path = m_host.TimeSheetPath();
    if (path.empty())
        return SaveWithDialog();
    if (!m_host.TimeLine().Document().Save(path.c_str())) {
        {
            const CEditorDisabled disabled(m_editor);
            const std::string message = kSaveFailedBefore + path + kSaveFailedAfter;
            UserPrompts().MessageBoxA(nullptr, message.c_str(), kSaveFailedCaption, MB_OK | MB_ICONERROR);
        }
        return SaveWithDialog();
    }
    m_host.SetTimeSheetPath(path);
    AnnouncePath();
    return true;
}

void CFileButton::NewSheet()
{
    if (!AllowLoadOverChanges())
        return;
    m_host.TimeLine().Document().Clear();
    m_host.SetTimeSheetPath(std::string());
    AnnouncePath();
}

void CFileButton::AnnouncePath()
{
    if (m_editor != nullptr)
        SendMessageW(m_editor, WM_PLUGIN_FILENAME, 0, reinterpret_cast<LPARAM>(m_host.TimeSheetPath().c_str()));
}

void CFileButton::OnDropFiles(HWND, HDROP drop, LPARAM)
{
    if (drop == nullptr)
        return;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // A name that does not fit is skipped whole: a cut one could name another file.
        char name[MAX_PATH];
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0 || length >= sizeof name || DragQueryFileA(drop, i, name, sizeof name) != length)
            continue;
        // Each time sheet of the drop loads in turn, so the last one that loads wins.
        if (HasExtensionOf(name, kSheetExtension) && LoadByPath(name) == LoadResult::kKept)
            break;
    }
    DragFinish(drop);
}

void CFileButton::OnOpenPath(HWND, WPARAM, LPARAM lParam)
{
    const char* path = reinterpret_cast<const char*>(lParam);
    if (path == nullptr || path[0] == '\0')
        return;
    // A typed name is what the user asked for: whatever keeps it from loading is said.
    if (HasExtensionOf(path, kSheetExtension))
        LoadByPath(path);
    else
        TellNotLoaded(path, IsExistingFile(path) ? SheetRead::kNotSheet : SheetRead::kUnreadable);
}

void CFileButton::OnDestroy()
{
    CTimeLineButtonManager& timeLine = m_host.TimeLine();
    if (timeLine.IsModified()) {
        int answer = IDNO;
        {
            const CEditorDisabled disabled(m_editor);
            answer = UserPrompts().MessageBoxA(nullptr, kUnsavedQuestion, kUnsavedCaption, MB_YESNO);
        }
        // Changes the user wanted but could not save stay marked: the time line outlives the
        // window, and the next editor shows them as they are.
        if (answer == IDNO)
            timeLine.Document().MarkSaved();
        else if (answer == IDYES)
            SaveWithDialog();
    }
    // A sheet that could not be loaded at start (its drive absent) stays remembered.
    if (m_host.IsTimeSheetPathChosen())
        WriteLastSheetPath(SettingsFilesOf(EditorContext().instance), m_host.TimeSheetPath());
}

} // namespace TervaneControl
