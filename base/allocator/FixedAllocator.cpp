#include "base/allocator/FixedAllocator.h"

#include <cstdio>
#include <cstdlib>

#include "base/allocator/FixedSizePoolAllocator.h"
#include "base/allocator/LeakReport.h"

namespace Quorvel { namespace Base { namespace Allocator {

namespace {
// Spans are indexed by the 4 KiB bucket their start lies in; a bucket holds few spans,
// since each is separated from the next by at least one live block.
const uint32_t kBucketShift = 12;

inline size_t RoundUp(size_t value, size_t granule)
{
    return (value + granule - 1) & ~(granule - 1);
}
} // namespace

static_assert(sizeof(void*) * 4 <= size_t(CFixedSizePoolAllocator::kBlockSize),
              "a free-list node must fit one pool block");

CFixedAllocator::CFixedAllocator(CFixedSizePoolAllocator& nodes) : m_nodes(nodes)
{
    m_bucketCount = kRegionSize >> kBucketShift;
    // All of it from the runtime heap: this sits below the program's own operator new.
    m_memory = std::calloc(1, size_t(kRegionSize) + 2 * kGranule);
    m_bucketFirst = static_cast<SNode**>(std::calloc(m_bucketCount, sizeof(SNode*)));
    if (!m_memory || !m_bucketFirst || !m_bucketMax.Create(m_bucketCount)) {
        std::free(m_memory);
        std::free(m_bucketFirst);
        m_memory = nullptr;
        m_bucketFirst = nullptr;
        return;
    }
    // The size word sits just below a granule boundary, so callers get aligned pointers.
    m_region = RoundUp(reinterpret_cast<uintptr_t>(m_memory) + kHeaderSize, kGranule) - kHeaderSize;
    // The tail sentinel starts one byte past the end, so no block ever ends at its start.
    m_head = {nullptr, &m_tail, 0, 0};
    m_tail = {&m_head, nullptr, m_region + kRegionSize + 1, 0};
    while (m_reserveCount < kReserveNodes) {
        void* p = m_nodes.Allocate(sizeof(SNode));
        if (!p)
            break;
        m_reserve[m_reserveCount++] = static_cast<SNode*>(p);
    }
    SNode* whole = NewNode();
    if (!whole) {
        ReleaseFreeList();
        std::free(m_memory);
        m_memory = nullptr;
        m_region = 0;
        return;
    }
    *whole = {&m_head, &m_tail, m_region, kRegionSize};
    m_head.next = whole;
    m_tail.prev = whole;
    AttachToBucket(whole, 0);
    SpanArrived(0, kRegionSize);
}

CFixedAllocator::~CFixedAllocator()
{
    ReleaseFreeList();
    std::free(m_bucketFirst);
    std::free(m_memory);
}

bool CFixedAllocator::Contains(const void* p) const
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(p);
    return m_region && a >= m_region && a < m_region + kRegionSize;
}

uint32_t CFixedAllocator::BlockSize(const void* block)
{
    return *reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(block) - kHeaderSize);
}

uint32_t CFixedAllocator::BucketOf(uintptr_t address) const
{
    return uint32_t((address - m_region) >> kBucketShift);
}

bool CFixedAllocator::InBucket(const SNode* node, uint32_t bucket) const
{
    return node != &m_tail && BucketOf(node->start) == bucket;
}

void CFixedAllocator::DetachFromBucket(SNode* node, uint32_t bucket)
{
    if (m_bucketFirst[bucket] == node)
        m_bucketFirst[bucket] = InBucket(node->next, bucket) ? node->next : nullptr;
}

void CFixedAllocator::AttachToBucket(SNode* node, uint32_t bucket)
{
    SNode* first = m_bucketFirst[bucket];
    if (!first || first->start > node->start)
        m_bucketFirst[bucket] = node;
}

// A bucket's maximum only needs a walk when the span that held it shrinks or leaves.
void CFixedAllocator::SpanLeft(uint32_t bucket, size_t size)
{
    if (size >= m_bucketMax.Get(bucket))
        RefreshBucket(bucket);
}

void CFixedAllocator::SpanArrived(uint32_t bucket, size_t size)
{
    if (size > m_bucketMax.Get(bucket))
        m_bucketMax.Set(bucket, uint32_t(size));
}

void CFixedAllocator::RefreshBucket(uint32_t bucket)
{
    size_t largest = 0;
    for (SNode* n = m_bucketFirst[bucket]; n && InBucket(n, bucket); n = n->next) {
        if (n->size > largest)
            largest = n->size;
    }
    m_bucketMax.Set(bucket, uint32_t(largest));
}

CFixedAllocator::SNode* CFixedAllocator::FirstFit(size_t size)
{
    const int32_t bucket = m_bucketMax.FindFirst(uint32_t(size));
    if (bucket < 0)
        return nullptr;
    for (SNode* n = m_bucketFirst[bucket]; n && InBucket(n, uint32_t(bucket)); n = n->next) {
        if (n->size >= size)
            return n;
    }
    return nullptr;
}

CFixedAllocator::SNode* CFixedAllocator::LastFit(size_t size)
{
    const int32_t bucket = m_bucketMax.FindLast(uint32_t(size));
    if (bucket < 0)
        return nullptr;
    SNode* fit = nullptr;
    for (SNode* n = m_bucketFirst[bucket]; n && InBucket(n, uint32_t(bucket)); n = n->next) {
        if (n->size >= size)
            fit = n;
    }
    return fit;
}

CFixedAllocator::SNode* CFixedAllocator::FirstAtOrAbove(uintptr_t address)
{
    const uint32_t bucket = BucketOf(address);
    for (SNode* n = m_bucketFirst[bucket]; n && InBucket(n, bucket); n = n->next) {
        if (n->start >= address)
            return n;
    }
    const int32_t later = m_bucketMax.FindFirst(1, bucket + 1);
    return later < 0 ? &m_tail : m_bucketFirst[later];
}

void CFixedAllocator::Resize(SNode* node, uintptr_t start, size_t size)
{
    const uint32_t from = BucketOf(node->start);
    const uint32_t to = BucketOf(start);
    const size_t oldSize = node->size;
    if (from != to)
        DetachFromBucket(node, from);
    node->start = start;
    node->size = size;
    if (from != to) {
        AttachToBucket(node, to);
        SpanLeft(from, oldSize);
        SpanArrived(to, size);
    } else if (size > oldSize) {
        SpanArrived(to, size);
    } else {
        SpanLeft(from, oldSize);
    }
}

void CFixedAllocator::Remove(SNode* node)
{
    const uint32_t bucket = BucketOf(node->start);
    DetachFromBucket(node, bucket);
    node->prev->next = node->next;
    node->next->prev = node->prev;
    SpanLeft(bucket, node->size);
    ReleaseNode(node);
}

CFixedAllocator::SNode* CFixedAllocator::NewNode()
{
    void* p = m_nodes.Allocate(sizeof(SNode));
    if (!p && m_reserveCount > 0)
        p = m_reserve[--m_reserveCount];
    if (!p)
        p = std::malloc(sizeof(SNode));
    return static_cast<SNode*>(p);
}

void CFixedAllocator::ReleaseNode(SNode* node)
{
    // Refill the reserve first: it is what lets a release complete when the pool is full.
    if (m_reserveCount < kReserveNodes) {
        m_reserve[m_reserveCount++] = node;
        return;
    }
    if (!m_nodes.Free(node))
        std::free(node);
}

void* CFixedAllocator::Allocate(size_t size)
{
    if (!m_region || m_listReleased || size > kRegionSize - kHeaderSize)
        return nullptr;
    const size_t nominal = size + kHeaderSize;
    const size_t block = RoundUp(nominal, kGranule);
    uintptr_t start;
    if (nominal < kLargeThreshold) {
        SNode* node = FirstFit(block);
        if (!node)
            return nullptr;
        start = node->start;
        if (node->size == block)
            Remove(node);
        else
            Resize(node, node->start + block, node->size - block);
    } else {
        SNode* node = LastFit(block);
        if (!node)
            return nullptr;
        start = node->start + node->size - block;
        if (node->size == block)
            Remove(node);
        else
            Resize(node, node->start, node->size - block);
    }
    *reinterpret_cast<uint32_t*>(start) = uint32_t(block);
    return reinterpret_cast<void*>(start + kHeaderSize);
}

bool CFixedAllocator::Free(void* p)
{
    if (!m_region || m_listReleased)
        return false;
    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
    if (address < m_region + kHeaderSize || address >= m_region + kRegionSize)
        return false;
    const uintptr_t start = address - kHeaderSize;
    if ((start - m_region) % kGranule)
        return false;
    const size_t size = *reinterpret_cast<const uint32_t*>(start);
    if (size < kGranule || size % kGranule || size > m_region + kRegionSize - start)
        return false;

    SNode* next = FirstAtOrAbove(start);
    SNode* prev = next->prev;
    const bool joinsPrev = prev != &m_head && prev->start + prev->size == start;
    const bool joinsNext = next != &m_tail && start + size == next->start;
    // A block that overlaps free space is not live: a second release, or a stray pointer.
    if ((prev != &m_head && prev->start + prev->size > start) ||
        (next != &m_tail && start + size > next->start))
        return false;

    if (joinsPrev && joinsNext) {
        const size_t merged = prev->size + size + next->size;
        Remove(next);
        Resize(prev, prev->start, merged);
    } else if (joinsPrev) {
        Resize(prev, prev->start, prev->size + size);
    } else if (joinsNext) {
        Resize(next, start, next->size + size);
    } else {
        SNode* node = NewNode();
        if (!node) {
            // Nothing left to describe the span with: give it up rather than corrupt the list.
            m_lostBytes += size;
            return true;
        }
        *node = {prev, next, start, size};
        prev->next = node;
        next->prev = node;
        const uint32_t bucket = BucketOf(start);
        AttachToBucket(node, bucket);
        SpanArrived(bucket, size);
    }
    return true;
}

size_t CFixedAllocator::FreeBytes() const
{
    size_t total = 0;
    for (const SNode* n = m_head.next; n && n != &m_tail; n = n->next)
        total += n->size;
    return total;
}

int32_t CFixedAllocator::FreeNodeCount() const
{
    int32_t count = 0;
    for (const SNode* n = m_head.next; n && n != &m_tail; n = n->next)
        ++count;
    return count;
}

uint32_t CFixedAllocator::ReportLeaks(ILeakReportSink& sink) const
{
    if (!m_region)
        return 0;
    const uint32_t missing = uint32_t(kRegionSize - FreeBytes());
    if (missing) {
        char text[64];
        std::snprintf(text, sizeof(text), "MemoryLeak!  :  [Size] %d byte", int(missing));
        sink.Report("CFixedAllocator", text);
    }
    return missing;
}

void CFixedAllocator::ReleaseFreeList()
{
    SNode* n = m_head.next;
    while (n && n != &m_tail) {
        SNode* next = n->next;
        if (!m_nodes.Free(n))
            std::free(n);
        n = next;
    }
    while (m_reserveCount > 0) {
        SNode* node = m_reserve[--m_reserveCount];
        if (!m_nodes.Free(node))
            std::free(node);
    }
    m_head.next = &m_tail;
    m_tail.prev = &m_head;
    m_listReleased = true;
}

}}} // namespace Quorvel::Base::Allocator
