#pragma once
#include <memory>
#include <string>

// What the headline walk needs of a loaded page, so that it reads the same against the
// system's HTML document component and against a page built in memory. Every call may fail,
// as the COM calls behind it may. Objects are used on the parser's thread only.

// One element of a page.
class IHtmlNode {
public:
    virtual ~IHtmlNode() = default;
    // Number of child elements; false when the children collection can't be had.
    virtual bool ChildCount(long& count) = 0;
    // The child element at a zero-based place: false when the children collection can't be
    // had, true with no child when nothing (or no element) is there.
    virtual bool ChildAt(long index, std::unique_ptr<IHtmlNode>& child) = 0;
    virtual bool IsAnchor() = 0;
    virtual bool Href(std::wstring& href) = 0;
    virtual bool InnerText(std::wstring& text) = 0;
    virtual bool TagName(std::wstring& name) = 0;
};

// One page being loaded.
class IHtmlDocument {
public:
    virtual ~IHtmlDocument() = default;
    // The page's loading state ("loading", "interactive", "complete"); false when it can't be read.
    virtual bool ReadyState(std::wstring& state) = 0;
    // Null when no element has the id or the lookup fails.
    virtual std::unique_ptr<IHtmlNode> ElementById(const std::wstring& id) = 0;
};

// Makes the documents. CreateDocument is called on the parser's thread inside its COM
// apartment, and everything it returns is released there before the apartment is left.
class IHtmlDocumentSource {
public:
    // Starts loading the page at address; null when no document can be made.
    virtual std::unique_ptr<IHtmlDocument> CreateDocument(const std::string& address) = 0;

protected:
    // Sources are never deleted through this interface.
    ~IHtmlDocumentSource() = default;
};
