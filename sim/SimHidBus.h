#pragma once
// A simulated HID bus that stands in for SetupAPI, HID, file and event calls, so the
// transport and everything above it run without a device.
//
//     CSimHidBus bus;                          // declare it before the objects bound to it
//     size_t tervane = bus.AddTervane();       // VID 0x0483, PID 0x5750
//     CTervane device;
//     bus.Bind(device);                        // or: CTervane device(bus);
//     device.Connect();
//     device.SetPatternLevel(3, 7);
//     bus.Reports()[1].bytes;                  // every report written, in order
//     bus.Unplug(tervane);                     // the open handle dies for good
//     bus.Replug(tervane);                     // found again by the next search only
//     bus.SetWriteFault(tervane, SimWriteFault::PendingNeverCompletes, 1);
//     device.Close();
//     EXPECT_TRUE(bus.IsClean()) << bus.Accounting();
//
// Time is virtual: a wait on an event that nobody signalled returns WAIT_TIMEOUT at once.
// Handle values are never reused, so a handle from before an unplug stays dead. Single
// threaded, like the transport. The bus must outlive every controller bound to it.
// It answers as Windows' HID stack does (checked against it with a virtual device): a write
// shorter than the 16-byte report fails with ERROR_INVALID_PARAMETER, a longer one is cut to
// 16 bytes, and a handle from before an unplug fails with ERROR_ACCESS_DENIED.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "device/HidSystem.h"

class HIDController;

// A write is answered "pending" only on a handle opened for overlapped I/O; on a handle opened
// for synchronous I/O, as the transport opens it, WriteFile returns when the device has
// finished with the write. The Pending faults model the first kind of answer whatever the
// handle, for the transport's wait path; HeldPastTheWait answers as the system's stack does.
enum class SimWriteFault {
    None,
    Fails,                     // WriteFile fails at once (ERROR_GEN_FAILURE)
    PendingCompletes,          // reported pending, then completes: the report arrives
    PendingNeverCompletes,     // reported pending, never completes: nothing arrives
    PendingCompletesWithError, // reported pending, completes as failed: nothing arrives
    PendingWaitFails,          // reported pending; waiting on its event fails
    // The device holds the write longer than any wait, then fails it (ERROR_SEM_TIMEOUT);
    // on an overlapped handle it is reported pending and never completes.
    HeldPastTheWait,
};

struct SimHidReport {
    size_t interfaceIndex;
    std::array<uint8_t, 16> bytes;
    // The player's position when the report arrived (seconds), when the bus has a source.
    double position = 0.0;
};

class CSimHidBus final : public IHidSystem {
public:
    static constexpr uint16_t kTervaneVendorId = 0x0483;
    static constexpr uint16_t kTervaneProductId = 0x5750;
    static constexpr int kAlways = -1;

    CSimHidBus() = default;
    ~CSimHidBus();
    CSimHidBus(const CSimHidBus&) = delete;
    CSimHidBus& operator=(const CSimHidBus&) = delete;

    // Interfaces enumerate in the order they were added; the result is the interface's
    // index, which is also its enumeration index. An empty path gets a unique one.
    size_t AddInterface(uint16_t vendorId, uint16_t productId, const std::string& path = "");
    size_t AddTervane();
    size_t InterfaceCount() const { return m_interfaces.size(); }
    const std::string& DevicePath(size_t index) const;

    // Points the controller (closed first) at this bus.
    void Bind(HIDController& controller);

    // Faults stay until changed. An unplugged interface leaves a gap in the enumeration.
    void SetOpenFails(size_t index, bool fails);
    void SetAttributesFail(size_t index, bool fails);
    // The size the first detail call reports for the interface's record, whatever its path
    // needs; the record itself still needs what the path takes.
    void SetDetailSizeAnswer(size_t index, DWORD bytes);
    // The next `count` writes to the interface meet the fault (kAlways: every later write).
    void SetWriteFault(size_t index, SimWriteFault fault, int count = kAlways);
    void Unplug(size_t index);
    void Replug(size_t index);
    bool IsPlugged(size_t index) const;
    void SetEventCreationFails(bool fails) { m_eventCreationFails = fails; }
    // Where handle values start (before any is handed out): a bus that shares a process's
    // calls with the system keeps its values apart from the system's.
    void SetFirstHandle(uintptr_t value) { m_nextHandle = value; }
    // Detail records allocated by a module of its own, not through Allocate, are taken as
    // they come (their size field is still checked).
    void AcceptRecordsFromElsewhere(bool accept) { m_foreignRecords = accept; }
    // A device handle or event of the bus's, live or not yet closed.
    bool Owns(HANDLE handle) const;

