#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include <process.h>

#include "base/thread/CriticalSection.h"
#include "base/thread/Event.h"
#include "base/thread/Thread.h"
#include "base/thread/ThreadLocal.h"
#include "base/thread/ThreadManager.h"

using namespace Quorvel::Base::Thread;
using Quorvel::Base::Template::function_callback_vm0;

namespace {

// Generous bounds: they only separate "woke at once" from "waited the whole period".
const DWORD kLongSleep = 20000;
const DWORD kPatience = 10000;

// Runs fn on a plain Win32 thread and reports whether it finished within kPatience.
template <class Fn>
bool RunsToCompletion(Fn fn)
{
    struct Box {
        Fn fn;
        static DWORD WINAPI Proc(void* p)
        {
            static_cast<Box*>(p)->fn();
            return 0;
        }
    } box{fn};
    HANDLE h = CreateThread(nullptr, 0, &Box::Proc, &box, 0, nullptr);
    const bool done = WaitForSingleObject(h, kPatience) == WAIT_OBJECT_0;
    if (!done)
        TerminateThread(h, 1);
    CloseHandle(h);
    return done;
}

class Journal {
public:
    void Add(const std::string& entry)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.push_back(entry);
    }
    std::vector<std::string> Entries()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

// Loops until asked to stop, journaling each run's begin and end.
class LoopingThread : public CThread {
public:
    LoopingThread(Journal& journal, IThreadManager* manager = nullptr)
        : CThread(manager), m_journal(journal)
    {
    }
    void Run() override
    {
        const int run = ++m_runs;
        m_journal.Add("begin " + std::to_string(run));
        while (IsRunning())
            Sleep(kLongSleep);
        m_journal.Add("end " + std::to_string(run));
    }
    std::atomic<int> m_runs{0};

private:
    Journal& m_journal;
};

// Thread creation as it fails when the process is out of memory or address space.
uintptr_t FailingBeginThread(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*)
{
    errno = EAGAIN;
    return 0;
}

class DelayedRegisterManager : public CThreadManager {
public:
    void Register(IThread* thread) override
    {
        ::Sleep(100);
        CThreadManager::Register(thread);
    }
};

} // namespace

TEST(CriticalSection, UnbalancedUnlockIsIgnored)
{
    CCriticalSection cs;
    cs.Unlock();
    cs.Lock();
    cs.Unlock();
    cs.Unlock();
    EXPECT_TRUE(RunsToCompletion([&] {
        cs.Lock();
        cs.Unlock();
    }));
}

TEST(CriticalSection, LockObjectReleasesEveryOwnEntry)
{
    CCriticalSection cs;
    {
        CCriticalLock lock(cs);
        lock.Lock();
        lock.Unlock();
        lock.Unlock();
        lock.Unlock(); // at count 0: nothing
        lock.Lock();
        lock.Lock();
    }
    EXPECT_TRUE(RunsToCompletion([&] { CCriticalLock other(cs); }));

    CCriticalLock nullLock(nullptr);
    nullLock.Lock();
    nullLock.Unlock();
}

TEST(Event, MirrorSurvivesConsumedAutoResetWait)
{
    CEvent ev;
    EXPECT_FALSE(ev.IsSet());
    ev.Set();
    EXPECT_EQ(ev.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(ev.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT)) << "auto-reset: the wait consumed it";
    EXPECT_TRUE(ev.IsSet());
    ev.Reset();
    EXPECT_FALSE(ev.IsSet());
}

