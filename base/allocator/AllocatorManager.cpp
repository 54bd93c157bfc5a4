#include "base/allocator/AllocatorManager.h"

#include <new>

#include "base/Win32.h"
#include "base/allocator/LeakReport.h"

namespace Quorvel { namespace Base { namespace Allocator {

using Thread::CCriticalLock;

CAllocatorManager::CAllocatorManager(CFixedSizePoolAllocator& pool, CFixedAllocator& region)
    : m_builtIn(pool, region)
{
}

void* CAllocatorManager::Allocate(size_t size)
{
    CCriticalLock lock(&m_lock);
    if (!m_initialized) {
        m_builtIn.Initialize();
        m_initialized = true;
    }
    return m_builtIn.Allocate(size);
}

bool CAllocatorManager::Free(void* block)
{
    CCriticalLock lock(&m_lock);
    return m_builtIn.Free(block);
}

EBlockOwner CAllocatorManager::OwnerOf(const void* block)
{
    CCriticalLock lock(&m_lock);
    return m_builtIn.OwnerOf(block);
}

void CAllocatorManager::Retire(ILeakReportSink& sink)
{
    CCriticalLock lock(&m_lock);
    m_builtIn.Retire(sink);
}

namespace {
enum : LONG { kNoManager, kCreating, kReady };

// Zero-initialized before any code runs, so the first operator new, wherever it comes
// from, finds a consistent state. The manager itself is never destroyed: blocks may be
// released through it until the very end of the process.
volatile LONG s_state = kNoManager;
alignas(CAllocatorManager) unsigned char s_storage[sizeof(CAllocatorManager)];

CAllocatorManager* Stored()
{
    return reinterpret_cast<CAllocatorManager*>(s_storage);
}

// Constructed before the program's other static objects and so destroyed after them:
// its destructor is the end of the memory system, where the leak reports come from.
class CMemorySystemEnd {
public:
    CMemorySystemEnd() {}
    ~CMemorySystemEnd()
    {
        if (CAllocatorManager* manager = FindAllocatorManager())
            manager->Retire(GetLeakReportSink());
    }
};
CMemorySystemEnd s_end __attribute__((init_priority(101)));
} // namespace

CAllocatorManager* FindAllocatorManager()
{
    return __atomic_load_n(&s_state, __ATOMIC_ACQUIRE) == kReady ? Stored() : nullptr;
}

CAllocatorManager* GetAllocatorManager()
{
    if (__atomic_load_n(&s_state, __ATOMIC_ACQUIRE) == kReady)
        return Stored();
    const LONG state = InterlockedCompareExchange(&s_state, kCreating, kNoManager);
    if (state == kReady)
        return Stored();
    if (state == kCreating)
        return nullptr;
    new (s_storage) CAllocatorManager();
    InterlockedExchange(&s_state, kReady);
    return Stored();
}

}}} // namespace Quorvel::Base::Allocator
