#pragma once
#include <cstdint>

#include "device/HidSystem.h"

// Finds the Tervane device among the system's HID interfaces, opens it and writes 16-byte
// output reports to it. A failed write only marks the link down and keeps the handle; the
// next Connect searches again and replaces it. Owns its handles: not copyable.
// User-interface thread only; no lock.
class HIDController {
public:
    static constexpr uint16_t kTervaneVendorId = 0x0483;
    static constexpr uint16_t kTervaneProductId = 0x5750;
    static constexpr DWORD kReportSize = 16;

    // Send status values; 3 is never produced. Every status but kSendNoReport leaves the
    // link as its name says: up after kSendOk, down after the others.
    static constexpr uint8_t kSendOk = 0;
    // No report was given: nothing is written and the link is left as it was, since the
    // device did nothing wrong (taking the link down would force a new search).
    static constexpr uint8_t kSendNoReport = 1;
    static constexpr uint8_t kSendLinkDown = 2;
    static constexpr uint8_t kSendTimedOut = 4;
    static constexpr uint8_t kSendFailed = 5;

    explicit HIDController(IHidSystem& system = HidSystemWin32());
    virtual ~HIDController();
    HIDController(const HIDController&) = delete;
    HIDController& operator=(const HIDController&) = delete;

    // True when the link is up afterwards; returns at once without a search while it is up.
    bool Connect();
    // The first interface in enumeration order with these IDs, opened; else the invalid
    // handle. The caller owns the handle.
    HANDLE FindDevice(int vendorId, int productId);
    // Writes kReportSize bytes; one of the kSend* values. A down link answers kSendLinkDown
    // before the report is looked at; a null report on an up link, kSendNoReport.
    uint8_t Send(const uint8_t* report);
    void Close();

    // A device handle is held (possibly stale after a failed write).
    bool HasHandle() const { return m_device != INVALID_HANDLE_VALUE; }
    bool IsLinkUp() const { return m_linkUp; }
    uint16_t GetVendorId() const { return m_vendorId; }
    uint16_t GetProductId() const { return m_productId; }

    // Rebinds the transport to other system functions (a simulated bus); closes first,
    // because handles belong to the binding that handed them out.
    void SetHidSystem(IHidSystem& system);

private:
    void ReleaseHandles();

    IHidSystem* m_system;
    HANDLE m_device = INVALID_HANDLE_VALUE;
    bool m_linkUp = false;
    DWORD m_readTimeout = 600; // kept for a read path; nothing reads from the device
    DWORD m_writeTimeout = 500;
    OVERLAPPED m_readCompletion = {};
    OVERLAPPED m_writeCompletion = {};
    uint16_t m_vendorId = 0xFFFF;
    uint16_t m_productId = 0xFFFF;
};