TEST(Event, ManualResetStaysSignalledAndCreateRenews)
{
    CEventManual ev;
    ev.Set();
    EXPECT_EQ(ev.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(ev.Wait(0), WAIT_OBJECT_0);
    HANDLE before = ev.GetHandle();
    ASSERT_TRUE(ev.Create());
    EXPECT_NE(ev.GetHandle(), nullptr);
    EXPECT_EQ(ev.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a new event starts non-signalled";
    (void)before;
    ev.Close();
    EXPECT_EQ(ev.GetHandle(), nullptr);
    EXPECT_EQ(ev.Wait(0), static_cast<DWORD>(WAIT_FAILED));
}

TEST(Thread, StartReturnsOnlyAfterRegistration)
{
    DelayedRegisterManager manager;
    Journal journal;
    LoopingThread t(journal, &manager);
    ASSERT_TRUE(t.Start(0));
    EXPECT_EQ(manager.Count(), 1u);
    EXPECT_TRUE(t.IsRunning());
    t.Stop();
    EXPECT_EQ(manager.Count(), 0u);
    EXPECT_FALSE(t.IsRunning());
}

TEST(Thread, RestartJoinsThePreviousRunFirst)
{
    CThreadManager manager;
    Journal journal;
    LoopingThread t(journal, &manager);
    ASSERT_TRUE(t.Start(0));
    const DWORD firstId = t.GetThreadId();
    ASSERT_TRUE(t.Start(0));
    EXPECT_NE(t.GetThreadId(), firstId);
    EXPECT_EQ(manager.Count(), 1u);
    t.Stop();
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"begin 1", "end 1", "begin 2", "end 2"}));
}

TEST(Thread, SleepWakesAtOnceOnRequestStop)
{
    CThreadManager manager;
    Journal journal;
    LoopingThread t(journal, &manager);
    ASSERT_TRUE(t.Start(0));
    const DWORD begin = GetTickCount();
    t.Stop();
    EXPECT_LT(GetTickCount() - begin, kPatience);
    EXPECT_EQ(t.m_runs.load(), 1);
}

TEST(Thread, SleepReturnsAtOnceOffItsThreadOrForZero)
{
    CThreadManager manager;
    Journal journal;
    LoopingThread t(journal, &manager);
    EXPECT_TRUE(RunsToCompletion([&] { t.Sleep(kLongSleep); })) << "no thread at all";
    ASSERT_TRUE(t.Start(0));
    EXPECT_TRUE(RunsToCompletion([&] { t.Sleep(kLongSleep); })) << "called from another thread";
    t.Stop();

    struct ZeroSleeper : CThread {
        using CThread::CThread;
        void Run() override
        {
            const DWORD begin = GetTickCount();
            for (int i = 0; i < 1000; ++i)
                Sleep(0);
            elapsed = GetTickCount() - begin;
        }
        DWORD elapsed = 0xFFFFFFFF;
    } zero(&manager);
    ASSERT_TRUE(zero.Start(0));
    zero.Stop();
    EXPECT_LT(zero.elapsed, kPatience);
}

// Later code waits on a thread that IsRunning reports; one that was never created must not be.
TEST(Thread, AFailedStartLeavesNothingRunning)
{
    CThreadManager manager;
    Journal journal;
    struct Unstartable : LoopingThread {
        using LoopingThread::LoopingThread;
        using CThread::SetThreadCreation;
    } t(journal, &manager);
    ASSERT_TRUE(t.Start(0));
    t.SetThreadCreation(&FailingBeginThread);
    for (int priority : {0, THREAD_PRIORITY_BELOW_NORMAL}) {
        EXPECT_FALSE(t.Start(priority)) << priority;
        EXPECT_FALSE(t.IsRunning()) << priority;
        EXPECT_EQ(t.GetThreadId(), 0u) << priority;
        EXPECT_EQ(manager.Count(), 0u) << priority;
        EXPECT_FALSE(t.SetPriority(THREAD_PRIORITY_HIGHEST)) << "no thread to act on";
    }
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"begin 1", "end 1"}))
        << "the earlier run was joined first";
    t.Stop();

    t.SetThreadCreation(&_beginthreadex);
    ASSERT_TRUE(t.Start(0));
    EXPECT_TRUE(t.IsRunning());
    t.Stop();
}

