#include "sim/PlayerSession.h"

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

CPlayerSession* g_clockOwner = nullptr;

uint32_t VirtualClock()
{
    return g_clockOwner != nullptr ? g_clockOwner->VirtualMilliseconds() : 0;
}

const wchar_t kHostClass[] = L"TervanePlayerHost";

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

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Closing the player area is the script's business, not the window manager's.
    if (message == WM_CLOSE)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
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

// "fault open" until "fault none"; write faults for the next N writes or all later ones.
void ApplyDeviceFault(CSimHidBus& bus, size_t device, const SimEvent& e)
{
    const int count = e.ticks > 0 ? static_cast<int>(e.ticks) : CSimHidBus::kAlways;
    if (e.path == "none") {
        bus.SetOpenFails(device, false);
        bus.SetWriteFault(device, SimWriteFault::None);
    } else if (e.path == "open") {
        bus.SetOpenFails(device, true);
    } else {
        bus.SetWriteFault(device, e.path == "write" ? SimWriteFault::Fails : SimWriteFault::PendingNeverCompletes,
                          count);
    }
}

} // namespace

std::string FormatReportLine(double seconds, const uint8_t* report)
{
    char line[128];
    int n = std::snprintf(line, sizeof line, "report t=%.3f bytes=", seconds);
    for (int i = 0; i < 16; ++i)
        n += std::snprintf(line + n, sizeof line - n, i ? " %02X" : "%02X", report[i]);
    std::snprintf(line + n, sizeof line - n, " pattern=%c level=%c pause=%c", report[7], report[8], report[6]);
    return line;
}

CPlayerSession::CPlayerSession(const PlayerOptions& options, LineSink out)
    : m_options(options), m_out(std::move(out)), m_tervane(m_bus.AddTervane())
{
    m_player.SetNarrator([this](const std::string& line) { m_out(line); });
    m_player.SetDefaultDuration(options.duration);
}

CPlayerSession::~CPlayerSession()
{
    Finish();
}

void CPlayerSession::Say(const std::string& what)
{
    char at[32];
    std::snprintf(at, sizeof at, " t=%.3f", m_player.Position());
    m_out(what + at);
}

// Reports are shown as soon as the step that wrote them is over, tagged with the position
// of that step.
void CPlayerSession::Drain()
{
    const auto& reports = m_bus.Reports();
    for (; m_reportsShown < reports.size(); ++m_reportsShown)
        m_out(FormatReportLine(m_player.Position(), reports[m_reportsShown].bytes.data()));
}

void CPlayerSession::ForgetShownReports()
{
    Drain();
    m_bus.ClearReports();
    m_reportsShown = 0;
}

void CPlayerSession::Settle()
{
    RealInput::Settle();
    m_player.Deliver();
    Drain();
}

bool CPlayerSession::CreateWindowOfPlugin()
{
    HWND editor = nullptr;
    const HRESULT created = m_plugin->Create(m_host, &editor);
    if (FAILED(created) || editor == nullptr)
        return false;
    m_editor = editor;
    RealInput::DropTimerMessagesOf(editor);
    if (m_linked != nullptr && m_news && m_linked->Window() != nullptr)
        m_linked->Window()->NewsParser().WaitWhileBusy();
    return true;
}

