#include "sim/SimHidImports.h"

#include <vector>

#include "sim/SimHidBus.h"

namespace {

CSimHidImports* g_active = nullptr;

// A bus call made while the lock is held.
class CHeld {
public:
    explicit CHeld(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ~CHeld() { LeaveCriticalSection(&m_lock); }
    CHeld(const CHeld&) = delete;
    CHeld& operator=(const CHeld&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

// Device interface paths as the bus hands them out; nothing else on this machine has one.
bool IsDevicePath(LPCSTR path)
{
    return path != nullptr && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, 8, "\\\\?\\hid#", 8) == CSTR_EQUAL;
}

void WINAPI SimHidD_GetHidGuid(LPGUID guid)
{
    g_active->Bus().HidD_GetHidGuid(guid);
}

BOOLEAN WINAPI SimHidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes)
{
    return g_active->Answer(g_active->Bus().HidD_GetAttributes(device, attributes));
}

HDEVINFO WINAPI SimSetupDiGetClassDevsA(const GUID* guid, PCSTR enumerator, HWND parent, DWORD flags)
{
    return g_active->Answer(g_active->Bus().SetupDiGetClassDevsA(guid, enumerator, parent, flags));
}

BOOL WINAPI SimSetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID* guid, DWORD index,
                                           PSP_DEVICE_INTERFACE_DATA data)
{
    return g_active->Answer(g_active->Bus().SetupDiEnumDeviceInterfaces(set, info, guid, index, data));
}

BOOL WINAPI SimSetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size,
                                                PDWORD required, PSP_DEVINFO_DATA info)
{
    return g_active->Answer(
        g_active->Bus().SetupDiGetDeviceInterfaceDetailA(set, data, detail, size, required, info));
}

BOOL WINAPI SimSetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    return g_active->Answer(g_active->Bus().SetupDiDestroyDeviceInfoList(set));
}

HANDLE WINAPI SimCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile)
{
    return g_active->CreateFileA(path, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI SimWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    return g_active->WriteFile(file, data, size, written, overlapped);
}

BOOL WINAPI SimGetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait)
{
    return g_active->GetOverlappedResult(file, overlapped, transferred, wait);
}

HANDLE WINAPI SimCreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    return g_active->CreateEventA(security, manualReset, initialState, name);
}

DWORD WINAPI SimWaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    return g_active->WaitForSingleObject(object, milliseconds);
}

BOOL WINAPI SimCloseHandle(HANDLE object)
{
    return g_active->CloseHandle(object);
}

DWORD WINAPI SimTimeGetTime()
{
    return g_active->Now();
}

template <typename Function>
void* Fn(Function function)
{
    return reinterpret_cast<void*>(function);
}

} // namespace

CSimHidImports::CSimHidImports(CSimHidBus& bus, Clock clock) : m_bus(bus), m_clock(clock)
{
    InitializeCriticalSection(&m_lock);
    // Far above any handle value the system hands out, so the two never meet.
    m_bus.SetFirstHandle(static_cast<uintptr_t>(0x70000000));
    m_bus.AcceptRecordsFromElsewhere(true);
}

CSimHidImports::~CSimHidImports()
{
    // The module's events are its own to close; their twins go with the bus.
    m_table.Restore();
    if (g_active == this)
        g_active = nullptr;
    DeleteCriticalSection(&m_lock);
}

