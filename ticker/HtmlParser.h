#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "base/thread/CriticalSection.h"
#include "base/thread/Thread.h"
#include "ticker/HtmlDocument.h"

// Where the news page address is written beside the module, and the page asked for when
// that file says nothing usable.
constexpr char kNewsAddressFile[] = "\\cfg\\news.txt";
constexpr char kDefaultNewsAddress[] = "https://www.tervane.example/news/ticker.html";

// The news ticker's fetch thread: loads the news page once, picks out the headlines below
// the element "ticker" with their links, and posts WM_PLUGIN_TICKER to the target window
// when it has them. A page that can't be had posts nothing. The window sets the target
// (and the address) and calls StartParser once; it reads the lists after the message came.
class CHtmlParser : public Quorvel::Base::Thread::CThread {
public:
    CHtmlParser();
    // Asks the fetch to stop and joins it: a page still loading is given up at once.
    ~CHtmlParser() override;

    // These are set before StartParser.
    void SetTargetWindow(HWND window) { m_target = window; }
    void SetAddress(const std::string& address) { m_address = address; }
    // Borrowed and used on the parser's thread; null is the system's HTML document component.
    void SetDocumentSource(IHtmlDocumentSource* source) { m_source = source; }
    // How long the page may take to become complete; INFINITE waits only for a stop request.
    void SetWaitLimit(DWORD milliseconds) { m_waitLimit = milliseconds; }

    // Starts the fetch at the default priority; false when the thread can't be made.
    virtual bool StartParser();
    // Dispatches the calling thread's messages until the fetch is over.
    virtual void WaitWhileBusy();
    virtual bool IsBusy();
    virtual void PumpMessages();
    void Run() override;

    // Append copies: the headlines' links, and their titles in the same order, so that
    // link k and title k come from the same anchor.
    void GetLinks(std::vector<std::string>& links);
    void GetTitles(std::vector<std::string>& titles);
    // Whether a walk has completed.
    bool IsDone() const { return m_done; }
    // The walk over a page that is complete, on the caller's thread: the fetch's last step,
    // and what a program that reads many pages in memory calls.
    bool TakeHeadlines(IHtmlDocument& document);

private:
    bool Fetch(IHtmlDocumentSource& source);
    bool WaitUntilComplete(IHtmlDocument& document);
    bool WalkFrom(IHtmlNode& node, size_t depth);
    void TakeHeadline(IHtmlNode& node);

    HWND m_target = nullptr;
    std::atomic<bool> m_done{false};
    std::vector<std::string> m_links;
    std::vector<std::string> m_titles;
    // Held while the lists are written and read.
    Quorvel::Base::Thread::CCriticalSection m_lock;
    std::string m_address = kDefaultNewsAddress;
    IHtmlDocumentSource* m_source = nullptr;
    DWORD m_waitLimit;
};
