#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "base/allocator/FixedAllocator.h"
#include "base/allocator/FixedSizePoolAllocator.h"
#include "support/LeakCapture.h"

using Quorvel::Base::Allocator::CFixedAllocator;
using Quorvel::Base::Allocator::CFixedSizePoolAllocator;

namespace {
const uintptr_t kSize = CFixedAllocator::kRegionSize;

uintptr_t Offset(const CFixedAllocator& region, const void* p)
{
    return reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(region.RegionBegin());
}

// The placement rules written as plainly as possible: an address-ordered map of free spans,
// walked from the bottom for ordinary blocks and from the top for large ones.
class CRegionModel {
public:
    CRegionModel() { m_free[0] = kSize; }

    // Offset of the caller's pointer, or -1 when nothing fits.
    int64_t Allocate(size_t n)
    {
        const size_t nominal = n + 4;
        const size_t block = (nominal + 15) & ~size_t(15);
        auto fit = m_free.end();
        if (nominal < CFixedAllocator::kLargeThreshold) {
            for (auto it = m_free.begin(); it != m_free.end() && fit == m_free.end(); ++it)
                if (it->second >= block)
                    fit = it;
        } else {
            for (auto it = m_free.rbegin(); it != m_free.rend() && fit == m_free.end(); ++it)
                if (it->second >= block)
                    fit = std::prev(it.base());
        }
        if (fit == m_free.end())
            return -1;
        const uintptr_t start = fit->first, size = fit->second;
        m_free.erase(fit);
        uintptr_t at;
        if (nominal < CFixedAllocator::kLargeThreshold) {
            at = start;
            if (size > block)
                m_free[start + block] = size - block;
        } else {
            at = start + size - block;
            if (size > block)
                m_free[start] = size - block;
        }
        m_blocks[at] = block;
        return int64_t(at + 4);
    }

    void Free(uintptr_t offset)
    {
        uintptr_t start = offset - 4, size = m_blocks[start];
        m_blocks.erase(start);
        auto next = m_free.lower_bound(start);
        if (next != m_free.begin()) {
            auto prev = std::prev(next);
            if (prev->first + prev->second == start) {
                start = prev->first;
                size += prev->second;
                m_free.erase(prev);
            }
        }
        if (next != m_free.end() && next->first == start + size) {
            size += next->second;
            m_free.erase(next);
        }
        m_free[start] = size;
    }

    size_t FreeBytes() const
    {
        size_t total = 0;
        for (auto& span : m_free)
            total += span.second;
        return total;
    }
    size_t SpanCount() const { return m_free.size(); }

private:
    std::map<uintptr_t, size_t> m_free;
    std::map<uintptr_t, size_t> m_blocks;
};

struct SLcg {
    uint32_t state;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
};
} // namespace

TEST(RegionAllocator, PlacesBlocksLikeAWalkOfTheFreeList)
{
    CFixedSizePoolAllocator pool;
    CFixedAllocator region(pool);
    ASSERT_TRUE(region.IsValid());
    CRegionModel model;
    std::vector<void*> live;
    SLcg rng{7};
    for (int step = 0; step < 30000; ++step) {
        const uint32_t r = rng.Next();
        if (live.size() < 600 && (live.empty() || r % 5 < 3)) {
            size_t n;
            switch (r % 7) {
            case 0: n = 409590 + rng.Next() % 12; break;        // around the large threshold
            case 1: n = 409600 + rng.Next() % (1 << 21); break;  // large
            default: n = rng.Next() % 5000; break;
            }
            const int64_t expected = model.Allocate(n);
            void* p = region.Allocate(n);
            if (expected < 0) {
                ASSERT_EQ(p, nullptr) << "step " << step;
                continue;
            }
            ASSERT_NE(p, nullptr) << "step " << step << " size " << n;
            ASSERT_EQ(int64_t(Offset(region, p)), expected) << "step " << step << " size " << n;
            ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
            live.push_back(p);
        } else {
            const size_t pick = r % live.size();
            model.Free(Offset(region, live[pick]));
            ASSERT_TRUE(region.Free(live[pick]));
            live[pick] = live.back();
            live.pop_back();
        }
        if (step % 97 == 0) {
            ASSERT_EQ(region.FreeBytes(), model.FreeBytes()) << "step " << step;
            ASSERT_EQ(size_t(region.FreeNodeCount()), model.SpanCount()) << "step " << step;
        }
    }
    for (void* p : live)
        ASSERT_TRUE(region.Free(p));
    EXPECT_EQ(region.FreeBytes(), kSize);
    EXPECT_EQ(region.FreeNodeCount(), 1);
}

