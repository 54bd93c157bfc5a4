#pragma once
#include <cstddef>
#include <cstdint>

#include "base/allocator/BucketMaxTree.h"
#include "base/allocator/IAllocator.h"

namespace Quorvel { namespace Base { namespace Allocator {

class CFixedSizePoolAllocator;
class ILeakReportSink;

// One 16 MiB region with an address-ordered free list. Ordinary blocks are cut from the
// lowest free span that fits and large ones from the highest, so large blocks gather at
// the top and do not break up the small ones at the bottom. Each block carries a 4-byte
// size word in front of the caller's pointer; blocks are whole 16-byte granules placed so
// that the caller's pointer is 16-byte aligned, as operator new promises.
// The free-list nodes come from the pool; a few are kept in reserve, so that a release
// needing a new node completes even when the pool is full. Not thread-safe: the manager's
// lock serializes every call.
class CFixedAllocator : public IAllocator {
public:
    static constexpr uint32_t kRegionSize = 16 * 1024 * 1024;
    // A request whose block (request plus size word) reaches this is placed from the top.
    static constexpr uint32_t kLargeThreshold = 409600;
    static constexpr uint32_t kHeaderSize = 4;
    static constexpr uint32_t kGranule = 16;
    static constexpr int kReserveNodes = 16;

    explicit CFixedAllocator(CFixedSizePoolAllocator& nodes);
    ~CFixedAllocator() override;
    CFixedAllocator(const CFixedAllocator&) = delete;
    CFixedAllocator& operator=(const CFixedAllocator&) = delete;

    void Initialize() override {}
    void* Allocate(size_t size) override;
    // Refused (false) when there is no region, the pointer lies outside it, or it is not a
    // live block (its span overlaps free space or its size word is not a block's).
    bool Free(void* block) override;

    bool IsValid() const { return m_region != 0; }
    bool Contains(const void* p) const;
    const void* RegionBegin() const { return reinterpret_cast<const void*>(m_region); }
    const void* RegionEnd() const
    {
        return reinterpret_cast<const void*>(m_region ? m_region + kRegionSize : 0);
    }
    // The block size recorded in front of a live block (request plus size word, rounded).
    static uint32_t BlockSize(const void* block);
    size_t FreeBytes() const;
    int32_t FreeNodeCount() const;
    int32_t ReserveCount() const { return m_reserveCount; }
    // Bytes that had to be given up because no node could be found for them.
    size_t LostBytes() const { return m_lostBytes; }
    // One report when free space is missing from the region; returns the missing bytes.
    uint32_t ReportLeaks(ILeakReportSink& sink) const;
    // Hands every node back to the pool; the region serves nothing afterwards.
    void ReleaseFreeList();

private:
    struct SNode {
        SNode* prev;
        SNode* next;
        uintptr_t start;
        size_t size;
    };

    uint32_t BucketOf(uintptr_t address) const;
    bool InBucket(const SNode* node, uint32_t bucket) const;
    void DetachFromBucket(SNode* node, uint32_t bucket);
    void AttachToBucket(SNode* node, uint32_t bucket);
    void SpanLeft(uint32_t bucket, size_t size);
    void SpanArrived(uint32_t bucket, size_t size);
    void RefreshBucket(uint32_t bucket);
    SNode* FirstFit(size_t size);
    SNode* LastFit(size_t size);
    SNode* FirstAtOrAbove(uintptr_t address);
    void Resize(SNode* node, uintptr_t start, size_t size);
    void Remove(SNode* node);
    SNode* NewNode();
    void ReleaseNode(SNode* node);

    CFixedSizePoolAllocator& m_nodes;
    void* m_memory = nullptr;
    uintptr_t m_region = 0;
    SNode m_head = {};
    SNode m_tail = {};
    SNode** m_bucketFirst = nullptr;  // lowest node starting in each bucket
    uint32_t m_bucketCount = 0;
    CBucketMaxTree m_bucketMax;
    SNode* m_reserve[kReserveNodes] = {};
    int m_reserveCount = 0;
    size_t m_lostBytes = 0;
    bool m_listReleased = false;
};

}}} // namespace Quorvel::Base::Allocator
