#pragma once
#include <map>
#include <vector>

#include "base/Win32.h"
#include "base/thread/CriticalSection.h"

namespace Quorvel { namespace Base { namespace Thread {

class ThreadLocalBase {
public:
    virtual void ReleaseCurrent() = 0;
    virtual void ReleaseAll() = 0;
    virtual void Detach() = 0;
    virtual ~ThreadLocalBase() = default;
};

// Keeps the live stores so that a store outliving the manager at exit knows not to
// unregister from it.
class ThreadLocalManager {
public:
    static ThreadLocalManager& Instance();
    ~ThreadLocalManager();

    void Add(ThreadLocalBase* store);
    void Remove(ThreadLocalBase* store);

private:
    ThreadLocalManager() = default;
    CCriticalSection m_lock;
    std::vector<ThreadLocalBase*> m_stores;
};

// One value per thread, keyed by thread ID.
template <class T>
class ThreadLocal : public ThreadLocalBase {
public:
    ThreadLocal() { ThreadLocalManager::Instance().Add(this); }
    ~ThreadLocal() override
    {
        if (!m_detached)
            ThreadLocalManager::Instance().Remove(this);
    }
    ThreadLocal(const ThreadLocal&) = delete;
    ThreadLocal& operator=(const ThreadLocal&) = delete;

    T Get()
    {
        CCriticalLock lock(m_lock);
        auto it = m_values.find(GetCurrentThreadId());
        return it == m_values.end() ? T() : it->second;
    }
    void Set(const T& value)
    {
        CCriticalLock lock(m_lock);
        m_values[GetCurrentThreadId()] = value;
    }
    void ReleaseCurrent() override
    {
        CCriticalLock lock(m_lock);
        m_values.erase(GetCurrentThreadId());
    }
    void ReleaseAll() override
    {
        CCriticalLock lock(m_lock);
        m_values.clear();
    }
    void Detach() override { m_detached = true; }

private:
    CCriticalSection m_lock;
    std::map<DWORD, T> m_values;
    bool m_detached = false;
};

// The process-wide integer store; nothing in the plug-in reads or writes it yet.
ThreadLocal<int>& ProcessThreadLocalInt();

}}} // namespace Quorvel::Base::Thread
