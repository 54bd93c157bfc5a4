#include "sim/usb/VirtualTervaneNode.h"

#include <cstdio>
#include <cstring>

#include "base/Win32.h"
#include <newdev.h>
#include <setupapi.h>

#include "sim/usb/VirtualTervaneProtocol.h"

namespace VirtualTervaneNode {
namespace {

const GUID kHidClass = {0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};

bool Failed(const char* what, std::string& error)
{
    const DWORD code = GetLastError();
    char text[200];
    std::snprintf(text, sizeof text, "%s failed (error %lu)", what, static_cast<unsigned long>(code));
    error = text;
    return false;
}

// The device information set of every node of the HID class, released when it goes.
class CDeviceSet {
public:
    explicit CDeviceSet(HDEVINFO set) : m_set(set) {}
    ~CDeviceSet()
    {
        if (m_set != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(m_set);
    }
    CDeviceSet(const CDeviceSet&) = delete;
    CDeviceSet& operator=(const CDeviceSet&) = delete;
    HDEVINFO Get() const { return m_set; }
    bool IsValid() const { return m_set != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO m_set;
};

bool IsVirtualTervane(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    char ids[1024] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(set, &info, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                           sizeof ids - 2, nullptr))
        return false;
    for (const char* id = ids; *id != '\0'; id += std::strlen(id) + 1)
        if (lstrcmpiA(id, VT_HARDWARE_ID) == 0)
            return true;
    return false;
}

// Calls `act` for each node of the device; the number of nodes, or -1 when `act` fails.
template <typename Act>
int ForEachNode(Act act)
{
    CDeviceSet set(SetupDiGetClassDevsA(&kHidClass, nullptr, nullptr, 0));
    if (!set.IsValid())
        return 0;
    int count = 0;
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof(info);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.Get(), index, &info); ++index) {
        if (!IsVirtualTervane(set.Get(), info))
            continue;
        if (!act(set.Get(), info))
            return -1;
        ++count;
    }
    return count;
}

} // namespace

int Count()
{
    return ForEachNode([](HDEVINFO, SP_DEVINFO_DATA&) { return true; });
}

bool Add(const std::string& infPath, std::string& error)
{
    CDeviceSet set(SetupDiCreateDeviceInfoList(&kHidClass, nullptr));
    if (!set.IsValid())
        return Failed("SetupDiCreateDeviceInfoList", error);
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof(info);
    if (!SetupDiCreateDeviceInfoA(set.Get(), "HIDClass", &kHidClass, "Tervane (virtual)", nullptr, DICD_GENERATE_ID,
                                  &info))
        return Failed("SetupDiCreateDeviceInfo", error);
    static const char kIds[] = VT_HARDWARE_ID "\0";
    if (!SetupDiSetDeviceRegistryPropertyA(set.Get(), &info, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(kIds),
                                           sizeof kIds))
        return Failed("setting the hardware ID", error);
    if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.Get(), &info))
        return Failed("registering the device node", error);
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, VT_HARDWARE_ID, infPath.c_str(), INSTALLFLAG_FORCE, &reboot)) {
        Failed("installing the driver", error);
        SetupDiCallClassInstaller(DIF_REMOVE, set.Get(), &info);
        return false;
    }
    return true;
}

int RemoveAll(std::string& error)
{
    const int removed = ForEachNode([](HDEVINFO set, SP_DEVINFO_DATA& info) {
        return SetupDiCallClassInstaller(DIF_REMOVE, set, &info) != FALSE;
    });
    if (removed < 0)
        Failed("removing the device node", error);
    return removed;
}

bool Uninstall(std::string& error)
{
    if (RemoveAll(error) < 0)
        return false;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr)
        return Failed("opening the service manager", error);
    SC_HANDLE service = OpenServiceA(manager, VT_SERVICE_NAME, DELETE);
    const bool gone = service == nullptr ? GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST
                                         : DeleteService(service) != FALSE;
    if (!gone)
        Failed("deleting the driver's service", error);
    if (service != nullptr)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return gone;
}

} // namespace VirtualTervaneNode
