#include "base/thread/Event.h"

namespace Quorvel { namespace Base { namespace Thread {

CEvent::CEvent()
{
    CEvent::Create();
}

CEvent::~CEvent()
{
    Close();
}

void CEvent::Set()
{
    CCriticalLock lock(m_guard);
    if (m_handle)
        SetEvent(m_handle);
    m_mirror = true;
}

void CEvent::Reset()
{
    CCriticalLock lock(m_guard);
    if (m_handle)
        ResetEvent(m_handle);
    m_mirror = false;
}

DWORD CEvent::Wait(DWORD milliseconds)
{
    if (!m_handle)
        return WAIT_FAILED;
    return WaitForSingleObject(m_handle, milliseconds);
}

bool CEvent::IsSet()
{
    CCriticalLock lock(m_guard);
    return m_mirror;
}

bool CEvent::Create()
{
    return CreateKind(false);
}

bool CEvent::CreateKind(bool manualReset)
{
    Close();
    m_handle = CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    return m_handle != nullptr;
}

void CEvent::Close()
{
    if (m_handle) {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}

CEventManual::CEventManual() : CEvent(NoCreate{})
{
    CEventManual::Create();
}

bool CEventManual::Create()
{
    return CreateKind(true);
}

}}} // namespace Quorvel::Base::Thread
