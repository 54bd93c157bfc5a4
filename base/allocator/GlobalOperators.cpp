// The program's global allocation and release operators: every object, string and
// container buffer of the module is served by the memory system. This object is pulled
// from the static library by the first operator new a program needs, or by the leak
// report seam (see kGlobalOperatorsLinked), and the memory system's end-of-process hook
// comes with it (it lives beside the manager).
#include <cstdint>
#include <new>

#include "base/allocator/AllocatorManager.h"
#include "base/allocator/BlockGuards.h"
#include "base/allocator/RuntimeHeap.h"

namespace Quorvel { namespace Base { namespace Allocator {
extern const char kGlobalOperatorsLinked;
const char kGlobalOperatorsLinked = 1;
}}} // namespace Quorvel::Base::Allocator

using Quorvel::Base::Allocator::CAllocatorManager;
using Quorvel::Base::Allocator::GuardBlock;
using Quorvel::Base::Allocator::GuardedSize;
using Quorvel::Base::Allocator::kCheckBlockGuards;
using Quorvel::Base::Allocator::UnguardBlock;
using Quorvel::Base::Allocator::FindAllocatorManager;
using Quorvel::Base::Allocator::GetAllocatorManager;
using Quorvel::Base::Allocator::RuntimeHeapAllocate;
using Quorvel::Base::Allocator::RuntimeHeapFree;

namespace {
// Blocks are aligned to this much without asking; stricter alignments are served by
// over-allocating and keeping the underlying block's address just below the result.
const size_t kNaturalAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

void* AllocateRaw(size_t size)
{
    if (CAllocatorManager* manager = GetAllocatorManager())
        return manager->Allocate(size);
    return RuntimeHeapAllocate(size);
}

void ReleaseRaw(void* block)
{
    // Without a manager the block can only have come from the runtime heap.
    if (CAllocatorManager* manager = FindAllocatorManager())
        manager->Free(block);
    else
        RuntimeHeapFree(block);
}

void* AllocateBlock(size_t size)
{
    if (!kCheckBlockGuards)
        return AllocateRaw(size);
    const size_t guarded = GuardedSize(size);
    return guarded != 0 ? GuardBlock(AllocateRaw(guarded), size) : nullptr;
}

void ReleaseBlock(void* block)
{
    if (!block)
        return;
    if (kCheckBlockGuards)
        block = UnguardBlock(block);
    if (block)
        ReleaseRaw(block);
}

void* AllocateAligned(size_t size, size_t alignment)
{
    if (alignment <= kNaturalAlignment)
        return AllocateBlock(size);
    if (alignment & (alignment - 1))
        return nullptr;
    const size_t extra = alignment - 1 + sizeof(void*);
    if (size > SIZE_MAX - extra)
        return nullptr;
    void* raw = AllocateBlock(size + extra);
    if (!raw)
        return nullptr;
    const uintptr_t aligned =
        (reinterpret_cast<uintptr_t>(raw) + sizeof(void*) + alignment - 1) & ~uintptr_t(alignment - 1);
    reinterpret_cast<void**>(aligned)[-1] = raw;
    return reinterpret_cast<void*>(aligned);
}

void ReleaseAligned(void* block, size_t alignment)
{
    if (!block || alignment <= kNaturalAlignment)
        ReleaseBlock(block);
    else
        ReleaseBlock(static_cast<void**>(block)[-1]);
}

// The throwing forms keep the standard contract: ask the new-handler, then throw.
void* AllocateOrThrow(size_t size, size_t alignment)
{
    for (;;) {
        if (void* p = AllocateAligned(size, alignment))
            return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void* AllocateOrNull(size_t size, size_t alignment) noexcept
{
    try {
        return AllocateOrThrow(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
} // namespace

void* operator new(size_t size)
{
    return AllocateOrThrow(size, kNaturalAlignment);
}

void* operator new[](size_t size)
{
    return AllocateOrThrow(size, kNaturalAlignment);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, kNaturalAlignment);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, kNaturalAlignment);
}

void* operator new(size_t size, std::align_val_t alignment)
{
    return AllocateOrThrow(size, size_t(alignment));
}

void* operator new[](size_t size, std::align_val_t alignment)
{
    return AllocateOrThrow(size, size_t(alignment));
}

void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, size_t(alignment));
}

void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size, size_t(alignment));
}

void operator delete(void* block) noexcept
{
    ReleaseBlock(block);
}

void operator delete[](void* block) noexcept
{
    ReleaseBlock(block);
}

void operator delete(void* block, size_t) noexcept
{
    ReleaseBlock(block);
}

void operator delete[](void* block, size_t) noexcept
{
    ReleaseBlock(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    ReleaseBlock(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    ReleaseBlock(block);
}

void operator delete(void* block, std::align_val_t alignment) noexcept
{
    ReleaseAligned(block, size_t(alignment));
}

void operator delete[](void* block, std::align_val_t alignment) noexcept
{
    ReleaseAligned(block, size_t(alignment));
}

void operator delete(void* block, size_t, std::align_val_t alignment) noexcept
{
    ReleaseAligned(block, size_t(alignment));
}

void operator delete[](void* block, size_t, std::align_val_t alignment) noexcept
{
    ReleaseAligned(block, size_t(alignment));
}

void operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    ReleaseAligned(block, size_t(alignment));
}

void operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    ReleaseAligned(block, size_t(alignment));
}
