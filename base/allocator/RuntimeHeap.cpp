#include "base/allocator/RuntimeHeap.h"

#include <cstdint>
#include <malloc.h>

namespace Quorvel { namespace Base { namespace Allocator {

static_assert(kRuntimeHeapAlignment >= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
              "heap blocks must keep operator new's promise");

void* RuntimeHeapAllocate(size_t size)
{
    // The runtime adds its own bookkeeping to the size without checking for overflow.
    if (size > SIZE_MAX / 2)
        return nullptr;
    return _aligned_malloc(size ? size : 1, kRuntimeHeapAlignment);
}

void RuntimeHeapFree(void* block)
{
    _aligned_free(block);
}

}}} // namespace Quorvel::Base::Allocator
