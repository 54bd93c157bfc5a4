#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <list>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "base/allocator/AllocatorManager.h"
#include "base/allocator/FixedAllocator.h"
#include "base/allocator/FixedSizePoolAllocator.h"
#include "base/allocator/RuntimeHeap.h"
#include "support/LeakCapture.h"

using namespace Quorvel::Base::Allocator;

namespace {
const size_t kRegion = CFixedAllocator::kRegionSize;

// Built while static objects are constructed, before main: the memory system must already
// serve it (or have handed it to the runtime heap while it was coming up).
const std::string s_builtAtLoad(200, 'x');

struct SPlainSystem {
    CFixedSizePoolAllocator pool;
    CFixedAllocator region{pool};
    CAllocatorManager manager{pool, region};
    const int32_t idlePoolUse = pool.UsedCount();  // the region's reserve and first node
};
} // namespace

TEST(AllocatorPolicy, EachSizeGoesWhereItBelongs)
{
    struct Case {
        size_t size;
        EBlockOwner owner;
    };
    const Case cases[] = {
        {0, EBlockOwner::Pool},          {32, EBlockOwner::Pool},
        {33, EBlockOwner::Region},       {409596, EBlockOwner::Region},
        {kRegion - 4, EBlockOwner::Region}, {kRegion, EBlockOwner::RuntimeHeap},
    };
    for (const Case& c : cases) {
        SPlainSystem s;
        void* p = s.manager.Allocate(c.size);
        ASSERT_NE(p, nullptr) << c.size;
        EXPECT_EQ(s.manager.OwnerOf(p), c.owner) << c.size;
        EXPECT_TRUE(s.manager.Free(p)) << c.size;
        EXPECT_EQ(s.pool.UsedCount(), s.idlePoolUse) << c.size;
        EXPECT_EQ(s.region.FreeBytes(), kRegion) << c.size;
    }
}

TEST(AllocatorPolicy, FullPoolAndFullRegionFallThrough)
{
    SPlainSystem s;
    std::vector<void*> small;
    for (int32_t i = s.pool.UsedCount(); i < s.pool.BlockCount(); ++i)
        small.push_back(s.manager.Allocate(16));
    void* overflow = s.manager.Allocate(16);
    EXPECT_EQ(s.manager.OwnerOf(overflow), EBlockOwner::Region);
    void* most = s.manager.Allocate(kRegion - 64);
    EXPECT_EQ(s.manager.OwnerOf(most), EBlockOwner::Region);
    void* heap = s.manager.Allocate(100);
    EXPECT_EQ(s.manager.OwnerOf(heap), EBlockOwner::RuntimeHeap);
    EXPECT_TRUE(s.manager.Free(heap));
    EXPECT_TRUE(s.manager.Free(most));
    EXPECT_TRUE(s.manager.Free(overflow));
    for (void* p : small)
        EXPECT_TRUE(s.manager.Free(p));
    EXPECT_EQ(s.pool.UsedCount(), s.idlePoolUse);
    EXPECT_EQ(s.region.FreeBytes(), kRegion);
}

// operator new promises 16-byte blocks, and SSE types and interlocked operations rely on it;
// i686's malloc gives only 8. The last resort keeps the promise, and its blocks still go
// back to the heap on release (an unmatched release would corrupt it).
TEST(AllocatorPolicy, HeapBlocksKeepTheSixteenByteAlignment)
{
    SPlainSystem s;
    std::vector<void*> full{s.manager.Allocate(kRegion - 4)};
    ASSERT_EQ(s.manager.OwnerOf(full.back()), EBlockOwner::Region);
    for (int32_t i = s.pool.UsedCount(); i < s.pool.BlockCount(); ++i)
        full.push_back(s.manager.Allocate(16));
    ASSERT_EQ(s.manager.OwnerOf(full.back()), EBlockOwner::Pool);

    CLeakCapture sink;
    for (bool retired : {false, true}) {
        if (retired)
            s.manager.Retire(sink);
        std::vector<void*> heap;
        for (size_t size = 0; size <= 72; ++size) {
            char* p = static_cast<char*>(s.manager.Allocate(size));
            ASSERT_NE(p, nullptr) << size;
            EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << size << (retired ? " retired" : "");
            EXPECT_EQ(s.manager.OwnerOf(p), EBlockOwner::RuntimeHeap) << size;
            std::fill(p, p + size, char(size));
            heap.push_back(p);
        }
        for (void* p : heap)
            EXPECT_TRUE(s.manager.Free(p));
    }
    for (void* p : full)
        s.manager.Free(p);

    // Before the manager exists operator new takes the same heap directly, and a request
    // larger than the region goes there through the manager.
    for (size_t size : {size_t(0), size_t(8), size_t(24), size_t(40)}) {
        void* p = RuntimeHeapAllocate(size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u) << size;
        RuntimeHeapFree(p);
    }
    EXPECT_EQ(RuntimeHeapAllocate(SIZE_MAX - 8), nullptr);
    void* huge = ::operator new(kRegion + 8);
    EXPECT_EQ(GetAllocatorManager()->OwnerOf(huge), EBlockOwner::RuntimeHeap);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(huge) % 16, 0u);
    ::operator delete(huge);

    std::vector<std::string> after(50, std::string(300, 'z'));
    EXPECT_EQ(after[49][299], 'z') << "the heap is whole";
}

