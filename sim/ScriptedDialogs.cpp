#include "sim/ScriptedDialogs.h"

#include "sim/ScriptedUser.h"

namespace {

CScriptedDialogs* g_watching = nullptr;

// Control identifiers of the common file dialogs' name box and file list (dlgs.h).
const int kFileDialogControls[] = {0x47c, 0x480, 0x460};
// The message text's control: 0xFFFF on Windows, 100 in Wine's template.
const int kMessageTextControls[] = {0xFFFF, 100};

std::string TextOf(HWND window)
{
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool Has(HWND dialog, int id)
{
    return GetDlgItem(dialog, id) != nullptr;
}

// The buttons a message box shows, as the type it was asked for.
UINT ButtonsOf(HWND dialog)
{
    if (Has(dialog, IDYES))
        return Has(dialog, IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    if (Has(dialog, IDRETRY))
        return Has(dialog, IDABORT) ? MB_ABORTRETRYIGNORE : MB_RETRYCANCEL;
    return Has(dialog, IDCANCEL) ? MB_OKCANCEL : MB_OK;
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace

CScriptedDialogs::CScriptedDialogs(CScriptedPrompts& prompts, Say say) : m_prompts(prompts), m_say(std::move(say)) {}

CScriptedDialogs::~CScriptedDialogs()
{
    if (m_hook != nullptr)
        UnhookWindowsHookEx(m_hook);
    if (g_watching == this)
        g_watching = nullptr;
}

bool CScriptedDialogs::Attach(std::string& error)
{
    if (g_watching != nullptr && g_watching != this) {
        error = "another session already answers this process's dialogs";
        return false;
    }
    m_hook = SetWindowsHookExA(WH_CBT, &Watch, nullptr, GetCurrentThreadId());
    if (m_hook == nullptr) {
        error = "cannot watch the dialogs of the module";
        return false;
    }
    g_watching = this;
    return true;
}

LRESULT CALLBACK CScriptedDialogs::Watch(int code, WPARAM wParam, LPARAM lParam)
{
    // A dialog is activated once it is made and shown: its text and buttons are there.
    if (code == HCBT_ACTIVATE && g_watching != nullptr) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        char name[16] = {};
        if (GetClassNameA(window, name, sizeof name) > 0 && lstrcmpA(name, "#32770") == 0)
            g_watching->Answer(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CScriptedDialogs::Answer(HWND dialog)
{
    if (!m_answered.insert(dialog).second)
        return;
    for (const int id : kFileDialogControls) {
        if (!Has(dialog, id))
            continue;
        std::string answer;
        if (m_prompts.Take("dialog", TextOf(dialog), answer) && answer != "cancel" && answer != "no")
            m_say("prompt answer '" + answer + "' cannot be typed into the dialog of a module whose imports are its "
                  "own: taken as cancel");
        Press(dialog, IDCANCEL);
        return;
    }
    std::string text;
    for (const int id : kMessageTextControls)
        if (Has(dialog, id) && text.empty())
            text = TextOf(GetDlgItem(dialog, id));
    const int pressed = m_prompts.MessageBoxA(GetWindow(dialog, GW_OWNER), text.c_str(), TextOf(dialog).c_str(),
                                              ButtonsOf(dialog));
    Press(dialog, pressed);
}
