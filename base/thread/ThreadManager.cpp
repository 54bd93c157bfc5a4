#include "base/thread/ThreadManager.h"

#include <algorithm>

#include "base/thread/Thread.h"

namespace Quorvel { namespace Base { namespace Thread {

void CThreadManager::Register(IThread* thread)
{
    CCriticalLock lock(m_listLock);
    m_threads.push_back(thread);
    m_changedForStop.Set();
    m_changedForWait.Set();
}

void CThreadManager::Unregister(IThread* thread)
{
    CCriticalLock lock(m_listLock);
    auto it = std::find(m_threads.begin(), m_threads.end(), thread);
    if (it != m_threads.end())
        m_threads.erase(it);
    m_changedForStop.Set();
    m_changedForWait.Set();
}

size_t CThreadManager::Count()
{
    CCriticalLock lock(m_listLock);
    return m_threads.size();
}

bool CThreadManager::OnlyCallerLeft() const
{
    return m_threads.size() == 1 && m_threads.front()->GetThreadId() == GetCurrentThreadId();
}

bool CThreadManager::StopAll()
{
    {
        CCriticalLock state(m_stateLock);
        if (m_shuttingDown)
            return false;
        m_shuttingDown = true;
    }
    CCriticalLock lock(m_listLock);
    while (!m_threads.empty() && !OnlyCallerLeft()) {
        for (IThread* thread : m_threads)
            thread->RequestStop();
        lock.Unlock();
        m_changedForStop.Wait(INFINITE);
        lock.Lock();
    }
    return true;
}

void CThreadManager::WaitAll()
{
    CCriticalLock lock(m_listLock);
    while (!m_threads.empty()) {
        lock.Unlock();
        m_changedForWait.Wait(INFINITE);
        lock.Lock();
    }
}

IThreadManager* GetThreadManager()
{
    // A function-local static is built once under the runtime's own lock and destroyed at exit.
    static CThreadManager manager;
    return &manager;
}

}}} // namespace Quorvel::Base::Thread
