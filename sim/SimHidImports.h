#pragma once
// A loaded plug-in DLL's own device code run against a simulated bus: the module's imports of
// the HID and SetupAPI functions go to the bus, and so do its file and event calls on the
// bus's device handles and on the events that carry its device writes. Every other file,
// event and wait passes through to the system, so the module's settings, sheets and threads
// work as they do anywhere. Its clock (timeGetTime) reads the given virtual one.
//
// One at a time in a process; it must outlive the module (free the DLL first).
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "base/Win32.h"
#include "sim/ImportTable.h"

class CSimHidBus;

class CSimHidImports {
public:
    using Clock = uint32_t (*)();

    CSimHidImports(CSimHidBus& bus, Clock clock);
    ~CSimHidImports();
    CSimHidImports(const CSimHidImports&) = delete;
    CSimHidImports& operator=(const CSimHidImports&) = delete;

    // False, naming what is missing, when the module does not import every function its
    // device code calls (then nothing of the module is changed).
    bool Attach(HMODULE module, std::string& error);

    // The routed calls, reached from the module's import entries.
    HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
    HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
    BOOL CloseHandle(HANDLE object);
    CSimHidBus& Bus() { return m_bus; }
    uint32_t Now() const { return m_clock(); }
    // Copies the bus's last error into the thread's after a bus call; passes the result on.
    template <typename T>
    T Answer(T result)
    {
        SetLastError(LastBusError());
        return result;
    }

private:
    DWORD LastBusError();
    // The bus's twin of a real event, or null.
    HANDLE TwinOf(HANDLE event);

    CSimHidBus& m_bus;
    Clock m_clock;
    CImportTable m_table;
    // The module may make and wait on events from other threads: the bus and these maps are
    // used under the lock, waits on real objects outside it.
    CRITICAL_SECTION m_lock;
    // Every event the module makes is a real one with a twin on the bus; a write that names
    // it in its overlapped record makes the bus's twin the one that counts from then on.
    std::map<HANDLE, HANDLE> m_twins;
    std::set<HANDLE> m_carriesWrites;
};
