#pragma once
#include <list>
#include <vector>

#include "base/Win32.h"
#include "base/thread/CriticalSection.h"
#include "editor/WinMsgHook.h"

namespace Quorvel { namespace Base { namespace AppFrame {

// Offers window messages to its hooks in registration order. The hooks are borrowed: the
// list never deletes one. Every operation holds the list's lock throughout, calls into the
// hooks included; the lock is re-entrant, so a hook may dispatch on the same list again.
class CWinMsgHookList {
public:
    CWinMsgHookList() = default;
    CWinMsgHookList(const CWinMsgHookList&) = delete;
    CWinMsgHookList& operator=(const CWinMsgHookList&) = delete;

    virtual void Add(IWinMsgHook* hook);
    // Removes every entry of the hook, however often it was added.
    virtual void Remove(IWinMsgHook* hook);
    virtual void Clear();
    // Returns the first non-zero hook result. When no hook consumes the message and
    // callDefault is set, it goes to previous (if given) or to DefWindowProcA.
    virtual LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                             WNDPROC previous, bool callDefault);
    virtual ~CWinMsgHookList();

    // Number of live entries, null entries included.
    size_t Count();
    // The live hooks in order, for tools that look at what the list holds.
    std::vector<IWinMsgHook*> Hooks();

private:
    struct Entry {
        IWinMsgHook* hook;
        bool removed;
    };
    void Compact();

    std::list<Entry> m_entries;
    // While a walk is under way (possibly nested), removal only marks entries so that no
    // walk loses its place: closing the editor empties the list from inside a dispatch.
    int m_walks = 0;
    bool m_hasRemoved = false;
    Thread::CCriticalSection m_lock;
};

}}} // namespace Quorvel::Base::AppFrame
