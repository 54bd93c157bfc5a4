#pragma once
// The user of a scripted session: message boxes and file dialogs are answered from a queue
// and printed, shell requests printed instead of run. Nothing modal ever opens.
#include <deque>
#include <functional>
#include <string>

#include "base/Win32.h"
#include "editor/ShellSeam.h"
#include "editor/UserPrompts.h"
#include "sim/ImportTable.h"

// Prompts answered from the script's queue; each is printed, none ever opens.
class CScriptedPrompts final : public IUserPrompts {
public:
    using Say = std::function<void(const std::string&)>;
    // editorTakesInput tells whether the editor would take a click or a drop now: a prompt
    // must keep it from doing so while it is up, and a session that sees it do so says so.
    CScriptedPrompts(Say say, std::function<bool()> editorTakesInput)
        : m_say(std::move(say)), m_editorTakesInput(std::move(editorTakesInput))
    {
    }

    void Queue(const std::string& answer) { m_answers.push_back(answer); }
    // The next answer for a prompt of another kind, printed as the others are; false (and
    // printed as unanswered) when the queue is empty.
    bool Take(const char* kind, const std::string& text, std::string& answer) { return Next(kind, text, answer); }

    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    BOOL GetOpenFileNameA(LPOPENFILENAMEA dialog) override { return FileDialog("open", dialog); }
    BOOL GetSaveFileNameA(LPOPENFILENAMEA dialog) override { return FileDialog("save", dialog); }

private:
    bool Next(const char* kind, const std::string& text, std::string& answer);
    // Answers as the real dialog would take them: a full path; with "file must exist" only an
    // existing file; with "prompt to overwrite" an existing file only once the user agrees,
    // and otherwise the dialog stays for the next answer.
    BOOL FileDialog(const char* kind, LPOPENFILENAMEA dialog);

    Say m_say;
    std::function<bool()> m_editorTakesInput;
    std::deque<std::string> m_answers;
};

// Shell requests are printed instead of opened.
class CScriptedShell final : public IShell {
public:
    explicit CScriptedShell(CScriptedPrompts::Say say) : m_say(std::move(say)) {}

    HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) override;

private:
    CScriptedPrompts::Say m_say;
};

// A loaded DLL asks through the real functions: its imports of them are pointed at the
// scripted user for as long as this lives (one at a time in a process).
class CScriptedUserImports {
public:
    CScriptedUserImports(CScriptedPrompts& prompts, CScriptedShell& shell);
    ~CScriptedUserImports();
    CScriptedUserImports(const CScriptedUserImports&) = delete;
    CScriptedUserImports& operator=(const CScriptedUserImports&) = delete;

    // False, naming what is missing, when the module imports none of the prompts.
    bool Attach(HMODULE module, std::string& error);

private:
    CImportTable m_table;
};
