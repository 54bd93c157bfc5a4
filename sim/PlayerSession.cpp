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
#include "sim/ScriptedDialogs.h"
#include "sim/ScriptedUser.h"
#include "sim/SimHidImports.h"
#include "sim/SimHtmlDocument.h"
#include "sim/SimHtmlReader.h"
#include "sim/usb/VirtualTervane.h"

#include <mmsystem.h>
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

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Closing the player area is the script's business, not the window manager's.
    if (message == WM_CLOSE)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

// The editor's timers on the virtual clock, kept as the system keeps them: a timer repeats
// until killed, setting one again replaces it, and none is shorter than the system's shortest.
class CPlayerSession::CVirtualTimers final : public IEditorTimers {
public:
    struct Timer {
        HWND window;
        UINT_PTR id;
        UINT period;
        uint32_t fireAt;
    };

    explicit CVirtualTimers(const uint32_t& now) : m_now(now) {}

    void Set(HWND window, UINT_PTR id, UINT milliseconds) override
    {
        Kill(window, id);
        const UINT period = milliseconds < USER_TIMER_MINIMUM   ? USER_TIMER_MINIMUM
                            : milliseconds > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM
                                                                : milliseconds;
        m_timers.push_back({window, id, period, m_now + period + m_late});
    }
    void SetLate(uint32_t milliseconds) { m_late = milliseconds; }
    void Kill(HWND window, UINT_PTR id) override
    {
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->window == window && it->id == id) {
                m_timers.erase(it);
                return;
            }
        }
    }
    // The first timer due by until (the earlier set first among equals), set for its next turn.
    bool Next(uint32_t until, Timer& timer)
    {
        auto first = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
            if (it->fireAt <= until && (first == m_timers.end() || it->fireAt < first->fireAt))
                first = it;
        if (first == m_timers.end())
            return false;
        timer = *first;
        first->fireAt += first->period;
        return true;
    }

private:
    const uint32_t& m_now;
    uint32_t m_late = 0;
    std::vector<Timer> m_timers;
};

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
    : m_options(options), m_out(std::move(out)), m_tervane(m_bus.AddTervane()),
      m_timers(new CVirtualTimers(m_milliseconds))
{
    m_player.SetNarrator([this](const std::string& line) { m_out(line); });
    m_player.SetDefaultDuration(options.duration);
    m_player.SetRealTime(options.realTime);
    m_bus.SetPositionSource([this] { return m_player.Position(); });
}

uint32_t CPlayerSession::VirtualMilliseconds() const
{
    return m_options.realTime ? timeGetTime() : m_milliseconds;
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
    if (m_virtual) {
        for (const VtRecordEntry& entry : m_virtual->TakeNew()) {
            if (entry.outcome == VT_TAKEN)
                m_out(FormatReportLine(m_player.Position(), entry.bytes));
            else
                Say(entry.outcome == VT_FAILED ? "device failed a write, as told"
                                               : "device held a write past the transport's wait, then failed it");
        }
        return;
    }
    // In real time the position moves while the thread works: each report has its own.
    const auto& reports = m_bus.Reports();
    for (; m_reportsShown < reports.size(); ++m_reportsShown)
        m_out(FormatReportLine(m_options.realTime ? reports[m_reportsShown].position : m_player.Position(),
                               reports[m_reportsShown].bytes.data()));
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
    if (!m_options.realTime)
        RealInput::DropTimerMessagesOf(editor);
    if (m_linked != nullptr && m_news && m_linked->Window() != nullptr)
        m_linked->Window()->NewsParser().WaitWhileBusy();
    return true;
}

