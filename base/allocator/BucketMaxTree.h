#pragma once
#include <cstdint>

namespace Quorvel { namespace Base { namespace Allocator {

// The largest free span of each address bucket of the region, kept in a complete binary
// tree of maxima. It finds the lowest (or highest) bucket holding a span of at least a
// given size in a few steps, which is the same answer a walk of the address-ordered
// free list gives, without the walk.
class CBucketMaxTree {
public:
    CBucketMaxTree() = default;
    ~CBucketMaxTree();
    CBucketMaxTree(const CBucketMaxTree&) = delete;
    CBucketMaxTree& operator=(const CBucketMaxTree&) = delete;

    // Leaf count is rounded up to a power of two; false when the memory is not there.
    bool Create(uint32_t leafCount);
    void Set(uint32_t leaf, uint32_t value);
    uint32_t Get(uint32_t leaf) const { return m_nodes[m_leafCount + leaf]; }
    // The first leaf at or after `from` whose value is at least `value`, or -1.
    int32_t FindFirst(uint32_t value, uint32_t from = 0) const;
    // The last leaf whose value is at least `value`, or -1.
    int32_t FindLast(uint32_t value) const;

private:
    uint32_t* m_nodes = nullptr;  // [1] is the root, leaves from m_leafCount
    uint32_t m_leafCount = 0;
};

}}} // namespace Quorvel::Base::Allocator
