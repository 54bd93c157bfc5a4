#include "device/HidSystem.h"

#include <new>

namespace {

class CHidSystemWin32 final : public IHidSystem {
public:
    void HidD_GetHidGuid(LPGUID hidGuid) override { ::HidD_GetHidGuid(hidGuid); }
    BOOLEAN HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) override
    {
        return ::HidD_GetAttributes(device, attributes);
    }
    HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                  DWORD flags) override
    {
        return ::SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
    }
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA deviceInfo,
                                     const GUID* interfaceClassGuid, DWORD memberIndex,
                                     PSP_DEVICE_INTERFACE_DATA interfaceData) override
    {
        return ::SetupDiEnumDeviceInterfaces(set, deviceInfo, interfaceClassGuid, memberIndex,
                                             interfaceData);
    }
    BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA deviceInfo) override
    {
        return ::SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, detailSize,
                                                  requiredSize, deviceInfo);
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override
    {
        return ::SetupDiDestroyDeviceInfoList(set);
    }
    HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override
    {
        return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                   LPOVERLAPPED overlapped) override
    {
        return ::WriteFile(file, data, size, written, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred,
                             BOOL wait) override
    {
        return ::GetOverlappedResult(file, overlapped, transferred, wait);
    }
    HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                        LPCSTR name) override
    {
        return ::CreateEventA(security, manualReset, initialState, name);
    }
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override
    {
        return ::WaitForSingleObject(object, milliseconds);
    }
    BOOL CloseHandle(HANDLE object) override { return ::CloseHandle(object); }
    DWORD GetLastError() override { return ::GetLastError(); }
    // Through the program's own allocation operators, like every other allocation.
    void* Allocate(size_t bytes) override { return ::operator new(bytes, std::nothrow); }
    void Free(void* block) override { ::operator delete(block); }
};

// Constant-initialized and trivially destructible: usable from any static constructor or
// destructor, whatever the order.
CHidSystemWin32 s_win32;

} // namespace

IHidSystem& HidSystemWin32()
{
    return s_win32;
}

namespace {

IHidSystem* g_bound = nullptr;

} // namespace

IHidSystem& BoundHidSystem()
{
    return g_bound != nullptr ? *g_bound : HidSystemWin32();
}

void BindHidSystem(IHidSystem* system)
{
    g_bound = system;
}
