#include "base/allocator/BlockGuards.h"

#include <cstring>

#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace Allocator {

namespace {

// In front of every checked block; 16 bytes on both pointer sizes, which keeps the
// caller's block on the allocator's 16-byte alignment.
struct SBlockHeader {
    uint64_t size;
    uint32_t state;
    uint32_t check; // ties state and size together: a stray write in front is seen too
};
static_assert(sizeof(SBlockHeader) == 16, "the header keeps blocks 16-byte aligned");

constexpr uint32_t kLive = 0x4C495645;
constexpr uint32_t kReleased = 0x44454144;
constexpr unsigned char kGuard = 0xFD;
constexpr unsigned char kReleasedFill = 0xDD;

uint32_t CheckOf(uint32_t state, uint64_t size)
{
    return state ^ static_cast<uint32_t>(size) ^ static_cast<uint32_t>(size >> 32) ^ 0x9E3779B9u;
}

void RaiseBreach(const void*, size_t, const char*)
{
    RaiseException(0xE0475244, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

GuardBreachHandler g_handler = &RaiseBreach;
volatile LONG_PTR g_liveBytes = 0;
volatile LONG_PTR g_liveBlocks = 0;
volatile LONG_PTR g_peakBytes = 0;
volatile LONG_PTR g_largestRequest = 0;

void Breach(const void* block, size_t size, const char* what)
{
    if (g_handler != nullptr)
        g_handler(block, size, what);
}

void RaiseTo(volatile LONG_PTR& most, LONG_PTR value)
{
    for (LONG_PTR seen = most; value > seen; seen = most)
        if (InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&most), reinterpret_cast<PVOID>(value),
                                              reinterpret_cast<PVOID>(seen)) == reinterpret_cast<PVOID>(seen))
            return;
}

LONG_PTR Add(volatile LONG_PTR& counter, LONG_PTR amount)
{
#ifdef _WIN64
    return InterlockedExchangeAdd64(&counter, amount) + amount;
#else
    return InterlockedExchangeAdd(reinterpret_cast<volatile LONG*>(&counter), amount) + amount;
#endif
}

} // namespace

GuardBreachHandler SetGuardBreachHandler(GuardBreachHandler handler)
{
    GuardBreachHandler previous = g_handler;
    g_handler = handler;
    return previous;
}

GuardedUsage CurrentGuardedUsage()
{
    return {static_cast<size_t>(g_liveBytes), static_cast<size_t>(g_liveBlocks), static_cast<size_t>(g_peakBytes),
            static_cast<size_t>(g_largestRequest)};
}

void ResetGuardedPeak()
{
    g_peakBytes = g_liveBytes;
    g_largestRequest = 0;
}

size_t GuardedSize(size_t size)
{
    RaiseTo(g_largestRequest, static_cast<LONG_PTR>(size > static_cast<size_t>(INTPTR_MAX) ? INTPTR_MAX : size));
    const size_t overhead = sizeof(SBlockHeader) + kBlockGuardBytes;
    return size > SIZE_MAX - overhead ? 0 : size + overhead;
}

void* GuardBlock(void* raw, size_t size)
{
    if (raw == nullptr)
        return nullptr;
    auto* header = static_cast<SBlockHeader*>(raw);
    header->size = size;
    header->state = kLive;
    header->check = CheckOf(kLive, size);
    unsigned char* block = reinterpret_cast<unsigned char*>(header + 1);
    std::memset(block + size, kGuard, kBlockGuardBytes);
    Add(g_liveBlocks, 1);
    RaiseTo(g_peakBytes, Add(g_liveBytes, static_cast<LONG_PTR>(size)));
    return block;
}

void* UnguardBlock(void* block)
{
    auto* header = static_cast<SBlockHeader*>(block) - 1;
    const size_t size = static_cast<size_t>(header->size);
    if (header->state == kReleased && header->check == CheckOf(kReleased, header->size)) {
        Breach(block, size, "bytes released twice");
        return nullptr;
    }
    if (header->state != kLive || header->check != CheckOf(kLive, header->size)) {
        Breach(block, size, "bytes: header overwritten, or never handed out");
        return nullptr;
    }
    const unsigned char* guard = static_cast<const unsigned char*>(block) + size;
    for (size_t i = 0; i < kBlockGuardBytes; ++i) {
        if (guard[i] != kGuard) {
            Breach(block, size, "bytes written past its end");
            return nullptr;
        }
    }
    // A later read through a stale pointer meets a pattern, not the old contents.
    std::memset(block, kReleasedFill, size);
    header->state = kReleased;
    header->check = CheckOf(kReleased, header->size);
    Add(g_liveBlocks, -1);
    Add(g_liveBytes, -static_cast<LONG_PTR>(size));
    return header;
}

}}} // namespace Quorvel::Base::Allocator
