#include "sim/ScriptedUser.h"

#include <cstring>

#include "base/file/FilePath.h"

int CScriptedPrompts::MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    const std::string shown = std::string(caption != nullptr ? caption : "") + ": " + (text != nullptr ? text : "");
    const UINT buttons = type & MB_TYPEMASK;
    const int refuse = buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO
                       : buttons == MB_OK                               ? IDOK
                                                                        : IDCANCEL;
    std::string answer;
    if (!Next("message", shown, answer))
        return refuse;
    if (answer == "yes")
        return IDYES;
    if (answer == "no")
        return IDNO;
    if (answer == "ok")
        return IDOK;
    if (answer == "cancel")
        return IDCANCEL;
    m_say("prompt answer '" + answer + "' does not fit a message box: taken as " +
          (refuse == IDNO ? "no" : refuse == IDOK ? "ok" : "cancel"));
    return refuse;
}

bool CScriptedPrompts::Next(const char* kind, const std::string& text, std::string& answer)
{
    if (m_editorTakesInput && m_editorTakesInput())
        m_say(std::string("warning: the editor takes clicks and drops while a ") + kind + " prompt is up");
    if (m_answers.empty()) {
        m_say(std::string("prompt unanswered ") + kind + " " + text);
        return false;
    }
    answer = m_answers.front();
    m_answers.pop_front();
    m_say(std::string("prompt ") + kind + " " + text);
    return true;
}

BOOL CScriptedPrompts::FileDialog(const char* kind, LPOPENFILENAMEA dialog)
{
    if (dialog == nullptr)
        return FALSE;
    const std::string filter = dialog->lpstrFilter != nullptr ? dialog->lpstrFilter : "";
    // The name the dialog proposes shows after the filter; "ok" takes it as it is.
    const std::string proposed =
        dialog->lpstrFile != nullptr && dialog->nMaxFile > 0 ? std::string(dialog->lpstrFile, strnlen(dialog->lpstrFile, dialog->nMaxFile)) : std::string();
    for (;;) {
        std::string answer;
        if (!Next(kind, proposed.empty() ? filter : filter + " " + proposed, answer) || answer == "cancel" ||
            answer == "no")
            return FALSE;
        if (answer == "ok" && !proposed.empty())
            answer = proposed;
        char full[MAX_PATH] = {};
        const DWORD length = GetFullPathNameA(answer.c_str(), sizeof full, full, nullptr);
        if (answer == "yes" || answer == "ok" || dialog->lpstrFile == nullptr || length == 0 ||
            length >= sizeof full || length + 1 > dialog->nMaxFile) {
            m_say("prompt answer '" + answer + "' is no file name that fits: taken as cancel");
            return FALSE;
        }
        const bool exists = Quorvel::Base::File::IsExistingFile(full);
        if ((dialog->Flags & OFN_FILEMUSTEXIST) != 0 && !exists) {
            m_say("prompt answer '" + answer + "' names no file, which this dialog refuses: taken as cancel");
            return FALSE;
        }
        if ((dialog->Flags & OFN_OVERWRITEPROMPT) != 0 && exists &&
            MessageBoxA(dialog->hwndOwner, (std::string(full) + " は既に存在します。上書きしますか？").c_str(),
                        "名前を付けて保存の確認", MB_YESNO | MB_ICONWARNING) != IDYES)
            continue;
        std::memcpy(dialog->lpstrFile, full, length + 1);
        return TRUE;
    }
}

HINSTANCE CScriptedShell::ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    m_say(std::string("shell ") + (verb != nullptr && *verb != '\0' ? verb : "open") + " " +
          (file != nullptr ? file : ""));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

namespace {

CScriptedPrompts* g_prompts = nullptr;
CScriptedShell* g_shell = nullptr;

int WINAPI ScriptedMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return g_prompts->MessageBoxA(owner, text, caption, type);
}

BOOL WINAPI ScriptedGetOpenFileNameA(LPOPENFILENAMEA dialog)
{
    return g_prompts->GetOpenFileNameA(dialog);
}

BOOL WINAPI ScriptedGetSaveFileNameA(LPOPENFILENAMEA dialog)
{
    return g_prompts->GetSaveFileNameA(dialog);
}

HINSTANCE WINAPI ScriptedShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                       INT show)
{
    return g_shell->ShellExecuteA(window, verb, file, parameters, directory, show);
}

} // namespace

CScriptedUserImports::CScriptedUserImports(CScriptedPrompts& prompts, CScriptedShell& shell)
{
    g_prompts = &prompts;
    g_shell = &shell;
}

CScriptedUserImports::~CScriptedUserImports()
{
    m_table.Restore();
    g_prompts = nullptr;
    g_shell = nullptr;
}

bool CScriptedUserImports::Attach(HMODULE module, std::string& error)
{
    const int changed = m_table.Redirect(
        module, {{"user32.dll", "MessageBoxA", reinterpret_cast<void*>(&ScriptedMessageBoxA)},
                 {"comdlg32.dll", "GetOpenFileNameA", reinterpret_cast<void*>(&ScriptedGetOpenFileNameA)},
                 {"comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&ScriptedGetSaveFileNameA)},
                 {"shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&ScriptedShellExecuteA)}});
    if (changed == 0) {
        error = "the module imports none of the prompts";
        return false;
    }
    return true;
}