bool CPlayerSession::Start(std::string& error)
{
    const bool linked = m_options.dll.empty();
    if (!linked && !m_options.settings.empty()) {
        error = "--settings works with the linked plug-in only: a loaded DLL keeps the settings file beside it";
        return false;
    }
    if (!m_options.news.empty()) {
        std::unique_ptr<CSimHtmlElement> page = ReadSimHtmlFile(m_options.news, error);
        if (!page)
            return false;
        m_news.reset(new CSimHtmlSource(std::move(page)));
        if (!linked) {
            error = "--news works with the linked plug-in only";
            return false;
        }
    }
    auto say = [this](const std::string& line) { m_out(line); };
    m_prompts.reset(new CScriptedPrompts(say, [this] { return m_editor != nullptr && IsWindowEnabled(m_editor); }));
    m_shell.reset(new CScriptedShell(say));
    if (linked) {
        if (!m_options.moduleFolder.empty())
            SetModuleDirectoryOverride(m_options.moduleFolder);
        SetSettingsFolder(m_options.settings);
        BindHidSystem(&m_bus);
        m_previousPrompts = SetUserPrompts(m_prompts.get());
        m_previousShell = SetShell(m_shell.get());
        g_clockOwner = this;
        SetEditorClock(&VirtualClock);
        CPluginWindow::SetNewsDocumentSource(m_news.get());
    }

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW hostClass = {};
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = instance;
    hostClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    hostClass.lpszClassName = kHostClass;
    RegisterClassW(&hostClass);
    m_host = CreateWindowExW(0, kHostClass, L"Tervane player", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                             446, 429, nullptr, nullptr, instance, nullptr);
    if (m_host == nullptr) {
        error = "no window for the player (is there an X display?)";
        return false;
    }
    if (linked) {
        IWMPPluginUI* plugin = nullptr;
        if (FAILED(CTervanePlugin::CreateInstance(nullptr, __uuidof(IWMPPluginUI), reinterpret_cast<void**>(&plugin)))) {
            error = "the plug-in object could not be made";
            return false;
        }
        *m_plugin.Out() = plugin;
        m_linked = static_cast<CTervanePlugin*>(plugin);
    } else {
        m_dll = LoadLibraryA(m_options.dll.c_str());
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
        const auto get = m_dll != nullptr
                             ? reinterpret_cast<GetClassObject>(
                                   reinterpret_cast<void*>(GetProcAddress(m_dll, "DllGetClassObject")))
                             : nullptr;
        // The DLL's own device code drives the simulated bus, and its prompts reach the script.
        g_clockOwner = this;
        m_hidImports.reset(new CSimHidImports(m_bus, &VirtualClock));
        m_userImports.reset(new CScriptedUserImports(*m_prompts, *m_shell));
        if (m_dll != nullptr && (!m_hidImports->Attach(m_dll, error) || !m_userImports->Attach(m_dll, error))) {
            error = "cannot bind '" + m_options.dll + "' to the simulated device: " + error;
            return false;
        }
        CComRef<IClassFactory> factory;
        if (get == nullptr || FAILED(get(CLSID_TervanePlugin, IID_IClassFactory, factory.OutVoid())) ||
            FAILED(factory->CreateInstance(nullptr, __uuidof(IWMPPluginUI), m_plugin.OutVoid()))) {
            error = "cannot create the plug-in from '" + m_options.dll + "'";
            return false;
        }
    }
    m_plugin->SetCore(m_player.Core());
    if (!CreateWindowOfPlugin()) {
        error = "the plug-in could not create its window";
        return false;
    }
    m_started = true;
    if (!m_options.sheet.empty())
        LoadSheet(m_options.sheet);
    if (m_options.size != 0)
        SendMessageW(m_editor, WM_PLUGIN_SIZEMODE, static_cast<WPARAM>(static_cast<INT_PTR>(m_options.size)), 0);
    std::wstring movie;
    ToWide(CP_THREAD_ACP, m_options.movie, movie);
    m_player.Open(movie, m_options.duration);
    Settle();
    return true;
}

bool CPlayerSession::LoadSheet(const std::string& path)
{
    if (m_linked != nullptr && m_linked->Window() != nullptr) {
        const bool loaded = m_linked->Window()->LoadTimeSheet(path);
        CTervaneManager* manager = m_linked->DeviceManager();
        Say("load " + path + (loaded ? " commands=" + std::to_string(manager->Sheet().Count())
                                     : std::string(" failed: nothing changes")));
        return loaded;
    }
    // A loaded DLL is reached from outside only: the sheet is dropped on its window.
    Say("load " + path + " (dropped on the editor)");
    Drop({path});
    return true;
}

void CPlayerSession::Tick()
{
    m_player.Tick([this] {
        m_milliseconds += 100;
        if (m_editor != nullptr && IsWindow(m_editor))
            SendMessageW(m_editor, WM_TIMER, CPluginWindow::kTimerId, 0);
        Drain();
    });
    RealInput::Pump();
    m_player.Deliver();
    Drain();
}

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

