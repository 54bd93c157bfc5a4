#include "support/TransportCases.h"

#include <cstdio>

#include "device/HIDController.h"

namespace {

using Step = TransportStep;

const char kConnected[] = "connect=1 link=1 handle=1 ids=0483:5750";
const char kSent[] = "send=0 link=1";
const char kSendRefused[] = "send=2 link=0";

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0)
{
    char line[96];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    return line;
}

// A report is shown by its pattern byte when the rest is the device's frame.
std::string Describe(const HidReportBytes& report)
{
    HidReportBytes frame = TervaneReport('0', static_cast<char>(report[7]), '0');
    if (report == frame)
        return std::string(1, static_cast<char>(report[7]));
    std::string hex = "[";
    for (uint8_t byte : report)
        hex += Format("%02X", byte);
    return hex + "]";
}

// A raw write of `size` bytes (the report, then filler) on a handle of the transport's search.
std::string RawWrite(HIDController& hid, IHidSystem& system, DWORD size, char pattern)
{
    uint8_t bytes[32];
    const HidReportBytes report = TervaneReport('0', pattern, '0');
    for (DWORD i = 0; i < sizeof bytes; ++i)
        bytes[i] = i < report.size() ? report[i] : 'X';
    const HANDLE device = hid.FindDevice(HIDController::kTervaneVendorId, HIDController::kTervaneProductId);
    if (device == INVALID_HANDLE_VALUE)
        return Format("write %u: no device", size);
    DWORD written = 0;
    const BOOL ok = system.WriteFile(device, bytes, size, &written, nullptr);
    const DWORD error = system.GetLastError();
    system.CloseHandle(device);
    return ok ? Format("write %u: ok=1 written=%u", size, written) : Format("write %u: ok=0 error=%u", size, error);
}

} // namespace

const std::vector<TransportCase>& TransportCases()
{
    static const std::vector<TransportCase> cases = {
        {"found", {Step::Connect, Step::Send, Step::Send}, {kConnected, kSent, kSent, "took 1 2"}},
        {"not found",
         {Step::Unplug, Step::Connect, Step::Send, Step::Replug, Step::Connect, Step::Send},
         {"unplugged", "connect=0 link=0 handle=0 ids=FFFF:FFFF", kSendRefused, "plugged in again", kConnected, kSent,
          "took 2"}},
        {"wrong IDs",
         {Step::FindOther, Step::Connect},
         {"find 0483:5751=none 0484:5750=none", kConnected, "took"}},
        {"write failing",
         {Step::Connect, Step::FailNext, Step::Send, Step::Send, Step::Connect, Step::Send},
         {kConnected, "next write fails", "send=5 link=0 error=31", kSendRefused, kConnected, kSent, "took 3"}},
        // On the handle the transport opens for synchronous I/O a write is never answered
        // "pending": it returns when the device lets go, failed, and the transport's own
        // wait never runs.
        {"pending then timed out",
         {Step::Connect, Step::HoldNext, Step::Send, Step::Connect, Step::Send},
         {kConnected, "next write held", "send=5 link=0 error=121", kConnected, kSent, "took 2"}},
        {"unplugged",
         {Step::Connect, Step::Unplug, Step::Send, Step::Connect, Step::Send, Step::Replug},
         {kConnected, "unplugged", "send=5 link=0 error=5", "connect=0 link=0 handle=1 ids=0483:5750", kSendRefused,
          "plugged in again", "took"}},
        {"replugged",
         {Step::Connect, Step::Unplug, Step::Replug, Step::Send, Step::Connect, Step::Send},
         {kConnected, "unplugged", "plugged in again", "send=5 link=0 error=5", kConnected, kSent, "took 2"}},
        {"report length",
         {Step::WriteShort, Step::WriteLong, Step::Connect, Step::Send},
         {"write 15: ok=0 error=87", "write 20: ok=1 written=16", kConnected, kSent, "took L 1"}},
    };
    return cases;
}

std::vector<std::string> PlayTransportCase(const TransportCase& testCase, ITervaneBench& bench)
{
    std::vector<std::string> transcript;
    IHidSystem& system = bench.System();
    HIDController hid(system);
    char sends = '0';
    for (Step step : testCase.steps) {
        switch (step) {
        case Step::Connect: {
            const bool up = hid.Connect();
            transcript.push_back(Format("connect=%u link=%u handle=%u ids=%04X", up, hid.IsLinkUp(), hid.HasHandle(),
                                        hid.GetVendorId()) +
                                 Format(":%04X", hid.GetProductId()));
            break;
        }
        case Step::Send: {
            const HidReportBytes report = TervaneReport('0', ++sends, '0');
            const uint8_t status = hid.Send(report.data());
            const DWORD error = system.GetLastError();
            std::string line = Format("send=%u link=%u", status, hid.IsLinkUp());
            if (status != HIDController::kSendOk && status != HIDController::kSendLinkDown)
                line += Format(" error=%u", error);
            transcript.push_back(line);
            break;
        }
        case Step::FindOther: {
            std::string line = "find";
            const int ids[2][2] = {{HIDController::kTervaneVendorId, 0x5751}, {0x0484, HIDController::kTervaneProductId}};
            for (const auto& id : ids) {
                const HANDLE found = hid.FindDevice(id[0], id[1]);
                line += Format(" %04X:%04X=", id[0], id[1]) + (found == INVALID_HANDLE_VALUE ? "none" : "found");
                if (found != INVALID_HANDLE_VALUE)
                    system.CloseHandle(found);
            }
            transcript.push_back(line);
            break;
        }
        case Step::Unplug:
            transcript.push_back(bench.Unplug() ? "unplugged" : "unplug failed");
            break;
        case Step::Replug:
            transcript.push_back(bench.Replug() ? "plugged in again" : "replug failed");
            break;
        case Step::FailNext:
            transcript.push_back(bench.FailNextWrites(1) ? "next write fails" : "no fault");
            break;
        case Step::HoldNext:
            transcript.push_back(bench.HoldNextWrites(1) ? "next write held" : "no fault");
            break;
        case Step::WriteShort:
            transcript.push_back(RawWrite(hid, system, 15, 'S'));
            break;
        case Step::WriteLong:
            transcript.push_back(RawWrite(hid, system, 20, 'L'));
            break;
        }
    }
    hid.Close();
    std::string took = "took";
    for (const HidReportBytes& report : bench.TakeReports())
        took += " " + Describe(report);
    transcript.push_back(took);
    return transcript;
}

CSimTervaneBench::CSimTervaneBench()
{
    // Another HID device first, as on any system: the search opens and closes it on its way.
    m_bus.AddInterface(0x046D, 0xC077);
    m_tervane = m_bus.AddTervane();
}

bool CSimTervaneBench::Unplug()
{
    m_bus.Unplug(m_tervane);
    return true;
}

bool CSimTervaneBench::Replug()
{
    m_bus.Replug(m_tervane);
    return true;
}

bool CSimTervaneBench::FailNextWrites(uint32_t count)
{
    m_bus.SetWriteFault(m_tervane, SimWriteFault::Fails, static_cast<int>(count));
    return true;
}

bool CSimTervaneBench::HoldNextWrites(uint32_t count)
{
    m_bus.SetWriteFault(m_tervane, SimWriteFault::HeldPastTheWait, static_cast<int>(count));
    return true;
}

std::vector<HidReportBytes> CSimTervaneBench::TakeReports()
{
    std::vector<HidReportBytes> reports;
    for (; m_taken < m_bus.Reports().size(); ++m_taken)
        reports.push_back(m_bus.Reports()[m_taken].bytes);
    return reports;
}