bool CPlayerSession::Start(std::string& error)
{
    const bool linked = m_options.dll.empty() && !m_options.byClassId;
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
    // A modal box disables the top-level window that owns the editor, or the editor itself.
    m_prompts.reset(new CScriptedPrompts(say, [this] {
        return m_editor != nullptr && IsWindowEnabled(m_editor) && IsWindowEnabled(GetAncestor(m_editor, GA_ROOT));
    }));
    for (const std::string& answer : m_options.answers)
        m_prompts->Queue(answer);
    m_shell.reset(new CScriptedShell(say));
    if (m_options.systemDevice && !StartVirtualDevice(error))
        return false;
    if (linked) {
        if (!m_options.moduleFolder.empty())
            SetModuleDirectoryOverride(m_options.moduleFolder);
        SetSettingsFolder(m_options.settings);
        BindHidSystem(m_virtual ? nullptr : &m_bus);
        m_previousPrompts = SetUserPrompts(m_prompts.get());
        m_previousShell = SetShell(m_shell.get());
        g_clockOwner = this;
        if (!m_options.realTime) {
            SetEditorClock(&VirtualClock);
            SetEditorTimers(m_timers.get());
        }
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
        const std::string server = m_options.byClassId ? std::string("the class identifier's server") : "'" + m_options.dll + "'";
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
        GetClassObject get = nullptr;
        if (m_options.byClassId) {
            if (!CreateByClassId(error))
                return false;
        } else {
            m_dll = LoadLibraryA(m_options.dll.c_str());
            get = m_dll != nullptr ? reinterpret_cast<GetClassObject>(
                                         reinterpret_cast<void*>(GetProcAddress(m_dll, "DllGetClassObject")))
                                   : nullptr;
        }
        // The DLL's own device code drives the simulated bus, and its prompts reach the script;
        // on the system's device nothing of it is redirected, and its dialogs are answered as
        // they open. An object made through COM has done nothing yet but exist: its imports are
        // bound before it creates its window.
        g_clockOwner = this;
        if (m_virtual) {
            m_dialogs.reset(new CScriptedDialogs(*m_prompts, say));
            if (!m_dialogs->Attach(error))
                return false;
        } else {
            m_hidImports.reset(new CSimHidImports(m_bus, &VirtualClock));
            m_userImports.reset(new CScriptedUserImports(*m_prompts, *m_shell));
            if (m_dll != nullptr && (!m_hidImports->Attach(m_dll, error) || !m_userImports->Attach(m_dll, error))) {
                error = "cannot bind " + server + " to the simulated device: " + error;
                return false;
            }
        }
        CComRef<IClassFactory> factory;
        if (!m_options.byClassId &&
            (get == nullptr || FAILED(get(CLSID_TervanePlugin, IID_IClassFactory, factory.OutVoid())) ||
             FAILED(factory->CreateInstance(nullptr, __uuidof(IWMPPluginUI), m_plugin.OutVoid())))) {
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

bool CPlayerSession::CreateByClassId(std::string& error)
{
    m_apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const HRESULT created = CoCreateInstance(CLSID_TervanePlugin, nullptr, CLSCTX_INPROC_SERVER,
                                             __uuidof(IWMPPluginUI), m_plugin.OutVoid());
    if (FAILED(created)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(created));
        error = std::string("the plug-in's class identifier gives no object (") + code + "): is it registered?";
        return false;
    }
    // The object's table of methods lies in the server's image: that names the DLL COM loaded.
    const void* methods = *reinterpret_cast<void* const*>(m_plugin.Get());
    char path[MAX_PATH] = {};
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCWSTR>(methods), &m_dll) ||
        GetModuleFileNameA(m_dll, path, sizeof path) == 0) {
        error = "the plug-in's server cannot be found in the process";
        return false;
    }
    Say(std::string("plugin created by its class identifier from ") + path);
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

void CPlayerSession::Tick(const std::function<void()>& afterTimer)
{
    if (m_options.realTime) {
        PassRealTime(100);
        return;
    }
    // The player's thread takes the input waiting in its queue before a timer's message.
    RealInput::Pump();
    const uint32_t tickAt = m_tickMilliseconds + 100;
    FireTimersUntil(tickAt);
    m_player.Tick([this, tickAt, &afterTimer] {
        m_milliseconds = m_tickMilliseconds = tickAt;
        if (m_editor != nullptr && IsWindow(m_editor)) {
            LARGE_INTEGER begin, end;
            QueryPerformanceCounter(&begin);
            SendMessageW(m_editor, WM_TIMER, CPluginWindow::kTimerId, 0);
            QueryPerformanceCounter(&end);
            m_timerTicks += end.QuadPart - begin.QuadPart;
        }
        Drain();
        if (afterTimer)
            afterTimer();
    });
    RealInput::Pump();
    m_player.Deliver();
    Drain();
}

double CPlayerSession::TakeTimerMilliseconds()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double ms = static_cast<double>(m_timerTicks) * 1000.0 / static_cast<double>(frequency.QuadPart);
    m_timerTicks = 0;
    return ms;
}

void CPlayerSession::SetTimersLate(uint32_t milliseconds)
{
    m_timers->SetLate(milliseconds);
}

void CPlayerSession::FireTimersUntil(uint32_t until)
{
    CVirtualTimers::Timer timer;
    while (m_timers->Next(until, timer)) {
        m_milliseconds = timer.fireAt;
        m_player.SetElapsedInTick(timer.fireAt - m_tickMilliseconds);
        if (IsWindow(timer.window))
            SendMessageW(timer.window, WM_TIMER, timer.id, 0);
        else
            m_timers->Kill(timer.window, timer.id);
        Drain();
    }
    m_player.SetElapsedInTick(0);
    m_milliseconds = m_tickMilliseconds;
}

void CPlayerSession::PassRealTime(uint32_t milliseconds)
{
    const DWORD start = timeGetTime();
    for (DWORD passed = 0; passed < milliseconds; passed = timeGetTime() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
        RealInput::Pump();
        m_player.Deliver();
        Drain();
    }
    // The player's own turn: the movie ends when its time has come.
    m_player.Tick(nullptr);
    Drain();
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
    if (m_options.dll.empty() && !m_options.byClassId) {
        BindHidSystem(nullptr);
        SetUserPrompts(m_previousPrompts);
        SetShell(m_previousShell);
        SetEditorClock(nullptr);
        SetEditorTimers(nullptr);
        SetSettingsFolder(std::string());
        SetModuleDirectoryOverride(std::string());
        CPluginWindow::SetNewsDocumentSource(nullptr);
    }
    if (m_dll != nullptr) {
        FreeLibrary(m_dll);
        m_dll = nullptr;
    }
    // COM unloads a server it loaded as the apartment ends, before the bindings go.
    if (m_apartment)
        CoUninitialize();
    m_apartment = false;
    // Only once the module is gone: it calls through them until it unloads.
    m_userImports.reset();
    m_hidImports.reset();
    m_dialogs.reset();
    if (g_clockOwner == this)
        g_clockOwner = nullptr;
}

bool CPlayerSession::StartVirtualDevice(std::string& error)
{
    m_virtual.reset(new CVirtualTervane());
    std::string said;
    if (!m_virtual->Ensure(said, error) || !m_virtual->ClearFaults(error) || !m_virtual->Restart(error)) {
        error = "the virtual Tervane device: " + error;
        return false;
    }
    m_out("device: " + said + ", below the system's own HID stack");
    return true;
}