    const std::vector<SimHidReport>& Reports() const { return m_reports; }
    void ClearReports() { m_reports.clear(); }
    // Where each report's position comes from; none leaves it 0.
    void SetPositionSource(std::function<double()> source) { m_positionSource = std::move(source); }

    // Accounting of what the bus handed out and what came back.
    int SearchCount() const { return m_searches; }       // device information sets handed out
    int OpenCount(size_t index) const;                   // successful opens of the interface
    size_t OpenDeviceHandles() const { return CountOpen(HandleKind::Device); }
    size_t OpenEvents() const { return CountOpen(HandleKind::Event); }
    size_t OpenDeviceInfoSets() const { return CountOpen(HandleKind::InfoSet); }
    size_t LiveAllocations() const { return m_allocations.size(); }
    int AllocationCount() const { return m_allocationCount; } // every block handed out
    // Releases of something not handed out, already released, or released the wrong way.
    int InvalidReleases() const { return m_invalidReleases; }
    // Calls with malformed records: wrong size fields, buffers smaller than claimed.
    int Misuses() const { return m_misuses; }
    DWORD LastWaitTimeout() const { return m_lastWaitTimeout; }
    // Nothing open, nothing allocated, nothing released twice, no misuse.
    bool IsClean() const;
    std::string Accounting() const;

    // IHidSystem
    void HidD_GetHidGuid(LPGUID hidGuid) override;
    BOOLEAN HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) override;
    HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                  DWORD flags) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA deviceInfo,
                                     const GUID* interfaceClassGuid, DWORD memberIndex,
                                     PSP_DEVICE_INTERFACE_DATA interfaceData) override;
    BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA deviceInfo) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override;
    BOOL WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                   LPOVERLAPPED overlapped) override;
    BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred,
                             BOOL wait) override;
    HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                        LPCSTR name) override;
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
    BOOL CloseHandle(HANDLE object) override;
    DWORD GetLastError() override { return m_lastError; }
    void* Allocate(size_t bytes) override;
    void Free(void* block) override;

private:
    enum class HandleKind { Device, Event, InfoSet };

    struct Interface {
        uint16_t vendorId;
        uint16_t productId;
        std::string path;
        bool plugged = true;
        unsigned generation = 0; // raised by every replug; older handles are dead
        bool openFails = false;
        bool attributesFail = false;
        bool detailSizeLies = false;
        DWORD detailSizeAnswer = 0;
        SimWriteFault writeFault = SimWriteFault::None;
        int writeFaultCount = 0;
        int opens = 0;
    };

    struct HandleRecord {
        HandleKind kind;
        size_t interfaceIndex = 0;      // Device
        unsigned generation = 0;        // Device
        bool overlapped = false;        // Device: opened with FILE_FLAG_OVERLAPPED
        bool autoReset = false;         // Event
        bool signalled = false;         // Event
        bool waitFails = false;         // Event
        std::vector<bool> present;      // InfoSet: which interfaces were there when taken
    };

    HANDLE NewHandle(HandleRecord record);
    HandleRecord* Find(HANDLE handle, HandleKind kind);
    // The interface behind a live device handle, or null (with the last error set).
    Interface* LiveDevice(HANDLE handle);
    SimWriteFault TakeWriteFault(Interface& device);
    // Completes a write with an NTSTATUS; `arrived` is the report the device received.
    void FinishWrite(LPOVERLAPPED overlapped, HandleRecord* event, ULONG_PTR status,
                     const SimHidReport* arrived);
    bool Fail(DWORD error);
    size_t CountOpen(HandleKind kind) const;

    std::vector<Interface> m_interfaces;
    std::map<uintptr_t, HandleRecord> m_handles;
    std::map<void*, size_t> m_allocations;
    std::vector<SimHidReport> m_reports;
    std::function<double()> m_positionSource;
    uintptr_t m_nextHandle = 0x1000;
    DWORD m_lastError = 0;
    DWORD m_lastWaitTimeout = 0;
    int m_searches = 0;
    int m_allocationCount = 0;
    int m_invalidReleases = 0;
    int m_misuses = 0;
    bool m_eventCreationFails = false;
    bool m_foreignRecords = false;
};
