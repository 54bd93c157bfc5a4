#pragma once
#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Win32.h"
#include "base/thread/CriticalSection.h"
#include "base/thread/Event.h"
#include "ticker/HtmlDocument.h"

// One element of a page built in memory: a tag name (kept in capitals, as the HTML document
// component reports it), the id and href attributes, its text and its child elements in
// order. Faults can be set per element, as a page loaded over the network may fail any call.
class CSimHtmlElement {
public:
    explicit CSimHtmlElement(const std::wstring& tagName);
    CSimHtmlElement(const CSimHtmlElement&) = delete;
    CSimHtmlElement& operator=(const CSimHtmlElement&) = delete;

    // Returns the element appended.
    CSimHtmlElement& Append(std::unique_ptr<CSimHtmlElement> child);
    // Text that follows the children appended so far.
    void AppendText(const std::wstring& text);

    const std::wstring& TagName() const { return m_tagName; }
    bool IsAnchor() const { return m_tagName == L"A"; }
    const std::wstring& Id() const { return m_id; }
    void SetId(const std::wstring& id) { m_id = id; }
    const std::wstring& Href() const { return m_href; }
    void SetHref(const std::wstring& href) { m_href = href; }
    size_t ChildCount() const { return m_children.size(); }
    CSimHtmlElement& Child(size_t index) { return *m_children[index]; }
    // All text inside, in document order, with each run of white space made one space and
    // none at either end.
    std::wstring InnerText() const;
    // This element or the first below it, in document order, with the id; null when none.
    CSimHtmlElement* FindById(const std::wstring& id);

    // Faults: the children collection can't be had; the href or the text can't be read.
    bool failChildren = false;
    bool failHref = false;
    bool failText = false;

private:
    void CollectText(std::wstring& out) const;

    std::wstring m_tagName;
    std::wstring m_id;
    std::wstring m_href;
    std::vector<std::unique_ptr<CSimHtmlElement>> m_children;
    // Each run of text with the number of children that came before it.
    std::vector<std::pair<size_t, std::wstring>> m_texts;
};

// Hands the news parser a page built in memory instead of one loaded over the network, and
// tells how it was used. The page belongs to the source, which must outlive every fetch
// that uses it. Configured before the fetch starts; the counters may be read at any time.
class CSimHtmlSource : public IHtmlDocumentSource {
public:
    static const int kNeverComplete = -1;

    explicit CSimHtmlSource(std::unique_ptr<CSimHtmlElement> page);
    CSimHtmlSource(const CSimHtmlSource&) = delete;
    CSimHtmlSource& operator=(const CSimHtmlSource&) = delete;

    std::unique_ptr<IHtmlDocument> CreateDocument(const std::string& address) override;

    CSimHtmlElement& Page() { return *m_page; }
    // How loading goes: the state reads "loading" this many times before "complete"
    // (kNeverComplete: forever); no document can be made; the state can't be read.
    void SetLoadingReads(int reads) { m_loadingReads = reads; }
    void SetCreateFails(bool fails) { m_createFails = fails; }
    void SetReadyStateFails(bool fails) { m_readyStateFails = fails; }

    int DocumentsCreated() const { return m_created; }
    int ReadyStateReads() const { return m_readyStateReads; }
    std::string LastAddress();
    // Waits until the state has been read at least once; false when that took longer.
    bool WaitUntilPolled(DWORD milliseconds);
    // What the next reading of a document's state gives, counted.
    bool NextReadyState(std::wstring& state);

private:
    std::unique_ptr<CSimHtmlElement> m_page;
    int m_loadingReads = 0;
    bool m_createFails = false;
    bool m_readyStateFails = false;
    std::atomic<int> m_created{0};
    std::atomic<int> m_readyStateReads{0};
    Quorvel::Base::Thread::CEventManual m_polled;
    Quorvel::Base::Thread::CCriticalSection m_lock;
    std::string m_lastAddress;
};
