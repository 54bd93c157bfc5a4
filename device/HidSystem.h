#pragma once
#include <cstddef>

#include "base/Win32.h"
#include <setupapi.h>
// The HID header has no C++ linkage guard of its own.
extern "C" {
#include <hidsdi.h>
}

// Everything the HID transport asks of the system: device search, opening, writing,
// waiting and events, plus the memory for device interface detail records. The product
// binds it to the real Windows functions (HidSystemWin32); tests and tools bind a
// CSimHidBus. The methods carry the Windows names and signatures on purpose, so the
// transport reads the same against either binding.
class IHidSystem {
public:
    virtual void HidD_GetHidGuid(LPGUID hidGuid) = 0;
    virtual BOOLEAN HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) = 0;
    virtual HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                          DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA deviceInfo,
                                             const GUID* interfaceClassGuid, DWORD memberIndex,
                                             PSP_DEVICE_INTERFACE_DATA interfaceData) = 0;
    virtual BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set,
                                                  PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                  DWORD detailSize, PDWORD requiredSize,
                                                  PSP_DEVINFO_DATA deviceInfo) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;
    virtual HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) = 0;
    virtual BOOL WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                           LPOVERLAPPED overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred,
                                     BOOL wait) = 0;
    virtual HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset,
                                BOOL initialState, LPCSTR name) = 0;
    virtual DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) = 0;
    virtual BOOL CloseHandle(HANDLE object) = 0;
    virtual DWORD GetLastError() = 0;
    // Detail records: null when the memory cannot be had.
    virtual void* Allocate(size_t bytes) = 0;
    virtual void Free(void* block) = 0;

protected:
    // Bindings are never deleted through this interface; a trivial destructor also keeps
    // the process-wide Windows binding alive for objects destroyed late at exit.
    ~IHidSystem() = default;
};

// The binding to the real SetupAPI, HID, file and event functions; one per process.
IHidSystem& HidSystemWin32();

// The binding the plug-in object gives the device manager it creates: the real one unless a
// tool that links the plug-in in binds a simulated bus first. User-interface thread only.
IHidSystem& BoundHidSystem();
// Null returns to the real functions.
void BindHidSystem(IHidSystem* system);
