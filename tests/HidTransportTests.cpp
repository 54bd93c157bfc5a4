#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "device/HIDController.h"
#include "sim/SimHidBus.h"
#include "support/HidReports.h"
#include "support/TransportCases.h"

namespace {
const uint16_t kMouseVendorId = 0x046D;
const uint16_t kMouseProductId = 0xC077;
const HidReportBytes kIdle = TervaneReport('0', '0', '0');

size_t AddMouse(CSimHidBus& bus)
{
    return bus.AddInterface(kMouseVendorId, kMouseProductId);
}

// One Tervane on the bus and a transport bound to it, not yet connected.
struct TervaneOnBus {
    CSimHidBus bus;
    size_t tervane = bus.AddTervane();
    HIDController hid{bus};
};
} // namespace

TEST(HidTransport, NoMatchingDeviceLeavesTheLinkDown)
{
    CSimHidBus bus;
    size_t mouse = AddMouse(bus);
    bus.AddInterface(CSimHidBus::kTervaneVendorId, 0x5751);
    HIDController hid(bus);

    EXPECT_FALSE(hid.Connect());
    EXPECT_FALSE(hid.HasHandle());
    EXPECT_FALSE(hid.IsLinkUp());
    EXPECT_EQ(hid.GetVendorId(), 0xFFFF);
    EXPECT_EQ(HIDController::kSendLinkDown, hid.Send(kIdle.data()));
    EXPECT_TRUE(bus.Reports().empty());
    // Every interface looked at was opened, then closed again with its detail record freed.
    EXPECT_EQ(1, bus.OpenCount(mouse));
    EXPECT_TRUE(bus.IsClean()) << bus.Accounting();
}

TEST(HidTransport, SearchCoversAll128IndicesAcrossGaps)
{
    struct Case {
        size_t othersBefore;
        bool firstUnplugged; // a gap in the enumeration
        bool found;
    };
    const Case cases[] = {
        {0, false, true}, {3, true, true}, {127, true, true}, {128, false, false},
    };
    for (const Case& k : cases) {
        CSimHidBus bus;
        for (size_t i = 0; i < k.othersBefore; ++i)
            AddMouse(bus);
        if (k.firstUnplugged)
            bus.Unplug(0);
        size_t tervane = bus.AddTervane();
        HIDController hid(bus);

        EXPECT_EQ(k.found, hid.Connect()) << k.othersBefore << " interfaces before";
        EXPECT_EQ(k.found ? 1 : 0, bus.OpenCount(tervane)) << k.othersBefore;
        EXPECT_EQ(k.found ? 1u : 0u, bus.OpenDeviceHandles()) << k.othersBefore;
        EXPECT_EQ(0u, bus.OpenDeviceInfoSets()) << k.othersBefore;
        EXPECT_EQ(0u, bus.LiveAllocations()) << k.othersBefore;
        hid.Close();
        EXPECT_TRUE(bus.IsClean()) << k.othersBefore << ": " << bus.Accounting();
    }
}

TEST(HidTransport, FirstMatchingInterfaceWins)
{
    CSimHidBus bus;
    AddMouse(bus);
    size_t first = bus.AddTervane();
    size_t second = bus.AddTervane();
    HIDController hid(bus);

    ASSERT_TRUE(hid.Connect());
    EXPECT_EQ(HIDController::kTervaneVendorId, hid.GetVendorId());
    EXPECT_EQ(HIDController::kTervaneProductId, hid.GetProductId());
    EXPECT_EQ(0, bus.OpenCount(second));
    ASSERT_EQ(HIDController::kSendOk, hid.Send(kIdle.data()));
    ASSERT_EQ(1u, bus.Reports().size());
    EXPECT_EQ(first, bus.Reports()[0].interfaceIndex);
    EXPECT_EQ(kIdle, bus.Reports()[0].bytes);
}