TEST(AllocatorManager, RetireReportsLeaksAndLeavesLaterCallsSafe)
{
    SPlainSystem s;
    void* smallLeak = s.manager.Allocate(20);
    void* regionLeak = s.manager.Allocate(100);
    s.manager.Free(s.manager.Allocate(7));
    // Spread the region's free space over several nodes: none of them is a leak.
    void* a = s.manager.Allocate(500);
    void* b = s.manager.Allocate(500);
    s.manager.Allocate(500);
    s.manager.Free(a);
    s.manager.Free(b);
    s.manager.Free(s.manager.Allocate(40000));

    CLeakCapture sink;
    s.manager.Retire(sink);
    ASSERT_EQ(sink.reports.size(), 2u);
    EXPECT_EQ(sink.reports[0].caption, "CFixedAllocator");
    EXPECT_EQ(sink.reports[0].text, "MemoryLeak!  :  [Size] 624 byte");
    EXPECT_EQ(sink.reports[1].caption, "CFixedSizePoolAllocator");
    char expected[64];
    std::snprintf(expected, sizeof(expected), "MemoryLeak!  :  0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(smallLeak)));
    EXPECT_EQ(sink.reports[1].text, expected);

    // After the end: releases of old blocks are dropped, new blocks come from the heap.
    EXPECT_TRUE(s.manager.Free(smallLeak));
    EXPECT_TRUE(s.manager.Free(regionLeak));
    void* late = s.manager.Allocate(16);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(s.manager.OwnerOf(late), EBlockOwner::RuntimeHeap);
    EXPECT_TRUE(s.manager.Free(late));
    s.manager.Retire(sink);
    EXPECT_EQ(sink.reports.size(), 2u) << "the end comes once";
}

TEST(AllocatorManager, ThreadsShareOneManagerSafely)
{
    SPlainSystem s;
    auto churn = [&s](uint32_t seed) {
        std::vector<void*> live;
        for (int i = 0; i < 20000; ++i) {
            seed = seed * 1664525u + 1013904223u;
            if (live.size() < 300 && (seed >> 8) % 3 != 0) {
                const size_t size = (seed >> 12) % 4 == 0 ? (seed >> 16) % 20000 : (seed >> 16) % 48;
                char* p = static_cast<char*>(s.manager.Allocate(size));
                if (size)
                    p[0] = p[size - 1] = char(seed);
                live.push_back(p);
            } else if (!live.empty()) {
                s.manager.Free(live.back());
                live.pop_back();
            }
        }
        for (void* p : live)
            s.manager.Free(p);
    };
    std::vector<std::thread> threads;
    for (uint32_t t = 1; t <= 4; ++t)
        threads.emplace_back(churn, t);
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(s.pool.UsedCount(), s.idlePoolUse);
    EXPECT_EQ(s.region.FreeBytes(), kRegion);
    EXPECT_EQ(s.region.FreeNodeCount(), 1);
}

TEST(GlobalOperators, EveryFormIsServedByTheMemorySystem)
{
    CAllocatorManager* manager = GetAllocatorManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_NE(manager->OwnerOf(s_builtAtLoad.data()), EBlockOwner::RuntimeHeap);

    std::unique_ptr<int> one(new int(5));
    std::unique_ptr<char[]> array(new char[1000]);
    std::unique_ptr<int> quiet(new (std::nothrow) int(7));
    std::string text(100, 'q');
    std::list<std::string> names{"a", std::string(40, 'b')};
    EXPECT_EQ(manager->OwnerOf(one.get()), EBlockOwner::Pool);
    EXPECT_EQ(manager->OwnerOf(array.get()), EBlockOwner::Region);
    EXPECT_EQ(manager->OwnerOf(quiet.get()), EBlockOwner::Pool);
    EXPECT_EQ(manager->OwnerOf(text.data()), EBlockOwner::Region);
    EXPECT_NE(manager->OwnerOf(&names.front()), EBlockOwner::RuntimeHeap);

    struct alignas(64) SWide {
        char bytes[64];
    };
    std::unique_ptr<SWide> wide(new SWide());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(wide.get()) % 64, 0u);
    EXPECT_NE(manager->OwnerOf(wide.get()), EBlockOwner::RuntimeHeap);
    for (size_t size : {size_t(1), size_t(17), size_t(64), size_t(5000)}) {
        void* p = ::operator new(size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % __STDCPP_DEFAULT_NEW_ALIGNMENT__, 0u) << size;
        ::operator delete(p, size);
    }
}

TEST(GlobalOperators, AbsurdSizesFailCleanly)
{
    const size_t absurd[] = {SIZE_MAX, SIZE_MAX - 3, SIZE_MAX / 2 + 1};
    for (size_t n : absurd) {
        EXPECT_EQ(::operator new(n, std::nothrow), nullptr) << n;
        EXPECT_EQ(::operator new[](n, std::nothrow), nullptr) << n;
        EXPECT_EQ(::operator new(n, std::align_val_t(64), std::nothrow), nullptr) << n;
        EXPECT_THROW((void)::operator new(n), std::bad_alloc) << n;
        EXPECT_THROW((void)::operator new[](n, std::align_val_t(256)), std::bad_alloc) << n;
    }
    // The heap is still whole afterwards.
    std::vector<std::string> after(50, std::string(300, 'z'));
    EXPECT_EQ(after[49][299], 'z');
}
