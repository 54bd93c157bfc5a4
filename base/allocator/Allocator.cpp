#include "base/allocator/Allocator.h"

#include <new>

#include "base/allocator/FixedAllocator.h"
#include "base/allocator/FixedSizePoolAllocator.h"
#include "base/allocator/RuntimeHeap.h"

namespace Quorvel { namespace Base { namespace Allocator {

namespace {
// The process-wide pair lives in static storage: it is built on first use (possibly before
// any static constructor has run) and must never depend on operator new itself.
alignas(CFixedSizePoolAllocator) unsigned char s_poolStorage[sizeof(CFixedSizePoolAllocator)];
alignas(CFixedAllocator) unsigned char s_regionStorage[sizeof(CFixedAllocator)];
} // namespace

CAllocator::CAllocator(CFixedSizePoolAllocator& pool, CFixedAllocator& region)
    : m_pool(&pool), m_region(&region), m_processWide(false)
{
}

bool CAllocator::SRange::Contains(const void* p) const
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(p);
    return a >= begin && a < end;
}

void CAllocator::Initialize()
{
    if (!m_processWide || m_pool || m_retired)
        return;
    m_pool = new (s_poolStorage) CFixedSizePoolAllocator();
    m_region = new (s_regionStorage) CFixedAllocator(*m_pool);
    m_pool->Initialize();
    m_region->Initialize();
}

void* CAllocator::Allocate(size_t size)
{
    if (!m_retired && m_pool) {
        if (size <= size_t(CFixedSizePoolAllocator::kBlockSize)) {
            if (void* p = m_pool->Allocate(size))
                return p;
        }
        if (void* p = m_region->Allocate(size))
            return p;
    }
    return RuntimeHeapAllocate(size);
}

bool CAllocator::Free(void* block)
{
    if (m_retired) {
        if (!m_retiredPool.Contains(block) && !m_retiredRegion.Contains(block))
            RuntimeHeapFree(block);
        return true;
    }
    if (m_pool && m_pool->Contains(block))
        return m_pool->Free(block);
    if (!m_region || !m_region->Contains(block)) {
        RuntimeHeapFree(block);
        return true;
    }
    return m_region->Free(block);
}

EBlockOwner CAllocator::OwnerOf(const void* block) const
{
    if (m_retired || !m_pool)
        return EBlockOwner::RuntimeHeap;
    if (m_pool->Contains(block))
        return EBlockOwner::Pool;
    if (m_region->Contains(block))
        return EBlockOwner::Region;
    return EBlockOwner::RuntimeHeap;
}

void CAllocator::Retire(ILeakReportSink& sink)
{
    if (m_retired)
        return;
    m_retired = true;
    if (!m_pool)
        return;
    m_retiredPool = {reinterpret_cast<uintptr_t>(m_pool->BufferBegin()),
                     reinterpret_cast<uintptr_t>(m_pool->BufferEnd())};
    m_retiredRegion = {reinterpret_cast<uintptr_t>(m_region->RegionBegin()),
                       reinterpret_cast<uintptr_t>(m_region->RegionEnd())};
    // The region first: its free-list nodes are pool blocks that are not leaks.
    const uint32_t regionLeak = m_region->ReportLeaks(sink);
    m_region->ReleaseFreeList();
    const int32_t poolLeaks = m_pool->ReportLeaks(sink);
    if (m_processWide && regionLeak == 0 && poolLeaks == 0) {
        m_region->~CFixedAllocator();
        m_pool->~CFixedSizePoolAllocator();
    }
    m_pool = nullptr;
    m_region = nullptr;
}

}}} // namespace Quorvel::Base::Allocator
