#include "device/HIDController.h"

#include <algorithm>
#include <initializer_list>

// The record sizes a 32-bit process hands to SetupAPI and HID; a 64-bit build differs
// and always uses sizeof.
#ifndef _WIN64
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28, "interface data record");
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5, "fixed part of the detail record");
#endif
static_assert(sizeof(HIDD_ATTRIBUTES) == 12, "attribute record");

namespace {

const DWORD kLastInterfaceIndex = 127;
// Far above any real device path; a larger size answer is treated as garbage, not allocated.
const DWORD kMaxDetailSize = 0x8000;

// Releases the device information set on every path out of the search.
class CScopedDeviceInfoSet {
public:
    CScopedDeviceInfoSet(IHidSystem& system, HDEVINFO set) : m_system(system), m_set(set) {}
    ~CScopedDeviceInfoSet()
    {
        if (IsValid())
            m_system.SetupDiDestroyDeviceInfoList(m_set);
    }
    CScopedDeviceInfoSet(const CScopedDeviceInfoSet&) = delete;
    CScopedDeviceInfoSet& operator=(const CScopedDeviceInfoSet&) = delete;
    bool IsValid() const { return m_set != INVALID_HANDLE_VALUE && m_set != nullptr; }
    HDEVINFO Get() const { return m_set; }

private:
    IHidSystem& m_system;
    HDEVINFO m_set;
};

// One interface detail record, freed through the binding that allocated it.
class CScopedDetail {
public:
    CScopedDetail(IHidSystem& system, DWORD bytes)
        : m_system(system), m_detail(static_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(
                                system.Allocate(bytes)))
    {
    }
    ~CScopedDetail()
    {
        if (m_detail)
            m_system.Free(m_detail);
    }
    CScopedDetail(const CScopedDetail&) = delete;
    CScopedDetail& operator=(const CScopedDetail&) = delete;
    PSP_DEVICE_INTERFACE_DETAIL_DATA_A Get() const { return m_detail; }

private:
    IHidSystem& m_system;
    PSP_DEVICE_INTERFACE_DETAIL_DATA_A m_detail;
};

// Opens the interface at one enumeration index; the invalid handle if there is none or
// it cannot be opened.
HANDLE OpenInterface(IHidSystem& system, HDEVINFO set, const GUID& hidGuid, DWORD index)
{
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!system.SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &interfaceData))
        return INVALID_HANDLE_VALUE;

    DWORD required = 0;
    system.SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, nullptr, 0, &required, nullptr);
    if (required == 0 || required > kMaxDetailSize)
        return INVALID_HANDLE_VALUE;
    DWORD bytes = std::max<DWORD>(required, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A));
    CScopedDetail detail(system, bytes);
    if (!detail.Get())
        return INVALID_HANDLE_VALUE;
    // The fixed part of the record as this process lays it out: 5 bytes in a 32-bit
    // process, 8 in a 64-bit one. SetupAPI rejects any other value.
    detail.Get()->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!system.SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail.Get(), bytes,
                                                 nullptr, nullptr))
        return INVALID_HANDLE_VALUE;
    reinterpret_cast<char*>(detail.Get())[bytes - 1] = '\0';

    return system.CreateFileA(detail.Get()->DevicePath, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
}

} // namespace

HIDController::HIDController(IHidSystem& system) : m_system(&system) {}

HIDController::~HIDController()
{
    Close();
}

bool HIDController::Connect()
{
    if (m_linkUp)
        return true;
    HANDLE device = FindDevice(kTervaneVendorId, kTervaneProductId);
    if (device == INVALID_HANDLE_VALUE)
        return false; // a stale handle from a failed write stays in place

    ReleaseHandles();
    m_device = device;
    m_vendorId = kTervaneVendorId;
    m_productId = kTervaneProductId;
    m_readCompletion.hEvent = m_system->CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_writeCompletion.hEvent = m_system->CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_readCompletion.hEvent || !m_writeCompletion.hEvent) {
        // A link without its completion events could not wait for a pending write.
        Close();
        return false;
    }
    m_linkUp = true;
    return true;
}

HANDLE HIDController::FindDevice(int vendorId, int productId)
{
    GUID hidGuid = {};
    m_system->HidD_GetHidGuid(&hidGuid);
    CScopedDeviceInfoSet set(*m_system,
                             m_system->SetupDiGetClassDevsA(&hidGuid, nullptr, nullptr,
                                                            DIGCF_PRESENT | DIGCF_ALLCLASSES |
                                                                DIGCF_DEVICEINTERFACE));
    if (!set.IsValid())
        return INVALID_HANDLE_VALUE;

    // Every index is tried: enumeration may have gaps where interfaces were removed.
    for (DWORD index = 0; index <= kLastInterfaceIndex; ++index) {
        HANDLE device = OpenInterface(*m_system, set.Get(), hidGuid, index);
        if (device == INVALID_HANDLE_VALUE)
            continue;
        HIDD_ATTRIBUTES attributes = {};
        attributes.Size = sizeof(attributes);
        if (m_system->HidD_GetAttributes(device, &attributes) &&
            attributes.VendorID == vendorId && attributes.ProductID == productId)
            return device;
        m_system->CloseHandle(device);
    }
    return INVALID_HANDLE_VALUE;
}

uint8_t HIDController::Send(const uint8_t* report)
{
    if (!m_linkUp)
        return kSendLinkDown;
    if (!report)
        return kSendNoReport;
    // The write carries the write completion record so that, should the driver ever
    // answer "pending", the event waited on below and the result collected afterwards
    // belong to this very write.
    DWORD written = 0;
    if (m_system->WriteFile(m_device, report, kReportSize, &written, &m_writeCompletion))
        return kSendOk;
    if (m_system->GetLastError() != ERROR_IO_PENDING) {
        m_linkUp = false;
        return kSendFailed;
    }
    DWORD wait = m_system->WaitForSingleObject(m_writeCompletion.hEvent, m_writeTimeout);
    if (wait == WAIT_OBJECT_0 &&
        m_system->GetOverlappedResult(m_device, &m_writeCompletion, &written, FALSE))
        return kSendOk;
    m_linkUp = false;
    return wait == WAIT_TIMEOUT ? kSendTimedOut : kSendFailed;
}

void HIDController::Close()
{
    ReleaseHandles();
    m_linkUp = false;
}

void HIDController::SetHidSystem(IHidSystem& system)
{
    Close();
    m_system = &system;
}

void HIDController::ReleaseHandles()
{
    if (m_device != INVALID_HANDLE_VALUE) {
        m_system->CloseHandle(m_device);
        m_device = INVALID_HANDLE_VALUE;
    }
    for (OVERLAPPED* completion : {&m_readCompletion, &m_writeCompletion}) {
        if (completion->hEvent)
            m_system->CloseHandle(completion->hEvent);
        *completion = OVERLAPPED{};
    }
}
