#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/WinMsgHookList.h"

using Quorvel::Base::AppFrame::CWinMsgHookList;
using Quorvel::Base::AppFrame::IWinMsgHook;

namespace {

// Appends its name to a shared log and answers with a fixed result.
class CLogHook : public IWinMsgHook {
public:
    CLogHook(std::string* log, char name, LRESULT result = 0) : m_log(log), m_name(name), m_result(result) {}
    LRESULT HandleMessage(HWND, UINT message, WPARAM, LPARAM) override
    {
        m_log->push_back(m_name);
        if (m_action)
            m_action(message);
        return m_result;
    }
    std::function<void(UINT)> m_action;

private:
    std::string* m_log;
    char m_name;
    LRESULT m_result;
};

int g_previousCalls = 0;
UINT g_previousMessage = 0;

LRESULT CALLBACK PreviousProc(HWND, UINT message, WPARAM, LPARAM)
{
    ++g_previousCalls;
    g_previousMessage = message;
    return 99;
}

TEST(WinMsgHookList, DispatchWalksUntilAHookConsumes)
{
    struct Case {
        const char* name;
        std::vector<std::pair<char, LRESULT>> hooks; // '-' adds a null entry
        bool callDefault;
        LRESULT expected;
        const char* expectedLog;
        int expectedPreviousCalls;
    };
    const Case cases[] = {
        {"empty, no default", {}, false, 0, "", 0},
        {"empty, default", {}, true, 99, "", 1},
        {"null entry skipped", {{'-', 0}, {'a', 0}}, false, 0, "a", 0},
        {"nobody consumes", {{'a', 0}, {'b', 0}}, true, 99, "ab", 1},
        {"7 ends the walk", {{'a', 0}, {'b', 7}, {'c', 0}}, true, 7, "ab", 0},
        {"negative consumes too", {{'a', -1}, {'b', 0}}, true, -1, "a", 0},
        {"no default after all", {{'a', 0}, {'b', 0}}, false, 0, "ab", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string log;
        std::vector<std::unique_ptr<CLogHook>> hooks;
        CWinMsgHookList list;
        for (const auto& entry : c.hooks) {
            if (entry.first == '-') {
                list.Add(nullptr);
                continue;
            }
            hooks.push_back(std::make_unique<CLogHook>(&log, entry.first, entry.second));
            list.Add(hooks.back().get());
        }
        g_previousCalls = 0;
        EXPECT_EQ(c.expected, list.Dispatch(nullptr, WM_APP + 5, 1, 2, PreviousProc, c.callDefault));
        EXPECT_EQ(c.expectedLog, log);
        EXPECT_EQ(c.expectedPreviousCalls, g_previousCalls);
        if (c.expectedPreviousCalls > 0) {
            EXPECT_EQ(WM_APP + 5u, g_previousMessage);
        }
    }
}

TEST(WinMsgHookList, WithoutPreviousProcedureTheDefaultIsDefWindowProc)
{
    HWND window = CreateWindowExA(0, "STATIC", "abc", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    CWinMsgHookList list;
    std::string log;
    CLogHook hook(&log, 'a');
    list.Add(&hook);
    EXPECT_EQ(3, list.Dispatch(window, WM_GETTEXTLENGTH, 0, 0, nullptr, true));
    EXPECT_EQ(0, list.Dispatch(window, WM_GETTEXTLENGTH, 0, 0, nullptr, false));
    EXPECT_EQ("aa", log);
    DestroyWindow(window);
}

TEST(WinMsgHookList, RemoveTakesEveryEntryOfTheHook)
{
    std::string log;
    CLogHook a(&log, 'a'), b(&log, 'b');
    CWinMsgHookList list;
    list.Add(&a);
    list.Add(&b);
    list.Add(&a);
    list.Dispatch(nullptr, WM_APP, 0, 0, nullptr, false);
    EXPECT_EQ("aba", log);
    list.Remove(&a);
    EXPECT_EQ(1u, list.Count());
    log.clear();
    list.Dispatch(nullptr, WM_APP, 0, 0, nullptr, false);
    EXPECT_EQ("b", log);
    list.Remove(&a);
    list.Clear();
    EXPECT_EQ(0u, list.Count());
}

TEST(WinMsgHookList, HooksMayDispatchAndChangeTheListWhileItWalks)
{
    std::string log;
    CLogHook a(&log, 'a'), b(&log, 'b'), c(&log, 'c'), late(&log, 'l');
    CWinMsgHookList list;
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);

    // A nested dispatch on the same thread reuses the held lock.
    a.m_action = [&](UINT message) {
        if (message == WM_APP)
            list.Dispatch(nullptr, WM_APP + 1, 0, 0, nullptr, false);
    };
    list.Dispatch(nullptr, WM_APP, 0, 0, nullptr, false);
    EXPECT_EQ("aabcbc", log);

    // A hook removed by an earlier one in the same walk is not called any more; one added
    // during the walk stays for the next.
    log.clear();
    a.m_action = [&](UINT) {
        list.Remove(&b);
        list.Add(&late);
    };
    list.Dispatch(nullptr, WM_APP, 0, 0, nullptr, false);
    EXPECT_EQ("acl", log);
    EXPECT_EQ(3u, list.Count());

    // Closing the editor empties the list from inside its own dispatch.
    log.clear();
    a.m_action = [&](UINT) { list.Clear(); };
    EXPECT_EQ(99, list.Dispatch(nullptr, WM_APP, 0, 0, PreviousProc, true));
    EXPECT_EQ("a", log);
    EXPECT_EQ(0u, list.Count());
}

} // namespace
