#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/allocator/FixedSizePoolAllocator.h"
#include "support/LeakCapture.h"

using Quorvel::Base::Allocator::CFixedSizePoolAllocator;

namespace {
const int32_t kBlock = CFixedSizePoolAllocator::kBlockSize;

int32_t SlotOf(const CFixedSizePoolAllocator& pool, const void* p)
{
    return int32_t((static_cast<const char*>(p) - static_cast<const char*>(pool.BufferBegin())) / kBlock);
}

// Deterministic pseudo-random numbers, the same on every run and architecture.
struct SLcg {
    uint32_t state;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
};
} // namespace

TEST(PoolAllocator, HandsOutTheFirstFreeSlotLikeALinearScan)
{
    // Counts around the bitmap's word and summary boundaries.
    for (int32_t count : {1, 63, 64, 70, 4097, CFixedSizePoolAllocator::kDefaultBlockCount}) {
        CFixedSizePoolAllocator pool(count);
        std::vector<bool> used(count, false);
        std::vector<void*> live;
        SLcg rng{uint32_t(count)};
        for (int step = 0; step < 6 * count + 200; ++step) {
            const bool allocate = live.empty() || rng.Next() % 3 != 0;
            if (allocate) {
                int32_t expected = 0;
                while (expected < count && used[expected])
                    ++expected;
                void* p = pool.Allocate(1 + rng.Next() % kBlock);
                if (expected == count) {
                    ASSERT_EQ(p, nullptr) << "count " << count;
                    continue;
                }
                ASSERT_NE(p, nullptr) << "count " << count << " step " << step;
                ASSERT_EQ(SlotOf(pool, p), expected) << "count " << count << " step " << step;
                used[expected] = true;
                live.push_back(p);
            } else {
                const size_t pick = rng.Next() % live.size();
                used[SlotOf(pool, live[pick])] = false;
                ASSERT_TRUE(pool.Free(live[pick]));
                live[pick] = live.back();
                live.pop_back();
            }
            ASSERT_EQ(pool.UsedCount(), int32_t(live.size()));
        }
    }
}

TEST(PoolAllocator, BlocksAreAlignedAndFillTheBuffer)
{
    CFixedSizePoolAllocator pool(100);
    for (int32_t i = 0; i < 100; ++i) {
        void* p = pool.Allocate(kBlock);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kBlock, 0u);
        EXPECT_EQ(SlotOf(pool, p), i);
    }
    EXPECT_EQ(pool.Allocate(1), nullptr);
    EXPECT_EQ(pool.UsedCount(), 100);
}

TEST(PoolAllocator, RefusesWhatIsNotItsOwn)
{
    CFixedSizePoolAllocator pool(8);
    EXPECT_EQ(pool.Allocate(kBlock + 1), nullptr);
    EXPECT_TRUE(pool.Free(nullptr));
    int outside = 0;
    EXPECT_FALSE(pool.Free(&outside));
    EXPECT_FALSE(pool.Free(const_cast<void*>(pool.BufferEnd())));

    void* p = pool.Allocate(0);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(pool.Free(p));
    EXPECT_TRUE(pool.Free(p));  // a second release does not make the count go negative
    EXPECT_EQ(pool.UsedCount(), 0);
    EXPECT_EQ(pool.Allocate(1), p);
}

TEST(PoolAllocator, AbsurdBlockCountsGiveAnEmptyPool)
{
    for (int32_t count : {0, -1, INT32_MAX}) {
        CFixedSizePoolAllocator pool(count);
        EXPECT_EQ(pool.BlockCount(), 0);
        EXPECT_EQ(pool.Allocate(1), nullptr);
        int outside = 0;
        EXPECT_FALSE(pool.Free(&outside));
    }
}

TEST(PoolAllocator, ReportsEachLeakedBlockWithItsAddress)
{
    CFixedSizePoolAllocator pool(200);
    std::vector<void*> blocks;
    for (int i = 0; i < 130; ++i)
        blocks.push_back(pool.Allocate(8));
    for (int i = 0; i < 130; ++i) {
        if (i != 2 && i != 129)
            pool.Free(blocks[i]);
    }
    CLeakCapture sink;
    EXPECT_EQ(pool.ReportLeaks(sink), 2);
    ASSERT_EQ(sink.reports.size(), 2u);
    for (int k = 0; k < 2; ++k) {
        char expected[64];
        std::snprintf(expected, sizeof(expected), "MemoryLeak!  :  0x%llX",
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(blocks[k ? 129 : 2])));
        EXPECT_EQ(sink.reports[k].caption, "CFixedSizePoolAllocator");
        EXPECT_EQ(sink.reports[k].text, expected);
        EXPECT_EQ(sink.reports[k].text.find_first_of("abcdef", 16), std::string::npos);
    }
}
