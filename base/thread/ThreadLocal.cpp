#include "base/thread/ThreadLocal.h"

#include <algorithm>

namespace Quorvel { namespace Base { namespace Thread {

ThreadLocalManager& ThreadLocalManager::Instance()
{
    static ThreadLocalManager manager;
    return manager;
}

ThreadLocalManager::~ThreadLocalManager()
{
    CCriticalLock lock(m_lock);
    for (ThreadLocalBase* store : m_stores)
        store->Detach();
    m_stores.clear();
}

void ThreadLocalManager::Add(ThreadLocalBase* store)
{
    CCriticalLock lock(m_lock);
    m_stores.push_back(store);
}

void ThreadLocalManager::Remove(ThreadLocalBase* store)
{
    CCriticalLock lock(m_lock);
    m_stores.erase(std::remove(m_stores.begin(), m_stores.end(), store), m_stores.end());
}

ThreadLocal<int>& ProcessThreadLocalInt()
{
    static ThreadLocal<int> store;
    return store;
}

}}} // namespace Quorvel::Base::Thread
