#include "base/thread/CriticalSection.h"

namespace Quorvel { namespace Base { namespace Thread {

CCriticalSection::CCriticalSection()
{
    InitializeCriticalSection(&m_section);
}

CCriticalSection::~CCriticalSection()
{
    while (m_count > 0) {
        --m_count;
        LeaveCriticalSection(&m_section);
    }
    DeleteCriticalSection(&m_section);
}

void CCriticalSection::Lock()
{
    EnterCriticalSection(&m_section);
    ++m_count;
}

void CCriticalSection::Unlock()
{
    if (m_count == 0)
        return;
    --m_count;
    LeaveCriticalSection(&m_section);
}

CCriticalLock::CCriticalLock(ICriticalSection* target) : m_target(target)
{
    Lock();
}

CCriticalLock::~CCriticalLock()
{
    while (m_count > 0)
        Unlock();
}

void CCriticalLock::Lock()
{
    if (m_target)
        m_target->Lock();
    ++m_count;
}

void CCriticalLock::Unlock()
{
    if (m_count == 0)
        return;
    --m_count;
    if (m_target)
        m_target->Unlock();
}

}}} // namespace Quorvel::Base::Thread
