// What a session does as the user: real clicks, drags, keys and drops on the editor, and the
// screenshots and dumps it leaves.
#include "sim/PlayerSession.h"

#include "editor/Clipboard.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/file/FilePath.h"
#include "base/text/CodePage.h"
#include "device/HidSystem.h"
#include "device/TervaneManager.h"
#include "editor/DibCanvas.h"
#include "editor/EditorClock.h"
#include "editor/ModulePath.h"
#include "editor/PluginMessages.h"
#include "editor/PluginWindow.h"
#include "editor/SettingsFile.h"
#include "editor/ShellSeam.h"
#include "editor/UserPrompts.h"
#include "plugin/Guids.h"
#include "plugin/TervanePlugin.h"
#include "sim/PngFile.h"
#include "sim/RealInput.h"
#include "sim/ScriptedUser.h"
#include "sim/SimHidImports.h"
#include "sim/SimHtmlDocument.h"
#include "sim/SimHtmlReader.h"

#include <shellapi.h>
#include <shlobj.h>

using Quorvel::Base::Text::ToWide;

namespace {

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindVisibleControl(HWND window, LPARAM data)
{
    ControlSearch& search = *reinterpret_cast<ControlSearch*>(data);
    if (GetDlgCtrlID(window) != search.id || !IsWindowVisible(window))
        return TRUE;
    search.found = window;
    return FALSE;
}

bool EndsWith(const std::string& text, const char* ending)
{
    const std::string tail(ending);
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}


} // namespace

POINT CPlayerSession::ToScreen(int x, int y) const
{
    POINT at = {x, y};
    ClientToScreen(m_editor, &at);
    return at;
}

HWND CPlayerSession::FindControl(int id) const
{
    if (m_editor == nullptr)
        return nullptr;
    // A hidden control can't be clicked: the search goes on for a shown one.
    const HWND direct = GetDlgItem(m_editor, id);
    if (direct != nullptr && IsWindowVisible(direct))
        return direct;
    ControlSearch search = {id, nullptr};
    EnumChildWindows(m_editor, &FindVisibleControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

// The keys of modifier words joined by '+' up to the last '+' (a key's name may follow):
// ctrl+z, ctrl+shift+z, shift; where they end in text.
bool ModifierKeys(const std::string& lower, std::vector<WORD>& modifiers, size_t& end, bool all)
{
    size_t start = 0;
    for (;;) {
        size_t plus = lower.find('+', start);
        if (plus == std::string::npos || plus + 1 >= lower.size()) {
            if (!all)
                break;
            plus = lower.size();
        }
        const std::string word = lower.substr(start, plus - start);
        const WORD modifier = word == "ctrl" || word == "control" ? VK_CONTROL
                              : word == "shift"                   ? VK_SHIFT
                              : word == "alt"                     ? VK_MENU
                                                                  : 0;
        if (modifier == 0)
            return false;
        modifiers.push_back(modifier);
        start = plus + 1;
        if (start > lower.size())
            break;
    }
    end = start;
    return true;
}

// Holds the modifier keys a click or a drag names while it lasts.
class CHeldKeys {
public:
    explicit CHeldKeys(const std::string& modifiers)
    {
        size_t end = 0;
        if (!modifiers.empty() && ModifierKeys(modifiers, m_keys, end, true))
            RealInput::HoldKeys(m_keys, true);
    }
    ~CHeldKeys()
    {
        if (!m_keys.empty())
            RealInput::HoldKeys(m_keys, false);
    }
    CHeldKeys(const CHeldKeys&) = delete;
    CHeldKeys& operator=(const CHeldKeys&) = delete;

private:
    std::vector<WORD> m_keys;
};

} // namespace

void CPlayerSession::Click(const std::vector<int>& at, bool right, const std::string& modifiers)
{
    const POINT to = ToScreen(at[0], at[1]);
    const RealInput::Button button = right ? RealInput::Button::Right : RealInput::Button::Left;
    RealInput::MoveTo(to.x, to.y);
    // The keys go down once the pointer is there: the display reports a moved pointer with the
    // keys it knows of, and the system lets go of the others.
    const CHeldKeys held(modifiers);
    RealInput::Press(button);
    RealInput::Release(button);
}

void CPlayerSession::Drag(const std::vector<int>& at, const std::string& modifiers)
{
    const POINT from = ToScreen(at[0], at[1]);
    const POINT to = ToScreen(at[2], at[3]);
    RealInput::MoveTo(from.x, from.y);
    // Held from the press on, as a user holds them; what the editor sees of them during the
    // moves is what the display tells the system (see Click).
    const CHeldKeys held(modifiers);
    RealInput::Press(RealInput::Button::Left);
    // Three ticks of 100 ms pass while the pointer travels; a loaded DLL reads the real clock.
    for (int step = 1; step <= 3; ++step) {
        Tick();
        if (m_linked == nullptr)
            Sleep(100);
        RealInput::MoveTo(from.x + (to.x - from.x) * step / 3, from.y + (to.y - from.y) * step / 3);
    }
    RealInput::Release(RealInput::Button::Left);
}

namespace {

// A key's virtual-key code by its name: a letter or digit, F1-F12, or a named key.
bool VirtualKeyOf(const std::string& lower, WORD& key)
{
    struct Named {
        const char* name;
        WORD key;
    };
    static const Named kKeys[] = {
        {"enter", VK_RETURN},  {"return", VK_RETURN}, {"tab", VK_TAB},        {"escape", VK_ESCAPE},
        {"esc", VK_ESCAPE},    {"space", VK_SPACE},   {"backspace", VK_BACK}, {"delete", VK_DELETE},
        {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},          {"down", VK_DOWN},
        {"home", VK_HOME},     {"end", VK_END},       {"pageup", VK_PRIOR},   {"pagedown", VK_NEXT},
        {"plus", VK_OEM_PLUS}, {"minus", VK_OEM_MINUS}, {"+", VK_OEM_PLUS},       {"-", VK_OEM_MINUS},
    };
    for (const Named& named : kKeys) {
        if (lower == named.name) {
            key = named.key;
            return true;
        }
    }
    if (lower.size() == 1 && std::isalnum(static_cast<unsigned char>(lower[0]))) {
        key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(lower[0])));
        return true;
    }
    if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f' && std::isdigit(static_cast<unsigned char>(lower[1]))) {
        const int number = std::atoi(lower.c_str() + 1);
        if (number >= 1 && number <= 12) {
            key = static_cast<WORD>(VK_F1 + number - 1);
            return true;
        }
    }
    return false;
}

} // namespace


