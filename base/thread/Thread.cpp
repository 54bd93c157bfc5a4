#include "base/thread/Thread.h"

#include <process.h>

#include "base/thread/ThreadManager.h"

namespace Quorvel { namespace Base { namespace Thread {

namespace {
const unsigned kStackSize = 0x100000;
}

CThread::CThread(IThreadManager* manager)
    : m_manager(manager ? manager : GetThreadManager()), m_beginThread(&_beginthreadex)
{
}

CThread::~CThread()
{
    if (m_thread)
        CloseHandle(m_thread);
}

bool CThread::Start(int priority)
{
    CCriticalLock lock(m_lock);
    Stop();
    m_started.Reset();
    m_wake.Reset();
    m_running = true;

    // The runtime's own thread creation, so the new thread gets its per-thread runtime state.
    unsigned id = 0;
    const unsigned flags = priority != 0 ? CREATE_SUSPENDED : 0;
    uintptr_t handle = m_beginThread(nullptr, kStackSize, &CThread::ThreadProc, this, flags, &id);
    if (handle == 0) {
        // No thread will ever clear the flag: a failed start must not read as running.
        m_running = false;
        m_threadId = 0;
        return false;
    }
    m_thread = reinterpret_cast<HANDLE>(handle);
    m_threadId = id;
    if (priority != 0) {
        SetPriority(priority);
        Resume();
    }
    // Return only once the thread has begun and registered with its manager.
    m_started.Wait(INFINITE);
    return true;
}

unsigned __stdcall CThread::ThreadProc(void* argument)
{
    CThread* self = static_cast<CThread*>(argument);
    // The body may ask for its own ID (Sleep, Stop) before Start has stored it.
    self->m_threadId = GetCurrentThreadId();
    // Start holds the object's lock until the started event, so the holder is stable here;
    // keeping a reference lets SetCallback replace it while this run still uses it.
    std::shared_ptr<Template::function_callback> callback = self->m_callback;
    IThreadManager* manager = self->m_manager;
    manager->Register(self);
    self->m_started.Set();
    if (callback)
        callback->invoke();
    else
        self->Run();
    self->RequestStop();
    // After this the owner may join and destroy the object: nothing below touches it.
    manager->Unregister(self);
    callback.reset();
    _endthreadex(0);
    return 0;
}

void CThread::RequestStop()
{
    m_running = false;
    m_wake.Set();
    OnStopRequested();
}

void CThread::Stop()
{
    CCriticalLock lock(m_lock);
    RequestStop();
    if (!m_thread || GetCurrentThreadId() == m_threadId)
        return;
    HANDLE thread = m_thread;
    m_thread = nullptr;
    m_threadId = 0xFFFFFFFF;
    // A joined body may call into this object (Stop from the body, priority calls).
    lock.Unlock();
    WaitForSingleObject(thread, INFINITE);
    lock.Lock();
    CloseHandle(thread);
}

DWORD CThread::Suspend()
{
    CCriticalLock lock(m_lock);
    return m_thread ? SuspendThread(m_thread) : 0;
}

DWORD CThread::Resume()
{
    CCriticalLock lock(m_lock);
    return m_thread ? ResumeThread(m_thread) : 0;
}

int CThread::GetPriority()
{
    CCriticalLock lock(m_lock);
    return m_thread ? GetThreadPriority(m_thread) : 0;
}

bool CThread::SetPriority(int priority)
{
    CCriticalLock lock(m_lock);
    return m_thread && SetThreadPriority(m_thread, priority);
}

void CThread::Sleep(DWORD milliseconds)
{
    if (milliseconds == 0 || GetCurrentThreadId() != m_threadId)
        return;
    m_wake.Wait(milliseconds);
}

bool CThread::StartWithCallback(Template::function_callback* callback, int priority)
{
    CCriticalLock lock(m_lock);
    SetCallback(callback);
    return Start(priority);
}

void CThread::SetCallback(Template::function_callback* callback)
{
    CCriticalLock lock(m_lock);
    m_callback.reset(callback);
}

}}} // namespace Quorvel::Base::Thread
