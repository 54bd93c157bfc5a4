#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/allocator/BlockGuards.h"

using namespace Quorvel::Base::Allocator;

namespace {

std::vector<std::string> g_breaches;

void Record(const void*, size_t size, const char* what)
{
    g_breaches.push_back(std::to_string(size) + " " + what);
}

// A block laid out as the checking mode lays it out, in memory of the test's own.
struct CGuardedBuffer {
    explicit CGuardedBuffer(size_t size) : raw(GuardedSize(size)), block(static_cast<char*>(GuardBlock(raw.data(), size))) {}
    std::vector<char> raw;
    char* block;
};

} // namespace

// What a release finds, case by case: nothing for a block used within its bounds, and for
// every kind of misuse the breach, reported once and the block left alone.
TEST(AllocatorGuards, AReleaseFindsOverrunsUnderrunsAndSecondReleases)
{
    const GuardBreachHandler previous = SetGuardBreachHandler(&Record);
    struct Case {
        const char* name;
        size_t size;
        void (*misuse)(char* block, size_t size);
        const char* found; // empty: none
    };
    const Case cases[] = {
        {"used within its bounds", 24, [](char* b, size_t n) { std::memset(b, 0x41, n); }, ""},
        {"an empty block", 0, [](char*, size_t) {}, ""},
        {"one byte past its end", 24, [](char* b, size_t n) { b[n] = 0; }, "24 bytes written past its end"},
        {"the last guard byte", 7, [](char* b, size_t n) { b[n + kBlockGuardBytes - 1] ^= 1; }, "7 bytes written past its end"},
        {"one byte before its start", 16, [](char* b, size_t) { b[-1] ^= 0x10; }, "header overwritten"},
        {"its size field", 16, [](char* b, size_t) { b[-16] = 99; }, "header overwritten"},
    };
    for (const Case& c : cases) {
        g_breaches.clear();
        CGuardedBuffer buffer(c.size);
        ASSERT_NE(nullptr, buffer.block) << c.name;
        EXPECT_EQ(buffer.raw.data() + 16, buffer.block) << c.name << ": a header of 16 bytes keeps the alignment";
        c.misuse(buffer.block, c.size);
        void* raw = UnguardBlock(buffer.block);
        if (*c.found == '\0') {
            EXPECT_TRUE(g_breaches.empty()) << c.name << ": " << g_breaches.front();
            EXPECT_EQ(static_cast<void*>(buffer.raw.data()), raw) << c.name;
            g_breaches.clear();
            EXPECT_EQ(nullptr, UnguardBlock(buffer.block)) << c.name << ": released twice";
            ASSERT_EQ(1u, g_breaches.size()) << c.name;
            EXPECT_EQ(std::to_string(c.size) + " bytes released twice", g_breaches[0]);
        } else {
            EXPECT_EQ(nullptr, raw) << c.name << ": a breached block is not handed back";
            ASSERT_EQ(1u, g_breaches.size()) << c.name;
            EXPECT_NE(std::string::npos, g_breaches[0].find(c.found)) << c.name << ": " << g_breaches[0];
        }
    }
    SetGuardBreachHandler(previous);
}

// The counts behind the fuzz tool's peak memory and absurd requests.
TEST(AllocatorGuards, CountBytesInUseTheirPeakAndTheLargestRequest)
{
    const GuardedUsage start = CurrentGuardedUsage();
    ResetGuardedPeak();
    CGuardedBuffer a(1000);
    CGuardedBuffer b(300);
    EXPECT_EQ(start.liveBytes + 1300, CurrentGuardedUsage().liveBytes);
    EXPECT_EQ(start.liveBlocks + 2, CurrentGuardedUsage().liveBlocks);
    UnguardBlock(a.block);
    EXPECT_EQ(0u, GuardedSize(SIZE_MAX - 8)) << "a size that overflows is refused";
    const GuardedUsage after = CurrentGuardedUsage();
    EXPECT_EQ(start.liveBytes + 300, after.liveBytes);
    EXPECT_EQ(start.liveBytes + 1300, after.peakBytes);
    EXPECT_EQ(static_cast<size_t>(INTPTR_MAX), after.largestRequest) << "counted even when refused";
    UnguardBlock(b.block);
    ResetGuardedPeak();
    EXPECT_EQ(start.liveBytes, CurrentGuardedUsage().peakBytes);
    EXPECT_EQ(0u, CurrentGuardedUsage().largestRequest);
}
