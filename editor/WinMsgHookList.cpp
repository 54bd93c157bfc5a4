#include "editor/WinMsgHookList.h"

namespace Quorvel { namespace Base { namespace AppFrame {

using Thread::CCriticalLock;

void CWinMsgHookList::Add(IWinMsgHook* hook)
{
    CCriticalLock lock(&m_lock);
    m_entries.push_back(Entry{hook, false});
}

void CWinMsgHookList::Remove(IWinMsgHook* hook)
{
    CCriticalLock lock(&m_lock);
    for (Entry& entry : m_entries) {
        if (!entry.removed && entry.hook == hook) {
            entry.removed = true;
            m_hasRemoved = true;
        }
    }
    Compact();
}

void CWinMsgHookList::Clear()
{
    CCriticalLock lock(&m_lock);
    for (Entry& entry : m_entries)
        entry.removed = true;
    m_hasRemoved = !m_entries.empty();
    Compact();
}

void CWinMsgHookList::Compact()
{
    if (m_walks > 0 || !m_hasRemoved)
        return;
    m_entries.remove_if([](const Entry& entry) { return entry.removed; });
    m_hasRemoved = false;
}

size_t CWinMsgHookList::Count()
{
    CCriticalLock lock(&m_lock);
    size_t count = 0;
    for (const Entry& entry : m_entries)
        count += entry.removed ? 0 : 1;
    return count;
}

std::vector<IWinMsgHook*> CWinMsgHookList::Hooks()
{
    CCriticalLock lock(&m_lock);
    std::vector<IWinMsgHook*> hooks;
    for (const Entry& entry : m_entries)
        if (!entry.removed && entry.hook != nullptr)
            hooks.push_back(entry.hook);
    return hooks;
}

LRESULT CWinMsgHookList::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  WNDPROC previous, bool callDefault)
{
    {
        CCriticalLock lock(&m_lock);
        ++m_walks;
        LRESULT result = 0;
        // std::list keeps iterators valid across appends, and entries removed meanwhile are
        // only marked, so the walk survives hooks that change the list.
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->removed || it->hook == nullptr)
                continue;
            result = it->hook->HandleMessage(window, message, wParam, lParam);
            if (result != 0)
                break;
        }
        --m_walks;
        Compact();
        if (result != 0)
            return result;
    }
    if (!callDefault)
        return 0;
    if (previous != nullptr)
        return CallWindowProcA(previous, window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

CWinMsgHookList::~CWinMsgHookList()
{
    CCriticalLock lock(&m_lock);
    m_entries.clear();
}

}}} // namespace Quorvel::Base::AppFrame