TEST(HidTransport, UnusableInterfacesAreClosedAndSkipped)
{
    struct Case {
        const char* name;
        void (CSimHidBus::*fault)(size_t, bool);
        int firstOpens;
    };
    const Case cases[] = {
        {"open fails", &CSimHidBus::SetOpenFails, 0},
        {"attributes unreadable", &CSimHidBus::SetAttributesFail, 1},
    };
    for (const Case& k : cases) {
        CSimHidBus bus;
        size_t broken = bus.AddTervane();
        size_t good = bus.AddTervane();
        (bus.*k.fault)(broken, true);
        HIDController hid(bus);

        ASSERT_TRUE(hid.Connect()) << k.name;
        EXPECT_EQ(k.firstOpens, bus.OpenCount(broken)) << k.name;
        EXPECT_EQ(1u, bus.OpenDeviceHandles()) << k.name;
        ASSERT_EQ(HIDController::kSendOk, hid.Send(kIdle.data())) << k.name;
        EXPECT_EQ(good, bus.Reports().at(0).interfaceIndex) << k.name;

        // With the broken interface alone nothing is found, and nothing is left open.
        CSimHidBus lone;
        (lone.*k.fault)(lone.AddTervane(), true);
        HIDController alone(lone);
        EXPECT_FALSE(alone.Connect()) << k.name;
        EXPECT_TRUE(lone.IsClean()) << k.name << ": " << lone.Accounting();
    }
}

// The size answer decides an allocation: 0 or more than 32 KiB is garbage and is skipped
// before anything is allocated; an answer too small for the path fails the fetch, and the
// record is freed.
TEST(HidTransport, DetailRecordSizeAnswersAreBounded)
{
    const std::string path = "\\\\?\\hid#vid_0483&pid_5750#7&1";
    const DWORD needed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1;
    struct Case {
        DWORD answer;
        bool found;
        int allocations;
    };
    const Case cases[] = {
        {0, false, 0},     {0x8001, false, 0},      {0xFFFFFFFF, false, 0}, {0x8000, true, 1},
        {needed, true, 1}, {needed - 1, false, 1},  {1, false, 1},
    };
    for (const Case& k : cases) {
        CSimHidBus bus;
        const size_t tervane =
            bus.AddInterface(CSimHidBus::kTervaneVendorId, CSimHidBus::kTervaneProductId, path);
        bus.SetDetailSizeAnswer(tervane, k.answer);
        HIDController hid(bus);

        EXPECT_EQ(k.found, hid.Connect()) << k.answer;
        EXPECT_EQ(k.found ? 1 : 0, bus.OpenCount(tervane)) << k.answer;
        EXPECT_EQ(k.allocations, bus.AllocationCount()) << k.answer;
        hid.Close();
        EXPECT_TRUE(bus.IsClean()) << k.answer << ": " << bus.Accounting();
    }
}

TEST(HidTransport, ConnectWhileUpDoesNotSearch)
{
    TervaneOnBus t;
    ASSERT_TRUE(t.hid.Connect());
    ASSERT_TRUE(t.hid.Connect());
    EXPECT_EQ(1, t.bus.SearchCount());
    EXPECT_EQ(1, t.bus.OpenCount(t.tervane));
    EXPECT_EQ(2u, t.bus.OpenEvents());
}

TEST(HidTransport, UnplugMidWriteKeepsTheHandleUntilReplugReplacesIt)
{
    TervaneOnBus t;
    CSimHidBus& bus = t.bus;
    HIDController& hid = t.hid;
    const size_t tervane = t.tervane;
    ASSERT_TRUE(hid.Connect());

    bus.Unplug(tervane);
    EXPECT_EQ(HIDController::kSendFailed, hid.Send(kIdle.data()));
    EXPECT_FALSE(hid.IsLinkUp());
    EXPECT_TRUE(hid.HasHandle());
    EXPECT_EQ(HIDController::kSendLinkDown, hid.Send(kIdle.data()));

    // Still unplugged: the search fails and the stale handle stays in place.
    EXPECT_FALSE(hid.Connect());
    EXPECT_TRUE(hid.HasHandle());
    EXPECT_EQ(1u, bus.OpenDeviceHandles());

    bus.Replug(tervane);
    ASSERT_TRUE(hid.Connect());
    EXPECT_EQ(2, bus.OpenCount(tervane));
    EXPECT_EQ(1u, bus.OpenDeviceHandles()); // the old one was closed
    EXPECT_EQ(2u, bus.OpenEvents());
    EXPECT_EQ(HIDController::kSendOk, hid.Send(kIdle.data()));
    EXPECT_EQ(1u, bus.Reports().size());
    hid.Close();
    EXPECT_TRUE(bus.IsClean()) << bus.Accounting();
}

