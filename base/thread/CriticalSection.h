#pragma once
#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace Thread {

class ICriticalSection {
public:
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual ~ICriticalSection() = default;
};

// A recursive lock for the owning thread (Win32 semantics). It counts entries not yet
// left, so an unbalanced Unlock is harmless and destruction releases what is still held.
class CCriticalSection : public ICriticalSection {
public:
    CCriticalSection();
    ~CCriticalSection() override;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() override;
    void Unlock() override;

private:
    CRITICAL_SECTION m_section;
    LONG m_count = 0;
};

// Scoped lock: holds its target once from construction; every extra Lock is undone on
// destruction as well. A null target makes every operation a no-op.
class CCriticalLock {
public:
    explicit CCriticalLock(ICriticalSection* target);
    explicit CCriticalLock(ICriticalSection& target) : CCriticalLock(&target) {}
    virtual ~CCriticalLock();
    CCriticalLock(const CCriticalLock&) = delete;
    CCriticalLock& operator=(const CCriticalLock&) = delete;

    virtual void Lock();
    virtual void Unlock();

private:
    ICriticalSection* m_target;
    LONG m_count = 0;
};

}}} // namespace Quorvel::Base::Thread
