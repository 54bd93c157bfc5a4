#pragma once
#include <cstddef>

#include "base/allocator/Allocator.h"
#include "base/thread/CriticalSection.h"

namespace Quorvel { namespace Base { namespace Allocator {

// Serializes every allocation and release of the program, whatever thread calls, around
// the built-in policy. The process-wide manager is reached through GetAllocatorManager;
// plain instances bound to their own pool and region serve tests.
class CAllocatorManager {
public:
    // Served by the process-wide pool and region, created at the first allocation.
    CAllocatorManager() = default;
    CAllocatorManager(CFixedSizePoolAllocator& pool, CFixedAllocator& region);
    virtual ~CAllocatorManager() = default;
    CAllocatorManager(const CAllocatorManager&) = delete;
    CAllocatorManager& operator=(const CAllocatorManager&) = delete;

    void* Allocate(size_t size);
    bool Free(void* block);
    EBlockOwner OwnerOf(const void* block);
    void Retire(ILeakReportSink& sink);

private:
    CAllocator m_builtIn;
    bool m_initialized = false;
    Thread::CCriticalSection m_lock;
};

// The process-wide manager, created on first use. Null while it is being created (by
// this thread further up the stack, or by another thread): callers then use the runtime
// heap directly, whose blocks the manager later recognizes and hands back to it.
CAllocatorManager* GetAllocatorManager();
// The process-wide manager if it exists, without creating it.
CAllocatorManager* FindAllocatorManager();

}}} // namespace Quorvel::Base::Allocator
