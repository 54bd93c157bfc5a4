#pragma once
#include <cstddef>
#include <cstdint>

namespace Quorvel { namespace Base { namespace Allocator {

// The memory system's checking mode: every block gets a header in front and guard bytes
// behind; a release checks both and marks the block released, so that an overrun, an
// underrun, a second release or a release of something never handed out is caught at the
// release. The mode also counts the bytes in use and their peak.
//
// It is chosen when a program is linked, so that it holds from the very first allocation:
// a program that defines kCheckBlockGuards (true) itself gets it; every other one links
// BlockGuardsMode.cpp's false. The product never checks.
extern const bool kCheckBlockGuards;

constexpr size_t kBlockGuardBytes = 16;

// Called on the first breach found, with the block as its caller saw it; the default one
// raises a non-continuable exception. A handler that returns leaves the block unreleased.
using GuardBreachHandler = void (*)(const void* block, size_t size, const char* what);
GuardBreachHandler SetGuardBreachHandler(GuardBreachHandler handler);

struct GuardedUsage {
    size_t liveBytes;  // requested bytes of the blocks in use
    size_t liveBlocks;
    size_t peakBytes;  // the most live bytes since the last ResetGuardedPeak
    size_t largestRequest; // the largest block asked for since then, served or not
};
// All zero when the mode is off.
GuardedUsage CurrentGuardedUsage();
void ResetGuardedPeak();

// For the allocation operators: the size to ask of the allocator for a block of size bytes
// (0 when that overflows), the caller's block inside the allocator's, and back.
size_t GuardedSize(size_t size);
void* GuardBlock(void* raw, size_t size);
// Null when the block fails its check (after the handler ran): it must then not be released.
void* UnguardBlock(void* block);

}}} // namespace Quorvel::Base::Allocator