bool CSimHidImports::Attach(HMODULE module, std::string& error)
{
    const std::vector<ImportRedirect> redirects = {
        {"hid.dll", "HidD_GetHidGuid", Fn(&SimHidD_GetHidGuid)},
        {"hid.dll", "HidD_GetAttributes", Fn(&SimHidD_GetAttributes)},
        {"setupapi.dll", "SetupDiGetClassDevsA", Fn(&SimSetupDiGetClassDevsA)},
        {"setupapi.dll", "SetupDiEnumDeviceInterfaces", Fn(&SimSetupDiEnumDeviceInterfaces)},
        {"setupapi.dll", "SetupDiGetDeviceInterfaceDetailA", Fn(&SimSetupDiGetDeviceInterfaceDetailA)},
        {"setupapi.dll", "SetupDiDestroyDeviceInfoList", Fn(&SimSetupDiDestroyDeviceInfoList)},
        {"kernel32.dll", "CreateFileA", Fn(&SimCreateFileA)},
        {"kernel32.dll", "WriteFile", Fn(&SimWriteFile)},
        {"kernel32.dll", "GetOverlappedResult", Fn(&SimGetOverlappedResult)},
        {"kernel32.dll", "CreateEventA", Fn(&SimCreateEventA)},
        {"kernel32.dll", "WaitForSingleObject", Fn(&SimWaitForSingleObject)},
        {"kernel32.dll", "CloseHandle", Fn(&SimCloseHandle)},
        {"winmm.dll", "timeGetTime", Fn(&SimTimeGetTime)},
    };
    if (g_active != nullptr && g_active != this) {
        error = "another module is already bound to a simulated bus";
        return false;
    }
    g_active = this;
    m_table.Redirect(module, redirects);
    if (!m_table.Missing().empty()) {
        m_table.Restore();
        error = "the module does not import";
        for (const std::string& name : m_table.Missing())
            error += " " + name;
        return false;
    }
    return true;
}

DWORD CSimHidImports::LastBusError()
{
    return m_bus.GetLastError();
}

HANDLE CSimHidImports::TwinOf(HANDLE event)
{
    const auto found = m_twins.find(event);
    return found != m_twins.end() ? found->second : nullptr;
}

HANDLE CSimHidImports::CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (!IsDevicePath(path))
        return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
    CHeld held(m_lock);
    return Answer(m_bus.CreateFileA(path, access, share, security, disposition, flags, templateFile));
}

BOOL CSimHidImports::WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    {
        CHeld held(m_lock);
        if (m_bus.Owns(file)) {
            // The bus completes and signals through the twin of the record's event.
            const HANDLE event = overlapped != nullptr ? overlapped->hEvent : nullptr;
            const HANDLE twin = TwinOf(event);
            if (twin != nullptr) {
                m_carriesWrites.insert(event);
                overlapped->hEvent = twin;
            }
            const BOOL result = m_bus.WriteFile(file, data, size, written, overlapped);
            if (twin != nullptr)
                overlapped->hEvent = event;
            return Answer(result);
        }
    }
    return ::WriteFile(file, data, size, written, overlapped);
}

BOOL CSimHidImports::GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait)
{
    {
        CHeld held(m_lock);
        if (m_bus.Owns(file))
            return Answer(m_bus.GetOverlappedResult(file, overlapped, transferred, wait));
    }
    return ::GetOverlappedResult(file, overlapped, transferred, wait);
}

HANDLE CSimHidImports::CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    const HANDLE event = ::CreateEventA(security, manualReset, initialState, name);
    if (event == nullptr)
        return nullptr;
    CHeld held(m_lock);
    const HANDLE twin = m_bus.CreateEventA(security, manualReset, initialState, name);
    if (twin == nullptr) {
        ::CloseHandle(event);
        return Answer(twin);
    }
    m_twins[event] = twin;
    return event;
}

DWORD CSimHidImports::WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    {
        CHeld held(m_lock);
        if (m_carriesWrites.count(object) != 0)
            return Answer(m_bus.WaitForSingleObject(TwinOf(object), milliseconds));
    }
    return ::WaitForSingleObject(object, milliseconds);
}

BOOL CSimHidImports::CloseHandle(HANDLE object)
{
    {
        CHeld held(m_lock);
        if (m_bus.Owns(object))
            return Answer(m_bus.CloseHandle(object));
        const HANDLE twin = TwinOf(object);
        if (twin != nullptr) {
            m_bus.CloseHandle(twin);
            m_twins.erase(object);
            m_carriesWrites.erase(object);
        }
    }
    return ::CloseHandle(object);
}