TEST(Thread, StopFromItsOwnBodyDoesNotJoin)
{
    CThreadManager manager;
    struct SelfStopper : CThread {
        using CThread::CThread;
        void Run() override
        {
            Stop();
            afterStop = true;
            stillRunning = IsRunning();
        }
        std::atomic<bool> afterStop{false};
        std::atomic<bool> stillRunning{true};
    } t(&manager);
    ASSERT_TRUE(t.Start(0));
    manager.WaitAll();
    EXPECT_TRUE(t.afterStop);
    EXPECT_FALSE(t.stillRunning);
    t.Stop(); // joins the ended thread and closes its handle
    EXPECT_EQ(t.GetThreadId(), 0xFFFFFFFFu);
}

TEST(Thread, CallbackRunsInsteadOfBodyAndPriorityApplies)
{
    CThreadManager manager;
    struct Target {
        void Work()
        {
            calls++;
            priority = GetThreadPriority(GetCurrentThread());
        }
        std::atomic<int> calls{0};
        std::atomic<int> priority{-100};
    } target;
    struct BodyCounter : CThread {
        using CThread::CThread;
        void Run() override { bodies++; }
        std::atomic<int> bodies{0};
    } t(&manager);

    ASSERT_TRUE(t.StartWithCallback(new function_callback_vm0<Target>(&target, &Target::Work),
                                    THREAD_PRIORITY_BELOW_NORMAL));
    t.Stop();
    EXPECT_EQ(target.calls.load(), 1);
    EXPECT_EQ(target.priority.load(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(t.bodies.load(), 0);

    t.SetCallback(nullptr);
    ASSERT_TRUE(t.Start(0));
    t.Stop();
    EXPECT_EQ(t.bodies.load(), 1);
}

TEST(Thread, ControlsWithoutAThreadReportNothing)
{
    CThreadManager manager;
    CThread t(&manager);
    EXPECT_EQ(t.Suspend(), 0u);
    EXPECT_EQ(t.Resume(), 0u);
    EXPECT_EQ(t.GetPriority(), 0);
    EXPECT_FALSE(t.SetPriority(THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(t.GetThreadId(), 0xFFFFFFFFu);
    t.Stop();
    EXPECT_FALSE(t.IsRunning());
}

TEST(ThreadManager, StopAllStopsEveryThreadAndOnlyOnce)
{
    CThreadManager manager;
    Journal journal;
    LoopingThread a(journal, &manager), b(journal, &manager);
    ASSERT_TRUE(a.Start(0));
    ASSERT_TRUE(b.Start(0));
    EXPECT_EQ(manager.Count(), 2u);
    EXPECT_TRUE(manager.StopAll());
    EXPECT_EQ(manager.Count(), 0u);
    EXPECT_FALSE(a.IsRunning());
    EXPECT_FALSE(b.IsRunning());
    EXPECT_FALSE(manager.StopAll());
    a.Stop();
    b.Stop();
    manager.WaitAll();
}

TEST(ThreadManager, StopAllFromTheLastThreadDoesNotWaitForItself)
{
    CThreadManager manager;
    struct Stopper : CThread {
        using CThread::CThread;
        void Run() override { result = static_cast<CThreadManager*>(manager)->StopAll() ? 1 : 0; }
        IThreadManager* manager = nullptr;
        std::atomic<int> result{-1};
    } t(&manager);
    t.manager = &manager;
    ASSERT_TRUE(t.Start(0));
    // Joining first would hide the thread's ID from the manager while it still runs.
    manager.WaitAll();
    t.Stop();
    EXPECT_EQ(t.result.load(), 1);
}

TEST(ThreadLocal, ValuesArePerThread)
{
    ThreadLocal<int> store;
    store.Set(5);
    int seen = -1;
    EXPECT_TRUE(RunsToCompletion([&] {
        seen = store.Get();
        store.Set(9);
    }));
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(store.Get(), 5);
    store.ReleaseCurrent();
    EXPECT_EQ(store.Get(), 0);
    store.Set(3);
    store.ReleaseAll();
    EXPECT_EQ(store.Get(), 0);
}
