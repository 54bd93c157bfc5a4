#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

#include "base/Win32.h"
#include "base/thread/CriticalSection.h"
#include "base/thread/Event.h"
#include "base/thread/FunctionCallback.h"

namespace Quorvel { namespace Base { namespace Thread {

class IThreadManager;

class IThread {
public:
    virtual void Run() = 0;
    virtual bool Start(int priority) = 0;
    virtual void Stop() = 0;
    virtual void RequestStop() = 0;
    virtual DWORD Suspend() = 0;
    virtual DWORD Resume() = 0;
    virtual bool IsRunning() const = 0;
    virtual int GetPriority() = 0;
    virtual bool SetPriority(int priority) = 0;
    virtual DWORD GetThreadId() const = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual ~IThread() = default;
};

// A worker thread. Subclasses override Run (or hand a callback) and loop on IsRunning
// with Sleep, which wakes at once when RequestStop runs. Destruction does not stop the
// thread: owners call Stop first.
class CThread : public IThread {
public:
    // The manager the thread registers with while it runs; null means the process-wide one.
    explicit CThread(IThreadManager* manager = nullptr);
    ~CThread() override;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    void Run() override {}
    bool Start(int priority = 0) override;
    void Stop() override;
    void RequestStop() override;
    DWORD Suspend() override;
    DWORD Resume() override;
    bool IsRunning() const override { return m_running; }
    int GetPriority() override;
    bool SetPriority(int priority) override;
    DWORD GetThreadId() const override { return m_threadId; }
    void Sleep(DWORD milliseconds) override;

    virtual void OnStopRequested() {}
    // Takes ownership of the callback.
    virtual bool StartWithCallback(Template::function_callback* callback, int priority = 0);
    virtual void SetCallback(Template::function_callback* callback);

protected:
    // The runtime's thread creation (_beginthreadex) unless a test puts a failing one in
    // its place.
    using BeginThread = uintptr_t (*)(void* security, unsigned stackSize,
                                      unsigned(__stdcall* proc)(void*), void* argument,
                                      unsigned flags, unsigned* id);
    void SetThreadCreation(BeginThread beginThread) { m_beginThread = beginThread; }

private:
    static unsigned __stdcall ThreadProc(void* argument);

    HANDLE m_thread = nullptr;
    std::atomic<DWORD> m_threadId{0xFFFFFFFF};
    std::atomic<bool> m_running{false};
    CEvent m_started;
    CEventManual m_wake;
    std::shared_ptr<Template::function_callback> m_callback;
    CCriticalSection m_lock;
    IThreadManager* m_manager;
    BeginThread m_beginThread;
};

}}} // namespace Quorvel::Base::Thread
