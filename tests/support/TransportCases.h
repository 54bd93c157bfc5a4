#pragma once
// The transport's cases as data, played against one Tervane device on the simulated bus or
// below the system's own HID stack: each step's answer becomes a line of a transcript, and
// both devices must give the transcript the table expects.
#include <cstdint>
#include <string>
#include <vector>

#include "device/HidSystem.h"
#include "support/HidReports.h"

// One Tervane device as a case needs it, plugged in and without faults at the start.
class ITervaneBench {
public:
    virtual IHidSystem& System() = 0;
    virtual bool Unplug() = 0;
    virtual bool Replug() = 0;
    virtual bool FailNextWrites(uint32_t count) = 0;
    virtual bool HoldNextWrites(uint32_t count) = 0;
    // The reports the device took since the last call, in order.
    virtual std::vector<HidReportBytes> TakeReports() = 0;

protected:
    ~ITervaneBench() = default;
};

enum class TransportStep {
    Connect,
    Send,        // a report of its own for each send of the case
    FindOther,   // searches for a product ID and a vendor ID that are not the device's
    Unplug,
    Replug,
    FailNext,    // the next write fails at the device
    HoldNext,    // the next write is held past the transport's wait, then fails
    WriteShort,  // 15 bytes on a handle of the transport's own search
    WriteLong,   // 20 bytes: cut to the report's 16
};

struct TransportCase {
    const char* name;
    std::vector<TransportStep> steps;
    std::vector<std::string> transcript;
};

const std::vector<TransportCase>& TransportCases();

// Plays the case on a transport bound to the bench's system; the last line lists the
// reports the device took.
std::vector<std::string> PlayTransportCase(const TransportCase& testCase, ITervaneBench& bench);

// The simulated bus's bench: one Tervane among other HID devices.
class CSimTervaneBench final : public ITervaneBench {
public:
    CSimTervaneBench();
    IHidSystem& System() override { return m_bus; }
    bool Unplug() override;
    bool Replug() override;
    bool FailNextWrites(uint32_t count) override;
    bool HoldNextWrites(uint32_t count) override;
    std::vector<HidReportBytes> TakeReports() override;
    const CSimHidBus& Bus() const { return m_bus; }

private:
    CSimHidBus m_bus;
    size_t m_tervane = 0;
    size_t m_taken = 0;
};
