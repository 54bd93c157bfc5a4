#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "editor/WinMsgHook.h"
#include "sim/SimHtmlDocument.h"

class CHtmlParser;

namespace TestSupport {

// Links of our own for headlines.
constexpr char kLinkOne[] = "https://www.tervane.example/news/1.html";
constexpr char kLinkTwo[] = "https://www.tervane.example/news/2.html";
constexpr char kLinkThree[] = "https://www.tervane.example/news/3.html";

// A page of ours (UTF-8) whose element "ticker" holds one list item per entry of items at
// the depth the parser reads headlines from; each item is the markup of what the list
// item holds first, such as <a href='...'>Title</a>. The list has the id "headlines".
std::string TickerPage(const std::vector<std::string>& items);
// The markup of one headline anchor.
std::string Anchor(const std::string& link, const std::string& title);
// A source serving the page; fails the running test when the page can't be read.
std::unique_ptr<CSimHtmlSource> SourceFor(const std::string& page);

// A message-only window standing in for the editor window as the parser's target: it
// counts WM_PLUGIN_TICKER and hands each to a hook (the background object), with wParam
// replaced by the size mode, as the editor window does.
class CTickerTarget {
public:
    CTickerTarget();
    CTickerTarget(const CTickerTarget&) = delete;
    CTickerTarget& operator=(const CTickerTarget&) = delete;
    ~CTickerTarget();

    HWND Get() const { return m_window; }
    int Received() const { return m_received; }
    void ForwardTo(Quorvel::Base::AppFrame::IWinMsgHook* hook, WPARAM sizeMode)
    {
        m_hook = hook;
        m_sizeMode = sizeMode;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    int m_received = 0;
    Quorvel::Base::AppFrame::IWinMsgHook* m_hook = nullptr;
    WPARAM m_sizeMode = 0;
};

// One whole fetch against the source, to the end of the parser's thread; what it posted
// to the target has been dispatched when this returns.
void FetchFrom(CHtmlParser& parser, IHtmlDocumentSource& source, const CTickerTarget& target);

} // namespace TestSupport
