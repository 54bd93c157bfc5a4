#pragma once
#include "base/Win32.h"
#include "base/thread/CriticalSection.h"

namespace Quorvel { namespace Base { namespace Thread {

class IEvent {
public:
    virtual void Set() = 0;
    virtual void Reset() = 0;
    // The Win32 wait result: WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT otherwise.
    virtual DWORD Wait(DWORD milliseconds) = 0;
    virtual bool IsSet() = 0;
    virtual ~IEvent() = default;
    virtual HANDLE GetHandle() const = 0;
};

// An auto-reset event. IsSet reports the last Set or Reset, not the kernel object: a
// wait that consumed the signal leaves it true until Reset.
class CEvent : public IEvent {
public:
    CEvent();
    ~CEvent() override;
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set() override;
    void Reset() override;
    DWORD Wait(DWORD milliseconds) override;
    bool IsSet() override;
    HANDLE GetHandle() const override { return m_handle; }
    virtual bool Create();
    virtual void Close();

protected:
    struct NoCreate {};
    explicit CEvent(NoCreate) {}
    bool CreateKind(bool manualReset);

private:
    HANDLE m_handle = nullptr;
    bool m_mirror = false;
    CCriticalSection m_guard;
};

class CEventManual : public CEvent {
public:
    CEventManual();
    bool Create() override;
};

}}} // namespace Quorvel::Base::Thread
