#include "ticker/HtmlParser.h"

#include <algorithm>
#include <iterator>

#include "base/Win32.h"
#include <objbase.h>

#include "base/file/FilePath.h"
#include "base/text/CodePage.h"
#include "editor/PluginMessages.h"
#include "ticker/MshtmlDocument.h"

using Quorvel::Base::Thread::CCriticalLock;

namespace {

const DWORD kPollMilliseconds = 100;
const DWORD kDefaultWaitLimit = 30000;
const DWORD kBusyPollMilliseconds = 16;
const wchar_t kTickerId[] = L"ticker";
// A page is another's to write: what it may put on the editor is bounded. Headlines past
// the first hundred are dropped, a title is cut after 256 bytes, and a link longer than an
// address can reasonably be is dropped (its headline is shown but does not open).
constexpr size_t kMostHeadlines = 100;
constexpr size_t kMostTitleBytes = 256;
constexpr size_t kMostLinkBytes = 2048;

// The first bytes of a Shift-JIS text, never half a character.
std::string CutAt(const std::string& text, size_t bytes)
{
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = end + (Quorvel::Base::File::IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
        if (next > bytes)
            break;
        end = next;
    }
    return text.substr(0, std::min(end, text.size()));
}

// Below the ticker element the headlines sit at a fixed depth: every child, every child,
// the first child twice, every child, and the first child of that is the headline.
enum WalkStep { kEveryChild, kFirstChild };
const WalkStep kHeadlinePath[] = {kEveryChild, kEveryChild, kFirstChild, kFirstChild, kEveryChild, kFirstChild};

// The thread's own single-threaded apartment, left when the fetch is over.
class CApartment {
public:
    CApartment() : m_entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    CApartment(const CApartment&) = delete;
    CApartment& operator=(const CApartment&) = delete;
    ~CApartment()
    {
        if (m_entered)
            CoUninitialize();
    }
    bool Entered() const { return m_entered; }

private:
    bool m_entered;
};

// Texts reach the editor in the thread's code page (Shift-JIS on the systems we serve).
std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    Quorvel::Base::Text::ToNarrow(CP_THREAD_ACP, text, narrow);
    return narrow;
}

void Trace(const wchar_t* what, const std::wstring& text)
{
    OutputDebugStringW((std::wstring(L"news ticker: ") + what + L" " + text + L"\n").c_str());
}

} // namespace

CHtmlParser::CHtmlParser() : m_waitLimit(kDefaultWaitLimit) {}

CHtmlParser::~CHtmlParser()
{
    Stop();
}

bool CHtmlParser::StartParser()
{
    return Start(0);
}

void CHtmlParser::WaitWhileBusy()
{
    while (IsBusy())
        ::Sleep(kBusyPollMilliseconds);
}

bool CHtmlParser::IsBusy()
{
    PumpMessages();
    return IsRunning();
}

void CHtmlParser::PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void CHtmlParser::Run()
{
    // Nothing may leave the thread procedure; a fetch that throws simply has no result.
    try {
        bool found = false;
        {
            const CApartment apartment;
            if (apartment.Entered())
                found = Fetch(m_source != nullptr ? *m_source : MshtmlDocumentSource());
        }
        if (found && m_target != nullptr)
            PostMessageW(m_target, WM_PLUGIN_TICKER, 0, 0);
    } catch (...) {
    }
}

bool CHtmlParser::Fetch(IHtmlDocumentSource& source)
{
    std::unique_ptr<IHtmlDocument> document = source.CreateDocument(m_address);
    return document && WaitUntilComplete(*document) && TakeHeadlines(*document);
}

bool CHtmlParser::TakeHeadlines(IHtmlDocument& document)
{
    std::unique_ptr<IHtmlNode> ticker = document.ElementById(kTickerId);
    if (!ticker)
        return false;
    CCriticalLock lock(m_lock);
    if (!WalkFrom(*ticker, 0))
        return false;
    m_done = true;
    return true;
}

bool CHtmlParser::WaitUntilComplete(IHtmlDocument& document)
{
    const ULONGLONG begin = GetTickCount64();
    for (;;) {
        // The page loads through this thread's window messages.
        PumpMessages();
        // Wakes at once when the thread is asked to stop.
        Sleep(kPollMilliseconds);
        if (!IsRunning())
            return false;
        std::wstring state;
        if (!document.ReadyState(state))
            return false;
        if (state == L"complete")
            return true;
        if (m_waitLimit != INFINITE && GetTickCount64() - begin >= m_waitLimit)
            return false;
    }
}

bool CHtmlParser::WalkFrom(IHtmlNode& node, size_t depth)
{
    if (depth == std::size(kHeadlinePath)) {
        TakeHeadline(node);
        return true;
    }
    long count = 1;
    if (kHeadlinePath[depth] == kEveryChild && !node.ChildCount(count))
        return false;
    for (long k = 0; k < count && m_links.size() < kMostHeadlines; ++k) {
        if (!IsRunning())
            return false;
        std::unique_ptr<IHtmlNode> child;
        if (!node.ChildAt(k, child))
            return false;
        if (!child)
            continue;
        std::wstring tag;
        if (child->TagName(tag))
            Trace(L"element", tag);
        if (!WalkFrom(*child, depth + 1))
            return false;
    }
    return true;
}

void CHtmlParser::TakeHeadline(IHtmlNode& node)
{
    // Only an anchor is a headline: its own text goes with its own link.
    std::wstring link, title;
    if (!node.IsAnchor() || !node.Href(link) || !node.InnerText(title))
        return;
    if (m_links.size() >= kMostHeadlines)
        return;
    Trace(L"link", link);
    Trace(L"title", title);
    std::string narrowLink = Narrow(link);
    if (narrowLink.size() > kMostLinkBytes)
        narrowLink.clear();
    m_links.push_back(std::move(narrowLink));
    m_titles.push_back(CutAt(Narrow(title), kMostTitleBytes));
}

void CHtmlParser::GetLinks(std::vector<std::string>& links)
{
    CCriticalLock lock(m_lock);
    links.insert(links.end(), m_links.begin(), m_links.end());
}

void CHtmlParser::GetTitles(std::vector<std::string>& titles)
{
    CCriticalLock lock(m_lock);
    titles.insert(titles.end(), m_titles.begin(), m_titles.end());
}
