#include "sim/SimHidBus.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>

#include "device/HIDController.h"

namespace {

const GUID kHidGuid = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const DWORD kSimReportSize = 16;
// NTSTATUS values the I/O manager leaves in an overlapped record.
const ULONG_PTR kStatusSuccess = 0;
const ULONG_PTR kStatusPending = 0x103;
const ULONG_PTR kStatusDeviceNotConnected = 0xC000009D;

bool SameGuid(const GUID* a, const GUID& b)
{
    return a && std::memcmp(a, &b, sizeof(GUID)) == 0;
}

bool SamePath(const std::string& a, const char* b)
{
    return lstrcmpiA(a.c_str(), b) == 0;
}

} // namespace

CSimHidBus::~CSimHidBus()
{
    // Leftovers are the transport's fault and already visible in the accounting.
    for (auto& block : m_allocations)
        ::operator delete(block.first);
}

size_t CSimHidBus::AddInterface(uint16_t vendorId, uint16_t productId, const std::string& path)
{
    Interface device;
    device.vendorId = vendorId;
    device.productId = productId;
    device.path = path;
    if (device.path.empty()) {
        char generated[128];
        std::snprintf(generated, sizeof(generated),
                      "\\\\?\\hid#vid_%04x&pid_%04x#sim&%u#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                      vendorId, productId, static_cast<unsigned>(m_interfaces.size()));
        device.path = generated;
    }
    m_interfaces.push_back(device);
    return m_interfaces.size() - 1;
}

size_t CSimHidBus::AddTervane()
{
    return AddInterface(kTervaneVendorId, kTervaneProductId);
}

const std::string& CSimHidBus::DevicePath(size_t index) const
{
    static const std::string none;
    return index < m_interfaces.size() ? m_interfaces[index].path : none;
}

void CSimHidBus::Bind(HIDController& controller)
{
    controller.SetHidSystem(*this);
}

void CSimHidBus::SetOpenFails(size_t index, bool fails)
{
    if (index < m_interfaces.size())
        m_interfaces[index].openFails = fails;
}

void CSimHidBus::SetAttributesFail(size_t index, bool fails)
{
    if (index < m_interfaces.size())
        m_interfaces[index].attributesFail = fails;
}

void CSimHidBus::SetDetailSizeAnswer(size_t index, DWORD bytes)
{
    if (index < m_interfaces.size()) {
        m_interfaces[index].detailSizeLies = true;
        m_interfaces[index].detailSizeAnswer = bytes;
    }
}

void CSimHidBus::SetWriteFault(size_t index, SimWriteFault fault, int count)
{
    if (index >= m_interfaces.size())
        return;
    m_interfaces[index].writeFault = count == 0 ? SimWriteFault::None : fault;
    m_interfaces[index].writeFaultCount = count;
}

void CSimHidBus::Unplug(size_t index)
{
    if (index < m_interfaces.size())
        m_interfaces[index].plugged = false;
}

void CSimHidBus::Replug(size_t index)
{
    if (index >= m_interfaces.size() || m_interfaces[index].plugged)
        return;
    m_interfaces[index].plugged = true;
    ++m_interfaces[index].generation;
}

bool CSimHidBus::IsPlugged(size_t index) const
{
    return index < m_interfaces.size() && m_interfaces[index].plugged;
}

int CSimHidBus::OpenCount(size_t index) const
{
    return index < m_interfaces.size() ? m_interfaces[index].opens : 0;
}

bool CSimHidBus::IsClean() const
{
    return m_handles.empty() && m_allocations.empty() && m_invalidReleases == 0 &&
           m_misuses == 0;
}

std::string CSimHidBus::Accounting() const
{
    char text[160];
    std::snprintf(text, sizeof(text),
                  "device handles %u, events %u, info sets %u, blocks %u, invalid releases %d, "
                  "misuses %d",
                  static_cast<unsigned>(OpenDeviceHandles()), static_cast<unsigned>(OpenEvents()),
                  static_cast<unsigned>(OpenDeviceInfoSets()),
                  static_cast<unsigned>(LiveAllocations()), m_invalidReleases, m_misuses);
    return text;
}

void CSimHidBus::HidD_GetHidGuid(LPGUID hidGuid)
{
    if (hidGuid)
        *hidGuid = kHidGuid;
}

BOOLEAN CSimHidBus::HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes)
{
    Interface* found = LiveDevice(device);
    if (!found)
        return FALSE;
    if (!attributes) {
        ++m_misuses;
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (found->attributesFail)
        return Fail(ERROR_GEN_FAILURE);
    attributes->Size = sizeof(HIDD_ATTRIBUTES);
    attributes->VendorID = found->vendorId;
    attributes->ProductID = found->productId;
    attributes->VersionNumber = 0x0100;
    return TRUE;
}

HDEVINFO CSimHidBus::SetupDiGetClassDevsA(const GUID* classGuid, PCSTR, HWND, DWORD flags)
{
    // Only device interfaces are modelled; a search for anything else finds an empty set.
    HandleRecord set{HandleKind::InfoSet};
    bool interfacesOfHid = (flags & DIGCF_DEVICEINTERFACE) &&
                           ((flags & DIGCF_ALLCLASSES) || SameGuid(classGuid, kHidGuid));
    for (const Interface& device : m_interfaces)
        set.present.push_back(interfacesOfHid && (device.plugged || !(flags & DIGCF_PRESENT)));
    ++m_searches;
    return static_cast<HDEVINFO>(NewHandle(set));
}

BOOL CSimHidBus::SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA,
                                             const GUID* interfaceClassGuid, DWORD memberIndex,
                                             PSP_DEVICE_INTERFACE_DATA interfaceData)
{
    HandleRecord* record = Find(set, HandleKind::InfoSet);
    if (!record)
        return Fail(ERROR_INVALID_HANDLE);
    if (!interfaceData || interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        ++m_misuses;
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    if (!SameGuid(interfaceClassGuid, kHidGuid) || memberIndex >= record->present.size() ||
        !record->present[memberIndex])
        return Fail(ERROR_NO_MORE_ITEMS);
    interfaceData->InterfaceClassGuid = kHidGuid;
    interfaceData->Flags = SPINT_ACTIVE;
    interfaceData->Reserved = memberIndex + 1;
    return TRUE;
}

BOOL CSimHidBus::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set,
                                                  PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                  DWORD detailSize, PDWORD requiredSize,
                                                  PSP_DEVINFO_DATA)
{
    HandleRecord* record = Find(set, HandleKind::InfoSet);
    if (!record)
        return Fail(ERROR_INVALID_HANDLE);
    if (!interfaceData || interfaceData->Reserved == 0 ||
        interfaceData->Reserved > record->present.size()) {
        ++m_misuses;
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const Interface& device = m_interfaces[interfaceData->Reserved - 1];
    const std::string& path = device.path;
    DWORD required =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
    if (requiredSize)
        *requiredSize = device.detailSizeLies ? device.detailSizeAnswer : required;
    if (!detail) {
        if (detailSize != 0) {
            ++m_misuses;
            return Fail(ERROR_INVALID_USER_BUFFER);
        }
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    // The record must be one of ours, at least as large as claimed, with the size field
    // Windows expects in this process.
    auto block = m_allocations.find(detail);
    const bool ours = block != m_allocations.end() && block->second >= detailSize;
    if ((!ours && !m_foreignRecords) || detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        ++m_misuses;
        return Fail(ERROR_INVALID_USER_BUFFER);
    }
    if (detailSize < required)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
    return TRUE;
}

BOOL CSimHidBus::SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!Find(set, HandleKind::InfoSet)) {
        ++m_invalidReleases;
        return Fail(ERROR_INVALID_HANDLE);
    }
    m_handles.erase(reinterpret_cast<uintptr_t>(set));
    return TRUE;
}

