// The events of a session script, each applied to the player, the device, the editor or the
// scripted user.
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
#include "editor/Clipboard.h"
#include "sheet/SheetTime.h"
#include "sim/PngFile.h"
#include "sim/RealInput.h"
#include "sim/ScriptedUser.h"
#include "sim/SimHidImports.h"
#include "sim/SimHtmlDocument.h"
#include "sim/SimHtmlReader.h"
#include "sim/usb/VirtualTervane.h"

#include <shellapi.h>
#include <shlobj.h>

using Quorvel::Base::Text::ToWide;

namespace {

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
        bus.SetWriteFault(device, e.path == "write" ? SimWriteFault::Fails : SimWriteFault::HeldPastTheWait, count);
    }
}


} // namespace

// Unplug, replug and faults on the virtual device; a node is removed or added again through
// the system, which takes about as long as a device that comes and goes.
void CPlayerSession::ApplyToVirtualDevice(const SimEvent& e)
{
    std::string said;
    std::string error;
    bool done = true;
    if (e.kind == SimEvent::kUnplug) {
        done = m_virtual->Unplug(said, error);
    } else if (e.kind == SimEvent::kReplug) {
        done = m_virtual->Replug(said, error);
    } else if (e.path == "none") {
        done = m_virtual->ClearFaults(error);
    } else if (e.path == "open") {
        Say("event fault open not made: the system's HID class driver opens the virtual device for every program, and "
            "its driver never sees an open");
        return;
    } else {
        const uint32_t count = e.ticks > 0 ? static_cast<uint32_t>(e.ticks) : VT_EVERY_WRITE;
        done = e.path == "write" ? m_virtual->FailWrites(count, error) : m_virtual->HoldWrites(count, error);
    }
    if (!done)
        Say("event " + e.text + " failed: " + error);
    else if (!said.empty())
        Say("device " + said);
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
        // A record of the sheet, as an insert at that time would make it: the tenth holds it
        // alone, on the graph and on the device.
        if (Linked(e)) {
            Say("event " + e.text);
            m_linked->TimeLine().Document().Insert(e.time, e.pattern, e.level);
        }
        break;
    case SimEvent::kRemove:
        if (Linked(e)) {
            Say("event " + e.text);
            m_linked->TimeLine().Document().Delete(TenthOfTime(e.time));
        }
        break;
    case SimEvent::kDeleteAll:
        if (Linked(e)) {
            Say("event " + e.text);
            m_linked->TimeLine().DeleteAll();
        }
        break;
    case SimEvent::kLoad:
        LoadSheet(e.path);
        break;
    case SimEvent::kUnplug:
    case SimEvent::kReplug:
    case SimEvent::kFault:
        Say("event " + e.text);
        if (m_virtual)
            ApplyToVirtualDevice(e);
        else if (e.kind == SimEvent::kUnplug)
            m_bus.Unplug(m_tervane);
        else if (e.kind == SimEvent::kReplug)
            m_bus.Replug(m_tervane);
        else
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
    case SimEvent::kRightClick:
        Say("event " + e.text);
        Click(e.numbers, e.kind == SimEvent::kRightClick, e.path);
        break;
    case SimEvent::kMove: {
        const POINT at = ToScreen(e.numbers[0], e.numbers[1]);
        Say("event " + e.text);
        RealInput::MoveTo(at.x, at.y);
        break;
    }
    case SimEvent::kDrag:
        Say("event " + e.text);
        Drag(e.numbers, e.path);
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
    case SimEvent::kClip:
        Say("event clip");
        if (!PutClipboardText(m_host, e.path))
            Say("event clip ignored: the clipboard is not to be had");
        break;
    }
    Settle();
}

