#include "device/Tervane.h"

#include <cstring>

namespace {
const uint8_t kInitialReport[HIDController::kReportSize] = {
    0x00, '<', '0', '1', '5', '2', '0', '0', '0', '0', '0', 0x01, 0x02, 0x03, 'h', '>',
};

// Values above 9 are not rejected: their low four bits land on the characters after '9'.
uint8_t Digit(int value)
{
    return static_cast<uint8_t>(0x30 | (value & 0x0F));
}
} // namespace

CTervane::CTervane(IHidSystem& system) : HIDController(system)
{
    std::memcpy(m_report, kInitialReport, sizeof(m_report));
}

CTervane::~CTervane()
{
    Stop();
    Close();
}

bool CTervane::SetPatternLevel(int pattern, int level)
{
    StorePattern(pattern);
    bool patternSent = SendReport();
    StoreLevel(level);
    bool levelSent = SendReport();
    return patternSent && levelSent;
}

void CTervane::Stop()
{
    SetPatternLevel(0, 0);
}

void CTervane::SetPattern(int pattern)
{
    StorePattern(pattern);
    SendReport();
}

void CTervane::SetLevel(int level)
{
    StoreLevel(level);
    SendReport();
}

void CTervane::Pause()
{
    m_report[kPauseOffset] = '1';
    SendReport();
}

void CTervane::Resume()
{
    m_report[kPauseOffset] = '0';
    SendReport();
}

void CTervane::StorePattern(int pattern)
{
    m_pattern = pattern;
    m_report[kPatternOffset] = Digit(pattern);
}

void CTervane::StoreLevel(int level)
{
    m_level = level;
    m_report[kLevelOffset] = Digit(level > m_mostLevel ? m_mostLevel : level);
}

void CTervane::SetMostLevel(int level)
{
    m_mostLevel = level < 1 ? 1 : level > 10 ? 10 : level;
    const uint8_t before = m_report[kLevelOffset];
    StoreLevel(m_level);
    if (m_report[kLevelOffset] != before)
        SendReport();
}

bool CTervane::SendReport()
{
    if (!HasHandle())
        return false; // never the first opening: that is the caller's explicit Connect
    if (!IsLinkUp() && !Connect())
        return false;
    return Send(m_report) == kSendOk;
}