void CPlayerSession::Drag(const std::vector<int>& at)
{
    const POINT from = ToScreen(at[0], at[1]);
    const POINT to = ToScreen(at[2], at[3]);
    RealInput::MoveTo(from.x, from.y);
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

bool CPlayerSession::PressKey(const std::string& name)
{
    struct Named {
        const char* name;
        WORD key;
    };
    static const Named kKeys[] = {
        {"enter", VK_RETURN},  {"return", VK_RETURN}, {"tab", VK_TAB},       {"escape", VK_ESCAPE},
        {"esc", VK_ESCAPE},    {"space", VK_SPACE},   {"backspace", VK_BACK}, {"delete", VK_DELETE},
        {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},         {"down", VK_DOWN},
        {"home", VK_HOME},     {"end", VK_END},       {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT},
    };
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const Named& key : kKeys) {
        if (lower == key.name) {
            RealInput::Key(key.key);
            return true;
        }
    }
    if (lower.size() == 1 && std::isalnum(static_cast<unsigned char>(lower[0]))) {
        RealInput::Key(static_cast<WORD>(std::toupper(static_cast<unsigned char>(lower[0]))));
        return true;
    }
    if (lower.size() >= 2 && lower[0] == 'f' && std::isdigit(static_cast<unsigned char>(lower[1]))) {
        const int number = std::atoi(lower.c_str() + 1);
        if (number >= 1 && number <= 12) {
            RealInput::Key(static_cast<WORD>(VK_F1 + number - 1));
            return true;
        }
    }
    return false;
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
        std::snprintf(line, sizeof line, "entry key=%d pattern=%d level=%d x=%d y=%d time=%.10g", entry.key,
                      entry.data.pattern, entry.data.level, entry.data.x, entry.data.y, entry.data.time);
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
    const CPluginWindow* window = m_linked->Window();
    std::snprintf(line, sizeof line, "state play=%ld position=%.3f modified=%d size=%d zoom=%d path=",
                  static_cast<long>(m_player.State()), m_player.Position(), m_linked->TimeLine().IsModified() ? 1 : 0,
                  window != nullptr ? window->GetSizeMode() : 0, m_linked->TimeLine().GetZoomMode());
    m_out(line + m_linked->TimeSheetPath());
}

bool CPlayerSession::Linked(const SimEvent& e)
{
    if (m_linked != nullptr && m_linked->DeviceManager() != nullptr)
        return true;
    Say("event " + e.text + " ignored: the device manager of a loaded DLL can't be reached");
    return false;
}

