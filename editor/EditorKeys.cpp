#include "editor/EditorKeys.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include <imm.h>

#include "editor/PointerSample.h"

namespace {

// Every editor of the thread, and the one hook they share.
std::vector<CEditorKeys*>& Installed()
{
    static std::vector<CEditorKeys*> installed;
    return installed;
}

HHOOK g_hook = nullptr;

bool IsEditorWindow(HWND window)
{
    if (window == nullptr)
        return false;
    for (CEditorKeys* keys : Installed())
        if (keys->Editor() == window || IsChild(keys->Editor(), window))
            return true;
    return false;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && message != nullptr)
        NotePointerMessage(*message, IsEditorWindow);
    // Every message of the player's thread passes here: only a key press costs anything. Alt
    // and a key arrive as a system key.
    if (code == HC_ACTION && wParam == PM_REMOVE && message != nullptr &&
        (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN)) {
        // A copy: a handler may close the editor and take its entry out of the list.
        const std::vector<CEditorKeys*> installed = Installed();
        for (CEditorKeys* keys : installed) {
            if (keys->Offer(*message)) {
                message->message = WM_NULL;
                break;
            }
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

bool IsEditBox(HWND window)
{
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) == 0)
        return false;
    return _wcsicmp(name, L"Edit") == 0 || _wcsnicmp(name, L"RichEdit", 8) == 0;
}

BOOL CALLBACK KeepFromInputMethod(HWND window, LPARAM)
{
    if (!IsEditBox(window))
        ImmAssociateContext(window, nullptr);
    return TRUE;
}

} // namespace

void KeepInputMethodToEditBoxes(HWND window)
{
    if (window == nullptr)
        return;
    KeepFromInputMethod(window, 0);
    EnumChildWindows(window, &KeepFromInputMethod, 0);
}

EditorKeyCommand CommandOfKey(WPARAM key, bool control, bool shift, bool alt)
{
    using K = EditorKeyCommand;
    EditorKeyCommand command;
    if (alt) {
        if (control && (key == VK_UP || key == VK_DOWN)) {
            command.kind = key == VK_UP ? K::kMostLevelUp : K::kMostLevelDown;
        } else if (!control && (key == VK_LEFT || key == VK_RIGHT)) {
            command.kind = K::kNudge;
            command.tenths = (key == VK_LEFT ? -1 : 1) * (shift ? 10 : 1);
        }
        return command;
    }
    if (control) {
        // Arrows sit in the same place on Japanese keyboards and on every other.
        struct Combination {
            WPARAM key;
            EditorKeyCommand::Kind plain, shifted;
        };
        static const Combination kCombinations[] = {
            {'Z', K::kUndo, K::kRedo},           {'Y', K::kRedo, K::kNone},
            {'S', K::kSave, K::kSaveAs},         {'O', K::kLoad, K::kNone},
            {'A', K::kSelectAll, K::kNone},      {'C', K::kCopy, K::kNone},
            {'X', K::kCut, K::kNone},            {'V', K::kPaste, K::kNone},
            {'N', K::kNew, K::kNone},            {'T', K::kPreciseTiming, K::kNone},
            {VK_UP, K::kLeadLater, K::kNone},    {VK_DOWN, K::kLeadEarlier, K::kNone},
        };
        for (const Combination& c : kCombinations)
            if (c.key == key)
                command.kind = shift ? c.shifted : c.plain;
        return command;
    }
    if (key >= '0' && key <= '9' && !shift) {
        command.kind = K::kPattern;
        command.pattern = static_cast<int32_t>(key - '0');
    } else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
        command.kind = K::kPattern;
        command.pattern = static_cast<int32_t>(key - VK_NUMPAD0);
    } else if (key == VK_SPACE) {
        command.kind = K::kPlayPause;
    } else if (key == VK_DELETE) {
        command.kind = K::kDeleteSelected;
    } else if (key == VK_LEFT) {
        command.kind = K::kPreviousPoint;
    } else if (key == VK_RIGHT) {
        command.kind = K::kNextPoint;
    } else if (key == VK_OEM_PLUS || key == VK_ADD) {
        // The key that carries + on Japanese and other keyboards alike, shifted or not.
        command.kind = K::kZoomIn;
    } else if (key == VK_OEM_MINUS || key == VK_SUBTRACT) {
        command.kind = K::kZoomOut;
    } else if (key == VK_ESCAPE) {
        command.kind = K::kEscape;
    } else if (key == 'R' && !shift) {
        command.kind = K::kRecord;
    } else if (key == VK_UP || key == VK_DOWN) {
        command.kind = key == VK_UP ? K::kLevelUp : K::kLevelDown;
    }
    return command;
}

bool CEditorKeys::Install(HWND editor, Handler handler)
{
    Remove();
    if (editor == nullptr || !handler)
        return false;
    if (g_hook == nullptr) {
        g_hook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
        if (g_hook != nullptr)
            WatchPointer(true);
    }
    if (g_hook == nullptr)
        return false;
    m_editor = editor;
    m_handler = std::move(handler);
    Installed().push_back(this);
    return true;
}

void CEditorKeys::Remove()
{
    std::vector<CEditorKeys*>& installed = Installed();
    const auto own = std::find(installed.begin(), installed.end(), this);
    if (own == installed.end())
        return;
    installed.erase(own);
    m_editor = nullptr;
    m_handler = nullptr;
    if (installed.empty() && g_hook != nullptr) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        WatchPointer(false);
    }
}

bool CEditorKeys::Offer(const MSG& message)
{
    if ((message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) || m_editor == nullptr || !m_handler)
        return false;
    const HWND target = message.hwnd;
    if (target == nullptr || (target != m_editor && !IsChild(m_editor, target)) || IsEditBox(target))
        return false;
    if (!IsWindowEnabled(m_editor))
        return false;
    // A key the input method took first still names itself.
    const WPARAM key = message.wParam == VK_PROCESSKEY ? ImmGetVirtualKey(target) : message.wParam;
    const EditorKeyCommand command =
        CommandOfKey(key, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0);
    if (command.kind == EditorKeyCommand::kNone)
        return false;
    // The handler may end the editor: nothing of this object is used after it.
    const Handler handler = m_handler;
    return handler(command);
}
