#pragma once
#include <cstddef>

namespace Quorvel { namespace Base { namespace Allocator {

// One source of memory blocks. Free answers whether the block was this allocator's,
// so a policy can offer a pointer to several allocators in turn.
class IAllocator {
public:
    virtual void Initialize() = 0;
    virtual void* Allocate(size_t size) = 0;
    virtual bool Free(void* block) = 0;
    virtual ~IAllocator() = default;
};

}}} // namespace Quorvel::Base::Allocator
