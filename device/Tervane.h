#pragma once
#include <cstdint>

#include "device/HIDController.h"

// The device object: the one 16-byte output report of the system and the operations that
// change its pause flag, pattern digit or level digit and send it whole. An operation never
// opens the device for the first time (that takes an explicit Connect); once it has been
// opened, a send repairs a link that a failed write took down. The report keeps the last
// settings whether or not they reached the device. User-interface thread only.
class CTervane : public HIDController {
public:
    explicit CTervane(IHidSystem& system = HidSystemWin32());
    // Sends Stop, then closes the transport.
    ~CTervane() override;

    // Pattern report first (new pattern, old level), then level report (both new); the
    // second is attempted even when the first failed. True only if both were written.
    bool SetPatternLevel(int pattern, int level);
    // Pattern 0 then level 0, as two reports.
    void Stop();
    void SetPattern(int pattern);
    void SetLevel(int level);
    void Pause();
    void Resume();
    // No level above this one reaches the device, from a sheet or a preview (the user's comfort
    // limit, 1 to 10); the level passed in is kept as it was. A change that lowers or raises the
    // level in the report sends it at once.
    void SetMostLevel(int level);
    int MostLevel() const { return m_mostLevel; }

    // The full values last passed in, not the four bits that reach the report.
    int GetPattern() const { return m_pattern; }
    int GetLevel() const { return m_level; }
    bool IsPaused() const { return m_report[kPauseOffset] == '1'; }
    const uint8_t* GetReport() const { return m_report; }

private:
    static constexpr int kPauseOffset = 6;
    static constexpr int kPatternOffset = 7;
    static constexpr int kLevelOffset = 8;

    void StorePattern(int pattern);
    void StoreLevel(int level);
    bool SendReport();

    uint8_t m_report[kReportSize];
    int32_t m_pattern = 0;
    int32_t m_level = 0;
    int32_t m_mostLevel = 10;
};
