#pragma once
// A media player session around the real plug-in: a top-level window stands for the
// player's plug-in area, the simulated player gives the plug-in its core, and a script of
// events plays against it. The plug-in is linked in or loaded from a built DLL through its
// class factory, or by its class identifier as the player makes it; either way a simulated HID bus has one Tervane device plugged in (the DLL
// reaches it through its own imports) but only the linked plug-in's insides can be inspected.
// With the system's device, the transport meets the system's own HID stack and a virtual
// device below it instead, and a loaded DLL keeps its imports as the loader made them.
//
// Time is virtual and the window's own timer never fires: each tick advances the player's
// clock by 100 ms and sends the editor window one WM_TIMER, so every run is deterministic.
// The editor's one-shot timers run on the same virtual clock (a timer set for 37 ms fires
// 37 ms of virtual time later, with the player's position of then). In real time instead,
// a tick is 100 ms of the system's clock in which the editor's timers fire by themselves.
// Input is real: the pointer is moved and buttons pressed through the system's input queue.
// Prompts are answered from a queue and printed; shell requests are printed, never run.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ComRef.h"
#include "base/Win32.h"
#include "plugin/PluginInterfaces.h"
#include "sim/SimEvents.h"
#include "sim/SimHidBus.h"
#include "sim/SimPlayer.h"

class CTervanePlugin;
class CSimHtmlSource;
class CScriptedDialogs;
class CScriptedPrompts;
class CScriptedShell;
class CScriptedUserImports;
class CSimHidImports;
class CVirtualTervane;
class IShell;
class IUserPrompts;

struct PlayerOptions {
    std::string movie = "movie.wmv";
    double duration = 60.0;
    // A time sheet loaded as the settings file's path is at start; empty: none.
    std::string sheet;
    // The folder whose info.txt is the settings file; empty: the product's own.
    std::string settings;
    // 0 normal, 1 wide, -1 mini.
    int size = 0;
    // A built TervanePlugin.dll to load instead of the linked plug-in.
    std::string dll;
    // Instead of either, the plug-in as the media player makes it: by its class identifier
    // through COM, from whichever DLL the registry names (an installed one).
    bool byClassId = false;
    // A page of ours that the news ticker reads instead of the network.
    std::string news;
    // The folder that stands for the DLL's, holding obj and cfg (linked plug-in only).
    std::string moduleFolder;
    // Replies to the first prompts, queued before the editor opens: an editor may ask while
    // it is being created (a recovery copy left by a crash).
    std::vector<std::string> answers;
    // The virtual Tervane device below the system's own HID stack instead of the simulated
    // bus (installed into the prefix when it is not there).
    bool systemDevice = false;
    // The position follows the system's clock and the editor's own timers fire as they would in
    // the player: nothing is reproducible, but timing can be measured.
    bool realTime = false;
};

class CPlayerSession {
public:
    using LineSink = std::function<void(const std::string&)>;

    CPlayerSession(const PlayerOptions& options, LineSink out);
    ~CPlayerSession();
    CPlayerSession(const CPlayerSession&) = delete;
    CPlayerSession& operator=(const CPlayerSession&) = delete;

    // Opens the player area, creates the plug-in and its window and opens the medium.
    bool Start(std::string& error);
    void Apply(const SimEvent& event);
    // One timer period of virtual time.
    // afterTimer runs right after the editor's timer, before the player's position moves on.
    void Tick(const std::function<void()>& afterTimer = nullptr);
    // The time the editor's timer took since the last ask: the plug-in's own cost of the ticks.
    double TakeTimerMilliseconds();
    // The editor's one-shot timers come this much later than they were set for from now on, as
    // a busy system's do (virtual time only).
    void SetTimersLate(uint32_t milliseconds);
    // The player closes: the window, then the plug-in object go; the last reports are shown.
    void Finish();
    // Loads a time sheet as the file button does; false when the device manager can't read it.
    bool LoadSheet(const std::string& path);

    // Drops the reports already shown from the bus's log, for a session that runs so long
    // that the log would be what grows.
    void ForgetShownReports();
    CSimPlayer& Player() { return m_player; }
    CSimHidBus& Bus() { return m_bus; }
    // The linked plug-in; null with a DLL or after Finish.
    CTervanePlugin* Plugin() { return m_linked; }
    HWND Host() const { return m_host; }
    HWND Editor() const { return m_editor; }
    // Milliseconds of virtual time since the start (in real time, the system's).
    uint32_t VirtualMilliseconds() const;

private:
    class CVirtualTimers;

    void Say(const std::string& what);
    // The editor's timers due by virtual time until, in their order, each at its own time.
    void FireTimersUntil(uint32_t until);
    // Real time passes while the thread handles what comes, the editor's timers included.
    void PassRealTime(uint32_t milliseconds);
    void Drain();
    void Settle();
    bool CreateWindowOfPlugin();
    POINT ToScreen(int x, int y) const;
    HWND FindControl(int id) const;
    void Click(const std::vector<int>& at, bool right, const std::string& modifiers);
    void Drag(const std::vector<int>& at, const std::string& modifiers);
    void TypeText(const std::string& text);
    bool PressKey(const std::string& name);
    void Drop(const std::vector<std::string>& names);
    void Shot(const std::string& path);
    void Dump();
    bool Linked(const SimEvent& event);
    bool StartVirtualDevice(std::string& error);
    bool CreateByClassId(std::string& error);
    void ApplyToVirtualDevice(const SimEvent& event);

    PlayerOptions m_options;
    LineSink m_out;
    // Declared before the plug-in: the bus and the player outlive everything bound to them.
    CSimHidBus m_bus;
    size_t m_tervane = 0;
    CSimPlayer m_player;
    std::unique_ptr<CSimHtmlSource> m_news;
    std::unique_ptr<CScriptedPrompts> m_prompts;
    std::unique_ptr<CScriptedShell> m_shell;
    // The bindings the session's own replaced, given back when it finishes.
    IUserPrompts* m_previousPrompts = nullptr;
    IShell* m_previousShell = nullptr;
    // Declared before the module handle's users: they must outlive the loaded DLL.
    std::unique_ptr<CSimHidImports> m_hidImports;
    std::unique_ptr<CScriptedUserImports> m_userImports;
    std::unique_ptr<CScriptedDialogs> m_dialogs;
    // The system's device, when the session drives it; the bus then stays idle.
    std::unique_ptr<CVirtualTervane> m_virtual;
    HMODULE m_dll = nullptr;
    // The session entered COM's apartment to create the plug-in by its class identifier.
    bool m_apartment = false;
    CComRef<IWMPPluginUI> m_plugin;
    CTervanePlugin* m_linked = nullptr;
    HWND m_host = nullptr;
    HWND m_editor = nullptr;
    size_t m_reportsShown = 0;
    HWND m_lastPressed = nullptr;
    DWORD m_lastPressTick = 0;
    std::unique_ptr<CVirtualTimers> m_timers;
    uint32_t m_milliseconds = 0;
    // The virtual time of the last tick.
    uint32_t m_tickMilliseconds = 0;
    bool m_started = false;
    long long m_timerTicks = 0;
};

// The report line for one report written at position seconds.
std::string FormatReportLine(double seconds, const uint8_t* report);
