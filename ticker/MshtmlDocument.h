#pragma once
#include "ticker/HtmlDocument.h"

// The system's HTML document component over COM: a document is created, primed with an
// empty page, and asked to load the address into a second document, which is the one read.
// Any failing call gives no document, so a system without the component (our Wine) takes
// the same quiet path as an unreachable page.
class CMshtmlDocumentSource : public IHtmlDocumentSource {
public:
    std::unique_ptr<IHtmlDocument> CreateDocument(const std::string& address) override;
};

// The process-wide binding the news parser uses unless given another source.
IHtmlDocumentSource& MshtmlDocumentSource();