TEST(HidTransport, HandleOpenedBeforeUnplugStaysDeadAfterReplug)
{
    TervaneOnBus t;
    ASSERT_TRUE(t.hid.Connect());
    t.bus.Unplug(t.tervane);
    t.bus.Replug(t.tervane);
    EXPECT_EQ(HIDController::kSendFailed, t.hid.Send(kIdle.data()));
    EXPECT_TRUE(t.bus.Reports().empty());
}

TEST(HidTransport, WriteOutcomes)
{
    struct Case {
        SimWriteFault fault;
        uint8_t status;
        bool linkUp;
        size_t reports;
        DWORD waited;
    };
    const Case cases[] = {
        {SimWriteFault::None, HIDController::kSendOk, true, 1, 0},
        {SimWriteFault::Fails, HIDController::kSendFailed, false, 0, 0},
        {SimWriteFault::PendingCompletes, HIDController::kSendOk, true, 1, 500},
        {SimWriteFault::PendingNeverCompletes, HIDController::kSendTimedOut, false, 0, 500},
        {SimWriteFault::PendingCompletesWithError, HIDController::kSendFailed, false, 0, 500},
        {SimWriteFault::PendingWaitFails, HIDController::kSendFailed, false, 0, 500},
        // On the transport's synchronous handle a held write returns failed: nothing is waited on.
        {SimWriteFault::HeldPastTheWait, HIDController::kSendFailed, false, 0, 0},
    };
    for (const Case& k : cases) {
        const int id = static_cast<int>(k.fault);
        TervaneOnBus t;
        ASSERT_TRUE(t.hid.Connect()) << id;
        t.bus.SetWriteFault(t.tervane, k.fault, 1);

        EXPECT_EQ(k.status, t.hid.Send(kIdle.data())) << id;
        EXPECT_EQ(k.linkUp, t.hid.IsLinkUp()) << id;
        EXPECT_TRUE(t.hid.HasHandle()) << id;
        EXPECT_EQ(k.reports, t.bus.Reports().size()) << id;
        EXPECT_EQ(k.waited, t.bus.LastWaitTimeout()) << id;
        t.hid.Close();
        EXPECT_TRUE(t.bus.IsClean()) << id << ": " << t.bus.Accounting();
    }
}

// A missing report is the caller's mistake, not the device's: the status must not claim a
// link that is still up to be down.
TEST(HidTransport, ANullReportWritesNothingAndKeepsTheLink)
{
    TervaneOnBus t;
    ASSERT_TRUE(t.hid.Connect());
    EXPECT_EQ(HIDController::kSendNoReport, t.hid.Send(nullptr));
    EXPECT_TRUE(t.hid.IsLinkUp());
    EXPECT_TRUE(t.bus.Reports().empty());
    EXPECT_EQ(HIDController::kSendOk, t.hid.Send(kIdle.data()));
    EXPECT_EQ(1, t.bus.SearchCount()) << "the link needed no new search";

    t.bus.Unplug(t.tervane);
    EXPECT_EQ(HIDController::kSendFailed, t.hid.Send(kIdle.data()));
    EXPECT_EQ(HIDController::kSendLinkDown, t.hid.Send(nullptr)) << "a down link says so first";
}

TEST(HidTransport, FailedEventCreationLeavesNothingOpen)
{
    CSimHidBus bus;
    bus.AddTervane();
    bus.SetEventCreationFails(true);
    HIDController hid(bus);
    EXPECT_FALSE(hid.Connect());
    EXPECT_FALSE(hid.HasHandle());
    EXPECT_EQ(HIDController::kSendLinkDown, hid.Send(kIdle.data()));
    EXPECT_TRUE(bus.IsClean()) << bus.Accounting();
}

TEST(HidTransport, DestructionAndRebindingReleaseEverything)
{
    CSimHidBus first;
    CSimHidBus second;
    first.AddTervane();
    second.AddTervane();
    {
        HIDController hid(first);
        ASSERT_TRUE(hid.Connect());
        second.Bind(hid);
        EXPECT_TRUE(first.IsClean()) << first.Accounting();
        EXPECT_FALSE(hid.HasHandle());
        ASSERT_TRUE(hid.Connect());
    }
    EXPECT_TRUE(second.IsClean()) << second.Accounting();
}

