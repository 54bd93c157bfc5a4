#include "sim/SimHtmlDocument.h"

#include <algorithm>
#include <cwctype>

using Quorvel::Base::Thread::CCriticalLock;

CSimHtmlElement::CSimHtmlElement(const std::wstring& tagName) : m_tagName(tagName)
{
    std::transform(m_tagName.begin(), m_tagName.end(), m_tagName.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
}

CSimHtmlElement& CSimHtmlElement::Append(std::unique_ptr<CSimHtmlElement> child)
{
    m_children.push_back(std::move(child));
    return *m_children.back();
}

void CSimHtmlElement::AppendText(const std::wstring& text)
{
    if (!m_texts.empty() && m_texts.back().first == m_children.size())
        m_texts.back().second += text;
    else
        m_texts.emplace_back(m_children.size(), text);
}

void CSimHtmlElement::CollectText(std::wstring& out) const
{
    size_t text = 0;
    for (size_t child = 0; child <= m_children.size(); ++child) {
        for (; text < m_texts.size() && m_texts[text].first == child; ++text)
            out += m_texts[text].second;
        if (child < m_children.size())
            m_children[child]->CollectText(out);
    }
}

std::wstring CSimHtmlElement::InnerText() const
{
    std::wstring all;
    CollectText(all);
    std::wstring text;
    bool space = false;
    for (wchar_t c : all) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
            space = !text.empty();
            continue;
        }
        if (space)
            text += L' ';
        space = false;
        text += c;
    }
    return text;
}

CSimHtmlElement* CSimHtmlElement::FindById(const std::wstring& id)
{
    if (!id.empty() && m_id == id)
        return this;
    for (auto& child : m_children)
        if (CSimHtmlElement* found = child->FindById(id))
            return found;
    return nullptr;
}

namespace {

class CSimHtmlNode : public IHtmlNode {
public:
    explicit CSimHtmlNode(CSimHtmlElement& element) : m_element(element) {}

    bool ChildCount(long& count) override
    {
        count = 0;
        if (m_element.failChildren)
            return false;
        count = static_cast<long>(m_element.ChildCount());
        return true;
    }
    bool ChildAt(long index, std::unique_ptr<IHtmlNode>& child) override
    {
        child.reset();
        if (m_element.failChildren)
            return false;
        if (index >= 0 && static_cast<size_t>(index) < m_element.ChildCount())
            child.reset(new CSimHtmlNode(m_element.Child(static_cast<size_t>(index))));
        return true;
    }
    bool IsAnchor() override { return m_element.IsAnchor(); }
    bool Href(std::wstring& href) override
    {
        if (!m_element.IsAnchor() || m_element.failHref)
            return false;
        href = m_element.Href();
        return true;
    }
    bool InnerText(std::wstring& text) override
    {
        if (m_element.failText)
            return false;
        text = m_element.InnerText();
        return true;
    }
    bool TagName(std::wstring& name) override
    {
        name = m_element.TagName();
        return true;
    }

private:
    CSimHtmlElement& m_element;
};

class CSimHtmlDocument : public IHtmlDocument {
public:
    explicit CSimHtmlDocument(CSimHtmlSource& source) : m_source(source) {}

    bool ReadyState(std::wstring& state) override { return m_source.NextReadyState(state); }
    std::unique_ptr<IHtmlNode> ElementById(const std::wstring& id) override
    {
        CSimHtmlElement* element = m_source.Page().FindById(id);
        return element != nullptr ? std::unique_ptr<IHtmlNode>(new CSimHtmlNode(*element)) : nullptr;
    }

private:
    CSimHtmlSource& m_source;
};

} // namespace

CSimHtmlSource::CSimHtmlSource(std::unique_ptr<CSimHtmlElement> page) : m_page(std::move(page))
{
    if (!m_page)
        m_page.reset(new CSimHtmlElement(L"#document"));
}

std::unique_ptr<IHtmlDocument> CSimHtmlSource::CreateDocument(const std::string& address)
{
    {
        CCriticalLock lock(m_lock);
        m_lastAddress = address;
    }
    if (m_createFails)
        return nullptr;
    ++m_created;
    return std::unique_ptr<IHtmlDocument>(new CSimHtmlDocument(*this));
}

bool CSimHtmlSource::NextReadyState(std::wstring& state)
{
    const int read = ++m_readyStateReads;
    m_polled.Set();
    if (m_readyStateFails)
        return false;
    state = m_loadingReads == kNeverComplete || read <= m_loadingReads ? L"loading" : L"complete";
    return true;
}

std::string CSimHtmlSource::LastAddress()
{
    CCriticalLock lock(m_lock);
    return m_lastAddress;
}

bool CSimHtmlSource::WaitUntilPolled(DWORD milliseconds)
{
    return m_polled.Wait(milliseconds) == WAIT_OBJECT_0;
}
