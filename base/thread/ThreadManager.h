#pragma once
#include <vector>

#include "base/thread/CriticalSection.h"
#include "base/thread/Event.h"

namespace Quorvel { namespace Base { namespace Thread {

class IThread;

class IThreadManager {
public:
    virtual bool StopAll() = 0;
    virtual void WaitAll() = 0;
    virtual void Register(IThread* thread) = 0;
    virtual void Unregister(IThread* thread) = 0;
    virtual ~IThreadManager() = default;
};

// The registry of running threads. Threads register themselves from their own procedure;
// StopAll asks every one but the caller to stop and waits until they have left.
class CThreadManager : public IThreadManager {
public:
    bool StopAll() override;
    void WaitAll() override;
    void Register(IThread* thread) override;
    void Unregister(IThread* thread) override;

    size_t Count();

private:
    bool OnlyCallerLeft() const;

    std::vector<IThread*> m_threads;
    CEvent m_changedForStop;
    CEvent m_changedForWait;
    CCriticalSection m_listLock;
    CCriticalSection m_stateLock;
    bool m_shuttingDown = false;
};

// The process-wide manager: made on first use, destroyed at process exit.
IThreadManager* GetThreadManager();

}}} // namespace Quorvel::Base::Thread
