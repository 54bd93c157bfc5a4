#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "sim/SimHidBus.h"

using HidReportBytes = std::array<uint8_t, 16>;

// The whole device report with the three bytes that change; the rest is the fixed frame.
inline HidReportBytes TervaneReport(char pause, char pattern, char level)
{
    return {0x00, '<', '0', '1', '5', '2', static_cast<uint8_t>(pause),
            static_cast<uint8_t>(pattern), static_cast<uint8_t>(level), '0', '0', 0x01, 0x02,
            0x03, 'h', '>'};
}

inline std::vector<HidReportBytes> LoggedReports(const CSimHidBus& bus)
{
    std::vector<HidReportBytes> reports;
    for (const SimHidReport& report : bus.Reports())
        reports.push_back(report.bytes);
    return reports;
}