bool CPlayerSession::PressKey(const std::string& name)
{
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // Modifiers come first, joined by '+': ctrl+z, ctrl+shift+z, shift+tab.
    std::vector<WORD> modifiers;
    size_t start = 0;
    if (!ModifierKeys(lower, modifiers, start, false))
        return false;
    WORD key = 0;
    if (!VirtualKeyOf(lower.substr(start), key))
        return false;
    if (modifiers.empty())
        RealInput::Key(key);
    else
        RealInput::KeyWith(modifiers, key);
    return true;
}

void CPlayerSession::TypeText(const std::string& text)
{
    std::wstring wide;
    if (ToWide(CP_THREAD_ACP, text, wide))
        RealInput::Type(wide);
}

// Files dropped from the shell arrive as WM_DROPFILES with a block the receiver frees; the
// shell names them by their full paths.
void CPlayerSession::Drop(const std::vector<std::string>& names)
{
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        char full[MAX_PATH] = {};
        const DWORD length = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
        paths.push_back(length > 0 && length < sizeof full ? std::string(full, length) : name);
    }
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        bytes += path.size() + 1;
    const HGLOBAL block = GlobalAlloc(GHND, bytes);
    char* base = block != nullptr ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (base == nullptr) {
        if (block != nullptr)
            GlobalFree(block);
        return;
    }
    DROPFILES* header = reinterpret_cast<DROPFILES*>(base);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* at = base + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        std::memcpy(at, path.c_str(), path.size() + 1);
        at += path.size() + 1;
    }
    *at = '\0';
    GlobalUnlock(block);
    SendMessageW(m_editor, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

void CPlayerSession::Shot(const std::string& path)
{
    Settle();
    RECT client;
    if (!GetClientRect(m_host, &client) || client.right <= 0 || client.bottom <= 0) {
        Say("shot " + path + " failed: the player area has no size");
        return;
    }
    CDibCanvas canvas(client.right, client.bottom, RGB(0, 0, 0));
    const HDC window = GetDC(m_host);
    const bool copied = canvas.Valid() && window != nullptr &&
                        BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
    if (window != nullptr)
        ReleaseDC(m_host, window);
    const bool written = copied && (EndsWith(path, ".bmp") ? canvas.SaveBmp24(path) : WritePng(path, canvas));
    Say("shot " + path + (written ? " " + std::to_string(client.right) + "x" + std::to_string(client.bottom)
                                  : std::string(" failed")));
}

void CPlayerSession::Dump()
{
    if (m_linked == nullptr) {
        Say("dump: the insides of a loaded DLL can't be seen");
        return;
    }
    char line[512];
    for (const auto& entry : m_linked->TimeLine().Entries()) {
        std::snprintf(line, sizeof line, "entry key=%d pattern=%d level=%d x=%d y=%d time=%.10g%s", entry.key,
                      entry.data.pattern, entry.data.level, entry.data.x, entry.data.y, entry.data.time,
                      entry.selected ? " selected" : "");
        m_out(line);
    }
    if (CTervaneManager* manager = m_linked->DeviceManager()) {
        CommandData command;
        for (int i = 0; manager->Sheet().CommandAt(i, command); ++i) {
            std::snprintf(line, sizeof line, "command t=%d pattern=%d level=%d", command.time, command.pattern,
                          command.level);
            m_out(line);
        }
    }
    // The clipboard as the editor would paste it, line by line.
    std::string clipboard;
    if (ClipboardText(m_host, clipboard)) {
        size_t start = 0;
        while (start < clipboard.size()) {
            size_t end = clipboard.find('\n', start);
            if (end == std::string::npos)
                end = clipboard.size();
            std::string text = clipboard.substr(start, end - start);
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            m_out("clipboard " + text);
            start = end + 1;
        }
    }
    const CPluginWindow* window = m_linked->Window();
    std::snprintf(line, sizeof line, "state play=%ld position=%.3f modified=%d size=%d zoom=%d path=",
                  static_cast<long>(m_player.State()), m_player.Position(), m_linked->TimeLine().IsModified() ? 1 : 0,
                  window != nullptr ? window->GetSizeMode() : 0, m_linked->TimeLine().GetZoomMode());
    m_out(line + m_linked->TimeSheetPath());
}
