#include "ticker/MshtmlDocument.h"

#include <mshtml.h>

#include "base/text/CodePage.h"
#include "base/ComRef.h"

namespace {

// {25336920-03F9-11CF-8FD0-00AA00686F13}
const CLSID kClsidHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
static_assert(CLSCTX_ALL == 23, "every kind of server, as the document component has always been asked for");

bool TakeText(HRESULT result, const CBstr& text, std::wstring& out)
{
    if (FAILED(result))
        return false;
    out = text.Text();
    return true;
}

class CMshtmlNode : public IHtmlNode {
public:
    explicit CMshtmlNode(CComRef<IHTMLElement> element) : m_element(std::move(element)) {}

    bool ChildCount(long& count) override
    {
        count = 0;
        return Children() && SUCCEEDED(m_children->get_length(&count));
    }

    bool ChildAt(long index, std::unique_ptr<IHtmlNode>& child) override
    {
        child.reset();
        if (!Children())
            return false;
        VARIANT name;
        VariantInit(&name);
        name.vt = VT_I4;
        name.lVal = index;
        VARIANT place;
        VariantInit(&place);
        place.vt = VT_I4;
        place.lVal = 0;
        CComRef<IDispatch> item;
        // A failing item or a place holding no element leaves the place empty.
        if (FAILED(m_children->item(name, place, item.Out())) || !item)
            return true;
        CComRef<IHTMLElement> element;
        if (SUCCEEDED(item.QueryInto(element)) && element)
            child.reset(new CMshtmlNode(std::move(element)));
        return true;
    }

    bool IsAnchor() override
    {
        CComRef<IHTMLAnchorElement> anchor;
        return SUCCEEDED(m_element.QueryInto(anchor)) && anchor;
    }

    bool Href(std::wstring& href) override
    {
        CComRef<IHTMLAnchorElement> anchor;
        if (FAILED(m_element.QueryInto(anchor)) || !anchor)
            return false;
        CBstr text;
        return TakeText(anchor->get_href(text.Out()), text, href);
    }

    bool InnerText(std::wstring& out) override
    {
        CBstr text;
        return TakeText(m_element->get_innerText(text.Out()), text, out);
    }

    bool TagName(std::wstring& name) override
    {
        CBstr text;
        return TakeText(m_element->get_tagName(text.Out()), text, name);
    }

private:
    bool Children()
    {
        if (m_children)
            return true;
        CComRef<IDispatch> children;
        if (FAILED(m_element->get_children(children.Out())) || !children)
            return false;
        return SUCCEEDED(children.QueryInto(m_children)) && m_children;
    }

    CComRef<IHTMLElement> m_element;
    CComRef<IHTMLElementCollection> m_children;
};

class CMshtmlDocument : public IHtmlDocument {
public:
    CMshtmlDocument(CComRef<IHTMLDocument2> creator, CComRef<IHTMLDocument2> page)
        : m_creator(std::move(creator)), m_page(std::move(page))
    {
    }

    bool ReadyState(std::wstring& state) override
    {
        CBstr text;
        return TakeText(m_page->get_readyState(text.Out()), text, state);
    }

    std::unique_ptr<IHtmlNode> ElementById(const std::wstring& id) override
    {
        CComRef<IHTMLDocument3> document;
        if (FAILED(m_page.QueryInto(document)) || !document)
            return nullptr;
        const CBstr name(id);
        CComRef<IHTMLElement> element;
        if (name.Get() == nullptr || FAILED(document->getElementById(name.Get(), element.Out())) || !element)
            return nullptr;
        return std::unique_ptr<IHtmlNode>(new CMshtmlNode(std::move(element)));
    }

private:
    // The document that loads the page is kept for as long as the page is read.
    CComRef<IHTMLDocument2> m_creator;
    CComRef<IHTMLDocument2> m_page;
};

// Writes an empty page into a new document, which createDocumentFromUrl needs first.
bool Prime(IHTMLDocument2& document)
{
    SAFEARRAY* lines = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (lines == nullptr)
        return false;
    bool written = false;
    VARIANT* line = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(lines, reinterpret_cast<void**>(&line)))) {
        line->vt = VT_BSTR;
        line->bstrVal = SysAllocString(L"<html></html>");
        const bool allocated = line->bstrVal != nullptr;
        SafeArrayUnaccessData(lines);
        written = allocated && SUCCEEDED(document.write(lines));
    }
    // Destroying the array clears its variant and frees the string with it.
    SafeArrayDestroy(lines);
    return written && SUCCEEDED(document.close());
}

} // namespace

std::unique_ptr<IHtmlDocument> CMshtmlDocumentSource::CreateDocument(const std::string& address)
{
    CComRef<IUnknown> unknown;
    if (FAILED(CoCreateInstance(kClsidHtmlDocument, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid())) ||
        !unknown)
        return nullptr;
    if (FAILED(OleRun(unknown.Get())))
        return nullptr;
    CComRef<IHTMLDocument4> loader;
    CComRef<IHTMLDocument2> creator;
    if (FAILED(unknown.QueryInto(loader)) || !loader || FAILED(unknown.QueryInto(creator)) || !creator)
        return nullptr;
    if (!Prime(*creator.Get()))
        return nullptr;
    std::wstring wideAddress;
    if (!Quorvel::Base::Text::ToWide(CP_THREAD_ACP, address, wideAddress))
        return nullptr;
    const CBstr url(wideAddress);
    if (url.Get() == nullptr)
        return nullptr;
    CComRef<IHTMLDocument2> page;
    if (FAILED(loader->createDocumentFromUrl(url.Get(), nullptr, page.Out())) || !page)
        return nullptr;
    return std::unique_ptr<IHtmlDocument>(new CMshtmlDocument(std::move(creator), std::move(page)));
}

IHtmlDocumentSource& MshtmlDocumentSource()
{
    static CMshtmlDocumentSource source;
    return source;
}
