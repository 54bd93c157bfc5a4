#include <gtest/gtest.h>

#include <string>

#include "sim/SimHtmlReader.h"

namespace {

// The page's elements as "TAG#id(children)" with anchors' links, for comparing whole trees.
std::wstring Shape(CSimHtmlElement& element)
{
    std::wstring shape = element.TagName();
    if (!element.Id().empty())
        shape += L"#" + element.Id();
    if (element.IsAnchor())
        shape += L"[" + element.Href() + L"]";
    if (element.ChildCount() > 0) {
        shape += L"(";
        for (size_t i = 0; i < element.ChildCount(); ++i)
            shape += (i > 0 ? L" " : L"") + Shape(element.Child(i));
        shape += L")";
    }
    return shape;
}

} // namespace

TEST(SimHtmlReader, ReadsOurSubsetOfHtml)
{
    const struct {
        const char* name;
        const char* text;
        const wchar_t* shape;
        const wchar_t* innerText;
    } cases[] = {
        {"empty", "", L"#DOCUMENT", L""},
        {"nesting, case and bare names",
         "<!DOCTYPE html><Div ID=\"t\" hidden><UL><li><A href='x'>One</a></LI><li/></ul></DIV>",
         L"#DOCUMENT(DIV#t(UL(LI(A[x]) LI)))", L"One"},
        {"comments, references and white space",
         "<p>  a &amp; b &lt;c&gt; <!-- <b>not</b> --> &#65;&#x42; &unknown; &#xD800; \n\t d </p>", L"#DOCUMENT(P)",
         L"a & b <c> AB &unknown; &#xD800; d"},
        {"text around children", "<p>x<b>y</b>z<i>w</i></p>", L"#DOCUMENT(P(B I))", L"xyzw"},
        {"attribute references", "<a href=\"?a=1&amp;b=&quot;2&quot;\">t</a>", L"#DOCUMENT(A[?a=1&b=\"2\"])", L"t"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<p>\xE6\x96\xB0</p>", L"#DOCUMENT(P)", L"\x65B0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        std::unique_ptr<CSimHtmlElement> page = ReadSimHtml(c.text, error);
        ASSERT_TRUE(page) << error;
        EXPECT_EQ(std::wstring(c.shape), Shape(*page));
        EXPECT_EQ(std::wstring(c.innerText), page->InnerText());
    }
}

TEST(SimHtmlReader, FaultsNameTheirLine)
{
    std::string deep;
    for (int i = 0; i < 65; ++i)
        deep += "<b>";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"<p>\n<b>\n</p>", "line 3: </P> closes <B>"},
        {"<p>\n</p></p>", "line 2: </P> closes no element"},
        {"<p>\n<b>x</b>", "line 2: <P> is not closed"},
        {"<p>\n<3>", "line 2: a tag name must follow <"},
        {"<p id=x>", "line 1: attribute value must be quoted"},
        {"\n<p id='x>", "line 2: attribute value is not closed"},
        {"<p\n", "line 1: tag is not closed"},
        {"<p>\n<!-- open", "line 2: comment is not closed"},
        {"<p>\n</ p>", "line 2: malformed end tag"},
        {"<p =''>", "line 1: malformed attribute"},
        {deep, "line 1: elements nest deeper than 64"},
        {"<p>\xC3\x28</p>", "the page is not UTF-8 text"},
        {std::string(1 << 20, ' ') + " ", "the page is larger than 1 MiB"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ReadSimHtml(c.text, error)) << c.error;
        EXPECT_EQ(c.error, error);
    }
    std::string error;
    EXPECT_FALSE(ReadSimHtmlFile("no\\such\\page.html", error));
    EXPECT_EQ("no\\such\\page.html: cannot be read", error);
}
