// Compares the program's memory system (through the global operators, as every object of
// the plug-in uses it) with the C runtime's malloc/free, in one process, on the patterns
// the plug-in produces. Prints the best of several rounds and the ratio manager / malloc
// (below 1 means the manager is faster).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <new>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "base/allocator/AllocatorManager.h"

using Quorvel::Base::Allocator::EBlockOwner;
using Quorvel::Base::Allocator::GetAllocatorManager;

namespace {

struct SManager {
    static void* Allocate(size_t n) { return ::operator new(n); }
    static void Free(void* p) { ::operator delete(p); }
};

struct SMalloc {
    static void* Allocate(size_t n) { return std::malloc(n); }
    static void Free(void* p) { std::free(p); }
};

template <class T>
struct CMallocAllocator {
    using value_type = T;
    CMallocAllocator() = default;
    template <class U>
    CMallocAllocator(const CMallocAllocator<U>&) {}
    T* allocate(size_t n)
    {
        if (void* p = std::malloc(n * sizeof(T)))
            return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, size_t) { std::free(p); }
    template <class U>
    bool operator==(const CMallocAllocator<U>&) const { return true; }
    template <class U>
    bool operator!=(const CMallocAllocator<U>&) const { return false; }
};

using MallocString = std::basic_string<char, std::char_traits<char>, CMallocAllocator<char>>;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

struct SLcg {
    uint32_t state;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
};

// One churn workload: a fixed set of live blocks, each step releases one and takes a new
// one of the next size. Slots and sizes are drawn beforehand, the same for both sides, and
// kept on the runtime heap: megabytes of tables in the region would crowd out the blocks
// being measured.
using Table = std::vector<uint32_t, CMallocAllocator<uint32_t>>;
struct SChurn {
    size_t live;
    Table slots;
    Table sizes;
};

SChurn MakeChurn(size_t live, size_t steps, uint32_t seed, uint32_t (*size)(SLcg&))
{
    SChurn churn{live, {}, {}};
    SLcg rng{seed};
    for (size_t i = 0; i < steps; ++i) {
        churn.slots.push_back(rng.Next() % live);
        churn.sizes.push_back(size(rng));
    }
    return churn;
}

template <class Heap>
double RunChurn(const SChurn& churn)
{
    std::vector<void*, CMallocAllocator<void*>> blocks(churn.live);
    const double start = Now();
    for (size_t i = 0; i < churn.live; ++i) {
        blocks[i] = Heap::Allocate(churn.sizes[i]);
        static_cast<char*>(blocks[i])[0] = 1;
    }
    for (size_t i = churn.live; i < churn.slots.size(); ++i) {
        void*& slot = blocks[churn.slots[i]];
        Heap::Free(slot);
        slot = Heap::Allocate(churn.sizes[i]);
        static_cast<char*>(slot)[0] = 1;
    }
    for (void* p : blocks)
        Heap::Free(p);
    return Now() - start;
}

template <class List>
double RunList(int rounds)
{
    const double start = Now();
    for (int r = 0; r < rounds; ++r) {
        List list;
        char text[32];
        for (int i = 0; i < 10000; ++i) {
            std::snprintf(text, sizeof(text), "time sheet line %d", i);
            list.emplace_back(text);
        }
    }
    return Now() - start;
}

template <class F>
double Best(F run, int rounds)
{
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const double t = run();
        if (t < best)
            best = t;
    }
    return best;
}

void Print(const char* name, double manager, double crt)
{
    std::printf("%-44s manager %8.1f ms   malloc %8.1f ms   ratio %.2f\n", name, manager * 1000,
                crt * 1000, manager / crt);
}

} // namespace

int main()
{
    void* probe = ::operator new(16);
    if (GetAllocatorManager()->OwnerOf(probe) == EBlockOwner::RuntimeHeap) {
        std::printf("operator new does not reach the memory system\n");
        return 1;
    }
    ::operator delete(probe);

    const int kRounds = 5;
    const SChurn small = MakeChurn(6000, 2000000, 1, [](SLcg& r) { return 16 + r.Next() % 17; });
    // Sizes spread evenly over the powers of two from 8 B to 64 KiB, as a mixed workload is.
    const SChurn mixed = MakeChurn(1000, 500000, 2, [](SLcg& r) {
        return uint32_t(std::exp2(3.0 + 13.0 * (r.Next() % 100000) / 100000.0));
    });

    Print("(a) churn 16-32 B, 6000 live, 2M steps", Best([&] { return RunChurn<SManager>(small); }, kRounds),
          Best([&] { return RunChurn<SMalloc>(small); }, kRounds));
    Print("(b) churn 8 B-64 KiB, 1000 live, 500k steps",
          Best([&] { return RunChurn<SManager>(mixed); }, kRounds),
          Best([&] { return RunChurn<SMalloc>(mixed); }, kRounds));
    Print("(c) list<string> of 10000, built and freed x50",
          Best([] { return RunList<std::list<std::string>>(50); }, kRounds),
          Best([] { return RunList<std::list<MallocString, CMallocAllocator<MallocString>>>(50); }, kRounds));
    return 0;
}
