#pragma once
// The scripted user for a module whose imports stay as the loader made them: the message boxes
// and file dialogs it opens on this thread are answered from the prompt queue as they appear,
// by pressing their buttons, so nothing modal waits for a person. A message box prints as the
// redirected one does; a file dialog takes no path here and is cancelled.
#include <functional>
#include <set>
#include <string>

#include "base/Win32.h"

class CScriptedPrompts;

class CScriptedDialogs {
public:
    using Say = std::function<void(const std::string&)>;
    CScriptedDialogs(CScriptedPrompts& prompts, Say say);
    // Unhooks; one at a time in a process.
    ~CScriptedDialogs();
    CScriptedDialogs(const CScriptedDialogs&) = delete;
    CScriptedDialogs& operator=(const CScriptedDialogs&) = delete;

    // Watches the dialogs of the calling thread from now on.
    bool Attach(std::string& error);

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND dialog);

    CScriptedPrompts& m_prompts;
    Say m_say;
    HHOOK m_hook = nullptr;
    // A dialog is activated again whenever it regains the focus; it is answered once.
    std::set<HWND> m_answered;
};