TEST(RegionAllocator, BlockSizesAndPlacementAtTheEdges)
{
    struct Case {
        size_t request;
        uint32_t block;
        bool atTop;
    };
    const Case cases[] = {
        {0, 16, false},   {12, 16, false},          {13, 32, false},
        {33, 48, false},  {100, 112, false},        {409595, 409600, false},
        {409596, 409600, true}, {kSize - 4, uint32_t(kSize), false},
    };
    for (const Case& c : cases) {
        CFixedSizePoolAllocator pool;
        CFixedAllocator region(pool);
        void* p = region.Allocate(c.request);
        ASSERT_NE(p, nullptr) << c.request;
        EXPECT_EQ(CFixedAllocator::BlockSize(p), c.block) << c.request;
        const uintptr_t expected = c.atTop ? kSize - c.block + 4 : 4;
        EXPECT_EQ(Offset(region, p), expected) << c.request;
        EXPECT_EQ(region.FreeBytes(), kSize - c.block) << c.request;
    }
}

TEST(RegionAllocator, AbsurdRequestsFailCleanly)
{
    CFixedSizePoolAllocator pool;
    CFixedAllocator region(pool);
    for (size_t n : {size_t(kSize - 3), size_t(kSize), SIZE_MAX, SIZE_MAX - 3, SIZE_MAX - 15})
        EXPECT_EQ(region.Allocate(n), nullptr) << n;
    void* big = region.Allocate(kSize - 100);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(region.Allocate(200), nullptr);
    EXPECT_NE(region.Allocate(92), nullptr);  // exactly the last 96 bytes
    EXPECT_EQ(region.FreeBytes(), 0u);
    EXPECT_EQ(region.FreeNodeCount(), 0);
}

TEST(RegionAllocator, NeighboursMergeInAnyReleaseOrder)
{
    const int orders[][3] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}, {1, 2, 0}, {0, 2, 1}, {2, 0, 1}};
    for (const auto& order : orders) {
        CFixedSizePoolAllocator pool;
        CFixedAllocator region(pool);
        void* blocks[3] = {region.Allocate(40), region.Allocate(5000), region.Allocate(40)};
        void* guard = region.Allocate(40);  // keeps the trio apart from the rest of the region
        const int32_t poolUsed = pool.UsedCount();
        for (int i : order)
            ASSERT_TRUE(region.Free(blocks[i]));
        EXPECT_EQ(region.FreeNodeCount(), 2) << order[0] << order[1] << order[2];
        EXPECT_EQ(pool.UsedCount(), poolUsed + 1) << "one node for the trio, merged ones go back";
        EXPECT_EQ(region.Allocate(48 + 5008 + 48 - 4), blocks[0]);
        EXPECT_TRUE(region.Free(guard));
    }
}

TEST(RegionAllocator, RefusesPointersThatAreNotLiveBlocks)
{
    CFixedSizePoolAllocator pool;
    CFixedAllocator region(pool);
    char* a = static_cast<char*>(region.Allocate(100));
    char* b = static_cast<char*>(region.Allocate(100));
    int outside = 0;
    EXPECT_FALSE(region.Free(&outside));
    EXPECT_FALSE(region.Free(a + 3));               // not a block start
    EXPECT_FALSE(region.Free(b + 112));             // start of free space
    ASSERT_TRUE(region.Free(a));
    EXPECT_FALSE(region.Free(a));                   // second release
    EXPECT_EQ(region.FreeBytes(), kSize - 112);
    EXPECT_EQ(region.FreeNodeCount(), 2);
    ASSERT_TRUE(region.Free(b));
    EXPECT_EQ(region.FreeNodeCount(), 1);
}

TEST(RegionAllocator, ReleasesCompleteWhenThePoolIsFull)
{
    CFixedSizePoolAllocator pool(64);
    CFixedAllocator region(pool);
    ASSERT_EQ(region.ReserveCount(), CFixedAllocator::kReserveNodes);
    std::vector<void*> blocks;
    for (int i = 0; i < 200; ++i)
        blocks.push_back(region.Allocate(64));
    std::vector<void*> filler;
    while (void* p = pool.Allocate(1))
        filler.push_back(p);
    // Every other block: each release needs a node of its own, far more than the reserve.
    for (size_t i = 0; i < blocks.size(); i += 2)
        ASSERT_TRUE(region.Free(blocks[i]));
    EXPECT_EQ(region.FreeNodeCount(), 101);
    EXPECT_EQ(region.LostBytes(), 0u);
    for (size_t i = 1; i < blocks.size(); i += 2)
        ASSERT_TRUE(region.Free(blocks[i]));
    EXPECT_EQ(region.FreeNodeCount(), 1);
    EXPECT_EQ(region.FreeBytes(), kSize);
    for (void* p : filler)
        pool.Free(p);
}

TEST(RegionAllocator, ReportsTheMissingBytes)
{
    CFixedSizePoolAllocator pool;
    {
        CFixedAllocator region(pool);
        void* kept = region.Allocate(100);
        region.Free(region.Allocate(3000));
        CLeakCapture sink;
        EXPECT_EQ(region.ReportLeaks(sink), 112u);
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.reports[0].caption, "CFixedAllocator");
        EXPECT_EQ(sink.reports[0].text, "MemoryLeak!  :  [Size] 112 byte");
        region.Free(kept);
        CLeakCapture none;
        EXPECT_EQ(region.ReportLeaks(none), 0u);
        EXPECT_TRUE(none.reports.empty());
    }
    EXPECT_EQ(pool.UsedCount(), 0) << "every node returns to the pool";
}
