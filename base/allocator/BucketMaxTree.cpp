#include "base/allocator/BucketMaxTree.h"

#include <cstdlib>

namespace Quorvel { namespace Base { namespace Allocator {

CBucketMaxTree::~CBucketMaxTree()
{
    std::free(m_nodes);
}

bool CBucketMaxTree::Create(uint32_t leafCount)
{
    std::free(m_nodes);
    m_nodes = nullptr;
    m_leafCount = 0;
    if (leafCount == 0 || leafCount > (1u << 24))
        return false;
    uint32_t leaves = 1;
    while (leaves < leafCount)
        leaves <<= 1;
    // Taken from the runtime heap: this sits below the program's own operator new.
    m_nodes = static_cast<uint32_t*>(std::calloc(size_t(leaves) * 2, sizeof(uint32_t)));
    if (!m_nodes)
        return false;
    m_leafCount = leaves;
    return true;
}

void CBucketMaxTree::Set(uint32_t leaf, uint32_t value)
{
    uint32_t i = m_leafCount + leaf;
    m_nodes[i] = value;
    for (i >>= 1; i >= 1; i >>= 1) {
        const uint32_t left = m_nodes[2 * i];
        const uint32_t right = m_nodes[2 * i + 1];
        const uint32_t top = left > right ? left : right;
        if (m_nodes[i] == top)
            break;
        m_nodes[i] = top;
    }
}

int32_t CBucketMaxTree::FindFirst(uint32_t value, uint32_t from) const
{
    if (from >= m_leafCount)
        return -1;
    uint32_t i = m_leafCount + from;
    if (m_nodes[i] < value) {
        // Climb until a right sibling's subtree qualifies, then descend into it.
        for (;;) {
            while (i & 1) {
                i >>= 1;
                if (i <= 1)
                    return -1;
            }
            ++i;
            if (m_nodes[i] >= value)
                break;
        }
    }
    while (i < m_leafCount)
        i = m_nodes[2 * i] >= value ? 2 * i : 2 * i + 1;
    return int32_t(i - m_leafCount);
}

int32_t CBucketMaxTree::FindLast(uint32_t value) const
{
    if (!m_leafCount || m_nodes[1] < value)
        return -1;
    uint32_t i = 1;
    while (i < m_leafCount)
        i = m_nodes[2 * i + 1] >= value ? 2 * i + 1 : 2 * i;
    return int32_t(i - m_leafCount);
}

}}} // namespace Quorvel::Base::Allocator