HANDLE CSimHidBus::CreateFileA(LPCSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD flags,
                               HANDLE)
{
    if (!path) {
        Fail(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    for (size_t index = 0; index < m_interfaces.size(); ++index) {
        Interface& device = m_interfaces[index];
        if (!device.plugged || !SamePath(device.path, path))
            continue;
        if (device.openFails) {
            Fail(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        HandleRecord record{HandleKind::Device};
        record.interfaceIndex = index;
        record.generation = device.generation;
        record.overlapped = (flags & FILE_FLAG_OVERLAPPED) != 0;
        ++device.opens;
        return NewHandle(record);
    }
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL CSimHidBus::WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                           LPOVERLAPPED overlapped)
{
    if (written)
        *written = 0;
    Interface* device = LiveDevice(file);
    if (!device)
        return FALSE;
    // A HID write carries one output report: less is refused, more is cut to its length.
    if (!data || size == 0)
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (size < kSimReportSize)
        return Fail(ERROR_INVALID_PARAMETER);
    HandleRecord* event = overlapped ? Find(overlapped->hEvent, HandleKind::Event) : nullptr;
    if (event)
        event->signalled = false; // the I/O manager resets it as the write starts

    const HandleRecord* handle = Find(file, HandleKind::Device);
    SimHidReport report;
    report.interfaceIndex = handle->interfaceIndex;
    std::memcpy(report.bytes.data(), data, kSimReportSize);

    SimWriteFault fault = TakeWriteFault(*device);
    if (fault == SimWriteFault::HeldPastTheWait && !handle->overlapped)
        return Fail(ERROR_SEM_TIMEOUT); // WriteFile returned only when the device let go
    switch (fault) {
    case SimWriteFault::None:
        FinishWrite(overlapped, event, kStatusSuccess, &report);
        if (written)
            *written = kSimReportSize;
        return TRUE;
    case SimWriteFault::Fails:
        return Fail(ERROR_GEN_FAILURE);
    case SimWriteFault::PendingCompletes:
        FinishWrite(overlapped, event, kStatusSuccess, &report);
        break;
    case SimWriteFault::PendingCompletesWithError:
        FinishWrite(overlapped, event, kStatusDeviceNotConnected, nullptr);
        break;
    case SimWriteFault::PendingNeverCompletes:
    case SimWriteFault::HeldPastTheWait:
    case SimWriteFault::PendingWaitFails:
        if (overlapped) {
            overlapped->Internal = kStatusPending;
            overlapped->InternalHigh = 0;
        }
        if (event)
            event->waitFails = fault == SimWriteFault::PendingWaitFails;
        break;
    }
    return Fail(ERROR_IO_PENDING);
}

BOOL CSimHidBus::GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred,
                                     BOOL)
{
    if (!Find(file, HandleKind::Device))
        return Fail(ERROR_INVALID_HANDLE);
    if (!overlapped) {
        ++m_misuses;
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // Nothing can complete while the caller waits in virtual time, so waiting is no help.
    if (overlapped->Internal == kStatusPending)
        return Fail(ERROR_IO_INCOMPLETE);
    if (overlapped->Internal != kStatusSuccess)
        return Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (transferred)
        *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    return TRUE;
}

HANDLE CSimHidBus::CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                                LPCSTR)
{
    if (m_eventCreationFails) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HandleRecord record{HandleKind::Event};
    record.autoReset = !manualReset;
    record.signalled = initialState != FALSE;
    return NewHandle(record);
}

DWORD CSimHidBus::WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    m_lastWaitTimeout = milliseconds;
    HandleRecord* event = Find(object, HandleKind::Event);
    if (!event) {
        Fail(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (event->waitFails) {
        event->waitFails = false;
        Fail(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (event->signalled) {
        if (event->autoReset)
            event->signalled = false;
        return WAIT_OBJECT_0;
    }
    // An endless wait for an event that nobody on this single thread can signal.
    if (milliseconds == INFINITE) {
        ++m_misuses;
        Fail(ERROR_POSSIBLE_DEADLOCK);
        return WAIT_FAILED;
    }
    return WAIT_TIMEOUT;
}

BOOL CSimHidBus::CloseHandle(HANDLE object)
{
    auto found = m_handles.find(reinterpret_cast<uintptr_t>(object));
    // Device information sets are released with their own function, never CloseHandle.
    if (found == m_handles.end() || found->second.kind == HandleKind::InfoSet) {
        ++m_invalidReleases;
        return Fail(ERROR_INVALID_HANDLE);
    }
    m_handles.erase(found);
    return TRUE;
}

void* CSimHidBus::Allocate(size_t bytes)
{
    void* block = ::operator new(bytes, std::nothrow);
    if (block) {
        m_allocations[block] = bytes;
        ++m_allocationCount;
    }
    return block;
}

void CSimHidBus::Free(void* block)
{
    if (!block)
        return;
    auto found = m_allocations.find(block);
    if (found == m_allocations.end()) {
        ++m_invalidReleases;
        return;
    }
    m_allocations.erase(found);
    ::operator delete(block);
}

HANDLE CSimHidBus::NewHandle(HandleRecord record)
{
    uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(value, std::move(record));
    return reinterpret_cast<HANDLE>(value);
}

CSimHidBus::HandleRecord* CSimHidBus::Find(HANDLE handle, HandleKind kind)
{
    auto found = m_handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == m_handles.end() || found->second.kind != kind)
        return nullptr;
    return &found->second;
}

CSimHidBus::Interface* CSimHidBus::LiveDevice(HANDLE handle)
{
    HandleRecord* record = Find(handle, HandleKind::Device);
    if (!record) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    Interface& device = m_interfaces[record->interfaceIndex];
    // The handle's device object is gone for good; the system refuses the handle itself.
    if (!device.plugged || device.generation != record->generation) {
        Fail(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return &device;
}

void CSimHidBus::FinishWrite(LPOVERLAPPED overlapped, HandleRecord* event, ULONG_PTR status,
                             const SimHidReport* arrived)
{
    if (arrived) {
        m_reports.push_back(*arrived);
        m_reports.back().position = m_positionSource ? m_positionSource() : 0.0;
    }
    if (overlapped) {
        overlapped->Internal = status;
        overlapped->InternalHigh = arrived ? kSimReportSize : 0;
    }
    if (event)
        event->signalled = true; // completion signals the record's event, as on Windows
}

SimWriteFault CSimHidBus::TakeWriteFault(Interface& device)
{
    SimWriteFault fault = device.writeFault;
    if (device.writeFaultCount > 0 && --device.writeFaultCount == 0)
        device.writeFault = SimWriteFault::None;
    return fault;
}

bool CSimHidBus::Fail(DWORD error)
{
    m_lastError = error;
    return false;
}

bool CSimHidBus::Owns(HANDLE handle) const
{
    const auto found = m_handles.find(reinterpret_cast<uintptr_t>(handle));
    return found != m_handles.end() && found->second.kind != HandleKind::InfoSet;
}

size_t CSimHidBus::CountOpen(HandleKind kind) const
{
    size_t count = 0;
    for (const auto& handle : m_handles)
        count += handle.second.kind == kind ? 1 : 0;
    return count;
}
