#pragma once
#include <cstddef>
#include <cstdint>

#include "base/allocator/IAllocator.h"

namespace Quorvel { namespace Base { namespace Allocator {

class CFixedSizePoolAllocator;
class CFixedAllocator;
class ILeakReportSink;

enum class EBlockOwner { RuntimeHeap, Pool, Region };

// The policy: small requests from the pool, the rest (and small ones when the pool is
// full) from the region, and the runtime heap when neither can serve. Bound to a given
// pool and region, or, built without them, to the process-wide pair, which Initialize
// creates on first use and Retire tears down.
class CAllocator : public IAllocator {
public:
    CAllocator() = default;
    CAllocator(CFixedSizePoolAllocator& pool, CFixedAllocator& region);
    CAllocator(const CAllocator&) = delete;
    CAllocator& operator=(const CAllocator&) = delete;

    void Initialize() override;
    void* Allocate(size_t size) override;
    bool Free(void* block) override;

    EBlockOwner OwnerOf(const void* block) const;
    // The end of the memory system: reports leaks, then stops serving from the pool and
    // the region. Later requests go to the runtime heap; later releases of blocks that
    // lay in the pool or the region are dropped. The process-wide pair gives its memory
    // back only when nothing leaked, so that leaked blocks stay valid until the end.
    void Retire(ILeakReportSink& sink);
    bool IsRetired() const { return m_retired; }

private:
    struct SRange {
        uintptr_t begin = 0;
        uintptr_t end = 0;
        bool Contains(const void* p) const;
    };

    CFixedSizePoolAllocator* m_pool = nullptr;
    CFixedAllocator* m_region = nullptr;
    bool m_processWide = true;
    bool m_retired = false;
    SRange m_retiredPool;
    SRange m_retiredRegion;
};

}}} // namespace Quorvel::Base::Allocator