void CPlayerSession::Apply(const SimEvent& e)
{
    if (!m_started)
        return;
    const LONG state = m_player.State();
    switch (e.kind) {
    case SimEvent::kPlay:
        if (state == 3) {
            Say("event play ignored: already playing");
            break;
        }
        m_player.Play();
        Say("event play");
        break;
    case SimEvent::kPause:
        if (state != 3) {
            Say(state == 2 ? "event pause ignored: already paused" : "event pause ignored: stopped");
            break;
        }
        m_player.Pause();
        Say("event pause");
        break;
    case SimEvent::kStop:
        if (state == 1 || state == 10 || !m_player.HasMedium()) {
            Say("event stop ignored: already stopped");
            break;
        }
        m_player.Stop();
        Say("event stop");
        break;
    case SimEvent::kSeek:
        m_player.Seek(e.value);
        Say("event " + e.text);
        break;
    case SimEvent::kRate:
        m_player.SetRate(e.value);
        Say("event " + e.text);
        break;
    case SimEvent::kWait:
        Say("event " + e.text);
        for (long long i = 0; i < e.ticks; ++i)
            Tick();
        break;
    case SimEvent::kPreview:
        if (Linked(e)) {
            Say("event " + e.text);
            m_linked->DeviceManager()->StartPreview(e.pattern, e.level);
        }
        break;
    case SimEvent::kPreviewOff:
        if (Linked(e)) {
            Say("event " + e.text);
            m_linked->DeviceManager()->StopPreview();
        }
        break;
    case SimEvent::kAdd:
        // A command of the playing sheet, shown on the graph too; the device's time is the
        // script's, truncated to ten-thousandths.
        if (Linked(e)) {
            Say("event " + e.text);
            CTimeLineButtonManager& timeLine = m_linked->TimeLine();
            CTimeLineButtonData data;
            const CTimeLineGeometry& g = timeLine.Geometry();
            data.pattern = e.pattern;
            data.level = e.level;
            data.x = static_cast<int32_t>(g.origin + e.value * 10.0 * g.pixelsPerTenth);
            data.y = g.EntryY(e.level);
            data.time = e.value * 10.0;
            timeLine.InsertEntry(e.value, data);
            m_linked->DeviceManager()->Sheet().AddCommand(e.time, e.pattern, e.level);
        }
        break;
    case SimEvent::kRemove:
        if (Linked(e)) {
            Say("event " + e.text);
            m_linked->DeviceManager()->Sheet().RemoveCommandAt(e.time);
            m_linked->TimeLine().DeleteEntry(e.value);
        }
        break;
    case SimEvent::kDeleteAll:
        if (Linked(e)) {
            Say("event " + e.text);
            CTervaneManager* manager = m_linked->DeviceManager();
            m_linked->TimeLine().ClearEntries();
            manager->Reset();
            manager->Device().Stop();
            manager->Start();
        }
        break;
    case SimEvent::kLoad:
        LoadSheet(e.path);
        break;
    case SimEvent::kUnplug:
        Say("event " + e.text);
        m_bus.Unplug(m_tervane);
        break;
    case SimEvent::kReplug:
        Say("event " + e.text);
        m_bus.Replug(m_tervane);
        break;
    case SimEvent::kFault:
        Say("event " + e.text);
        ApplyDeviceFault(m_bus, m_tervane, e);
        break;
    case SimEvent::kOpen: {
        std::wstring url;
        ToWide(CP_THREAD_ACP, e.path, url);
        Say("event " + e.text);
        m_player.Open(url, e.value);
        break;
    }
    case SimEvent::kClose:
        Say("event close");
        if (m_editor == nullptr || FAILED(m_plugin->Destroy()))
            Say("event close ignored: no window");
        m_editor = nullptr;
        RealInput::DropTimerMessagesOf(nullptr);
        break;
    case SimEvent::kCreate:
        Say("event create");
        if (m_editor != nullptr && IsWindow(m_editor))
            m_plugin->Destroy();
        if (!CreateWindowOfPlugin())
            Say("event create failed: no window");
        break;
    case SimEvent::kPress: {
        const HWND control = FindControl(e.numbers[0]);
        RECT rect;
        if (control == nullptr || !GetWindowRect(control, &rect)) {
            Say("event " + e.text + " ignored: no control " + std::to_string(e.numbers[0]) + " is shown");
            break;
        }
        Say("event " + e.text);
        // Two presses of one control are two clicks, as a user's who lets the double-click
        // time pass between them: a button takes a double click for no click at all.
        if (control == m_lastPressed) {
            const DWORD apart = GetDoubleClickTime() + 50;
            const DWORD since = GetTickCount() - m_lastPressTick;
            if (since < apart)
                Sleep(apart - since);
        }
        RealInput::Click((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        m_lastPressed = control;
        m_lastPressTick = GetTickCount();
        break;
    }
    case SimEvent::kClick:
    case SimEvent::kRightClick: {
        const POINT at = ToScreen(e.numbers[0], e.numbers[1]);
        Say("event " + e.text);
        RealInput::Click(at.x, at.y,
                         e.kind == SimEvent::kClick ? RealInput::Button::Left : RealInput::Button::Right);
        break;
    }
    case SimEvent::kMove: {
        const POINT at = ToScreen(e.numbers[0], e.numbers[1]);
        Say("event " + e.text);
        RealInput::MoveTo(at.x, at.y);
        break;
    }
    case SimEvent::kDrag:
        Say("event " + e.text);
        Drag(e.numbers);
        break;
    case SimEvent::kWheel: {
        const POINT at = ToScreen(e.numbers[0], e.numbers[1]);
        Say("event " + e.text);
        RealInput::MoveTo(at.x, at.y);
        RealInput::Wheel(e.numbers[2]);
        break;
    }
    case SimEvent::kType:
        Say("event " + e.text);
        TypeText(e.path);
        break;
    case SimEvent::kKey:
        Say("event " + e.text);
        if (!PressKey(e.path))
            Say("event " + e.text + " ignored: no key of that name");
        break;
    case SimEvent::kDrop:
        Say("event " + e.text);
        Drop(e.paths);
        break;
    case SimEvent::kAnswer:
        Say("event " + e.text);
        m_prompts->Queue(e.path);
        break;
    case SimEvent::kShot:
        Shot(e.path);
        break;
    case SimEvent::kDump:
        Settle();
        Dump();
        break;
    }
    Settle();
}

void CPlayerSession::Finish()
{
    if (!m_plugin && m_host == nullptr)
        return;
    if (m_started)
        Say("player closes");
    m_started = false;
    if (m_plugin) {
        m_plugin->Destroy();
        m_plugin->SetCore(nullptr);
        m_plugin.Reset();
        m_linked = nullptr;
    }
    m_editor = nullptr;
    RealInput::DropTimerMessagesOf(nullptr);
    RealInput::Pump();
    Drain();
    if (m_host != nullptr) {
        DestroyWindow(m_host);
        m_host = nullptr;
    }
    if (m_options.dll.empty()) {
        BindHidSystem(nullptr);
        SetUserPrompts(m_previousPrompts);
        SetShell(m_previousShell);
        SetEditorClock(nullptr);
        SetSettingsFolder(std::string());
        SetModuleDirectoryOverride(std::string());
        CPluginWindow::SetNewsDocumentSource(nullptr);
    }
    if (m_dll != nullptr) {
        FreeLibrary(m_dll);
        m_dll = nullptr;
    }
    // Only once the module is gone: it calls through them until it unloads.
    m_userImports.reset();
    m_hidImports.reset();
    if (g_clockOwner == this)
        g_clockOwner = nullptr;
}