// Wine has no such device: the real binding must search, find nothing and send nothing.
TEST(HidTransportWin32, WithoutDeviceConnectFailsAndNothingIsSent)
{
    HIDController hid;
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              hid.FindDevice(HIDController::kTervaneVendorId, HIDController::kTervaneProductId));
    EXPECT_FALSE(hid.Connect());
    EXPECT_FALSE(hid.HasHandle());
    EXPECT_EQ(HIDController::kSendLinkDown, hid.Send(kIdle.data()));
}

// The bus answers a write as the system's HID stack does, by its length and by how the handle
// was opened (the facts were taken from the stack with a virtual device).
TEST(HidTransport, BusAnswersWritesAsTheSystemStack)
{
    struct Case {
        DWORD flags;
        DWORD size;
        SimWriteFault fault;
        BOOL ok;
        DWORD error;
        DWORD written;
        size_t reports;
    };
    const Case cases[] = {
        {0, 16, SimWriteFault::None, TRUE, 0, 16, 1},
        {0, 20, SimWriteFault::None, TRUE, 0, 16, 1},
        {0, 15, SimWriteFault::None, FALSE, ERROR_INVALID_PARAMETER, 0, 0},
        {0, 1, SimWriteFault::None, FALSE, ERROR_INVALID_PARAMETER, 0, 0},
        {0, 0, SimWriteFault::None, FALSE, ERROR_INVALID_USER_BUFFER, 0, 0},
        {0, 16, SimWriteFault::Fails, FALSE, ERROR_GEN_FAILURE, 0, 0},
        {0, 16, SimWriteFault::HeldPastTheWait, FALSE, ERROR_SEM_TIMEOUT, 0, 0},
        {FILE_FLAG_OVERLAPPED, 16, SimWriteFault::HeldPastTheWait, FALSE, ERROR_IO_PENDING, 0, 0},
    };
    uint8_t bytes[20] = {};
    const HidReportBytes report = TervaneReport('0', '3', '7');
    std::copy(report.begin(), report.end(), bytes);
    for (const Case& k : cases) {
        CSimHidBus bus;
        const size_t tervane = bus.AddTervane();
        const HANDLE device = bus.CreateFileA(bus.DevicePath(tervane).c_str(), GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, k.flags,
                                              nullptr);
        OVERLAPPED completion = {};
        completion.hEvent = bus.CreateEventA(nullptr, FALSE, FALSE, nullptr);
        bus.SetWriteFault(tervane, k.fault, 1);
        DWORD written = 99;
        EXPECT_EQ(k.ok, bus.WriteFile(device, bytes, k.size, &written, &completion)) << k.size;
        EXPECT_EQ(k.error, k.ok ? 0u : bus.GetLastError()) << k.size;
        EXPECT_EQ(k.written, written) << k.size;
        ASSERT_EQ(k.reports, bus.Reports().size()) << k.size;
        if (k.reports != 0) {
            EXPECT_EQ(report, bus.Reports()[0].bytes) << "a longer write is cut to the report";
        }
    }
}

// A handle from before an unplug is refused by the system, before and after the replug.
TEST(HidTransport, BusRefusesAHandleFromBeforeAnUnplug)
{
    TervaneOnBus t;
    ASSERT_TRUE(t.hid.Connect());
    const HANDLE stale = t.hid.FindDevice(HIDController::kTervaneVendorId, HIDController::kTervaneProductId);
    for (bool replug : {false, true}) {
        t.bus.Unplug(t.tervane);
        if (replug)
            t.bus.Replug(t.tervane);
        DWORD written = 0;
        HIDD_ATTRIBUTES attributes = {sizeof(attributes)};
        EXPECT_FALSE(t.bus.WriteFile(stale, kIdle.data(), 16, &written, nullptr)) << replug;
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), t.bus.GetLastError()) << replug;
        EXPECT_FALSE(t.bus.HidD_GetAttributes(stale, &attributes)) << replug;
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), t.bus.GetLastError()) << replug;
    }
    t.bus.CloseHandle(stale);
}

// The cases that the tests on the system's own stack play against the virtual device give,
// on the bus, the answers that the stack gives.
TEST(HidTransport, CasesAnswerAsTheSystemStackDoes)
{
    for (const TransportCase& k : TransportCases()) {
        CSimTervaneBench bench;
        EXPECT_EQ(k.transcript, PlayTransportCase(k, bench)) << k.name;
        EXPECT_TRUE(bench.Bus().IsClean()) << k.name << ": " << bench.Bus().Accounting();
    }
}
