#pragma once
#include <cstddef>

namespace Quorvel { namespace Base { namespace Allocator {

// The memory system's last resort: before the manager exists, and when neither the pool nor
// the region can serve. Blocks keep the alignment operator new promises, which i686's malloc
// does not (it gives 8), so they go back through RuntimeHeapFree and never through free.
constexpr size_t kRuntimeHeapAlignment = 16;

// Null when the heap cannot serve, or for a size no heap could.
void* RuntimeHeapAllocate(size_t size);
void RuntimeHeapFree(void* block);

}}} // namespace Quorvel::Base::Allocator
