#include "sim/SimHtmlReader.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <vector>

#include "base/Win32.h"
#include "base/file/FileHead.h"
#include "base/text/CodePage.h"

namespace {

const uint32_t kMaxPageBytes = 1u << 20;
const size_t kMaxDepth = 64;

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsNameChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

bool IsAttributeChar(wchar_t c)
{
    return IsNameChar(c) || c == L'-' || c == L'_' || c == L':' || c == L'.';
}

std::wstring Upper(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

std::string Utf8(const std::wstring& text)
{
    std::string out;
    Quorvel::Base::Text::ToNarrow(CP_UTF8, text, out);
    return out;
}

// Decodes one character reference at text[at] == '&'; false (nothing used) when it is none.
bool DecodeReference(const std::wstring& text, size_t at, std::wstring& out, size_t& used)
{
    const size_t end = text.find(L';', at);
    if (end == std::wstring::npos || end - at > 10)
        return false;
    const std::wstring name = text.substr(at + 1, end - at - 1);
    static const struct {
        const wchar_t* name;
        wchar_t character;
    } kNamed[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    for (const auto& named : kNamed) {
        if (name == named.name) {
            out += named.character;
            used = end - at + 1;
            return true;
        }
    }
    if (name.size() < 2 || name[0] != L'#')
        return false;
    const bool hex = name[1] == L'x' || name[1] == L'X';
    const size_t first = hex ? 2 : 1;
    if (first >= name.size())
        return false;
    uint32_t value = 0;
    for (size_t i = first; i < name.size(); ++i) {
        const wchar_t c = name[i];
        uint32_t digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (hex && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (hex && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF)
            return false;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    if (value >= 0x10000) {
        value -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (value >> 10));
        out += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
    } else {
        out += static_cast<wchar_t>(value);
    }
    used = end - at + 1;
    return true;
}

std::wstring Decode(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        size_t used = 0;
        if (text[i] == L'&' && DecodeReference(text, i, out, used)) {
            i += used;
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

class CPageReader {
public:
    explicit CPageReader(const std::wstring& text) : m_text(text) {}

    std::unique_ptr<CSimHtmlElement> Read(std::string& error)
    {
        std::unique_ptr<CSimHtmlElement> document(new CSimHtmlElement(L"#document"));
        m_open.push_back(document.get());
        while (m_at < m_text.size()) {
            const bool ok = m_text[m_at] == L'<' ? Markup() : Text();
            if (!ok) {
                error = m_error;
                return nullptr;
            }
        }
        if (m_open.size() > 1) {
            Fail(m_text.size(), "<" + Utf8(m_open.back()->TagName()) + "> is not closed");
            error = m_error;
            return nullptr;
        }
        return document;
    }

private:
    bool Fail(size_t at, const std::string& what)
    {
        const size_t line = 1 + std::count(m_text.begin(), m_text.begin() + std::min(at, m_text.size()), L'\n');
        m_error = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    bool StartsWith(const wchar_t* prefix) const { return m_text.compare(m_at, wcslen(prefix), prefix) == 0; }

    void SkipSpaces()
    {
        while (m_at < m_text.size() && IsSpace(m_text[m_at]))
            ++m_at;
    }

    std::wstring Name(bool (*allowed)(wchar_t))
    {
        const size_t first = m_at;
        while (m_at < m_text.size() && allowed(m_text[m_at]))
            ++m_at;
        return m_text.substr(first, m_at - first);
    }

    bool Text()
    {
        const size_t end = std::min(m_text.find(L'<', m_at), m_text.size());
        m_open.back()->AppendText(Decode(m_text.substr(m_at, end - m_at)));
        m_at = end;
        return true;
    }

    bool Markup()
    {
        const size_t start = m_at;
        if (StartsWith(L"<!--")) {
            const size_t end = m_text.find(L"-->", m_at + 4);
            if (end == std::wstring::npos)
                return Fail(start, "comment is not closed");
            m_at = end + 3;
            return true;
        }
        if (StartsWith(L"<!")) {
            const size_t end = m_text.find(L'>', m_at);
            if (end == std::wstring::npos)
                return Fail(start, "declaration is not closed");
            m_at = end + 1;
            return true;
        }
        if (StartsWith(L"</"))
            return CloseTag(start);
        return OpenTag(start);
    }

    bool CloseTag(size_t start)
    {
        m_at += 2;
        const std::wstring name = Upper(Name(IsNameChar));
        SkipSpaces();
        if (name.empty() || m_at >= m_text.size() || m_text[m_at] != L'>')
            return Fail(start, "malformed end tag");
        ++m_at;
        if (m_open.size() == 1)
            return Fail(start, "</" + Utf8(name) + "> closes no element");
        if (m_open.back()->TagName() != name)
            return Fail(start, "</" + Utf8(name) + "> closes <" + Utf8(m_open.back()->TagName()) + ">");
        m_open.pop_back();
        return true;
    }

    bool OpenTag(size_t start)
    {
        ++m_at;
        const std::wstring name = Name(IsNameChar);
        if (name.empty() || !std::iswalpha(name[0]))
            return Fail(start, "a tag name must follow <");
        if (m_open.size() > kMaxDepth)
            return Fail(start, "elements nest deeper than " + std::to_string(kMaxDepth));
        std::unique_ptr<CSimHtmlElement> element(new CSimHtmlElement(name));
        for (;;) {
            SkipSpaces();
            if (m_at >= m_text.size())
                return Fail(start, "tag is not closed");
            if (m_text[m_at] == L'>') {
                ++m_at;
                m_open.push_back(&m_open.back()->Append(std::move(element)));
                return true;
            }
            if (StartsWith(L"/>")) {
                m_at += 2;
                m_open.back()->Append(std::move(element));
                return true;
            }
            if (!Attribute(start, *element))
                return false;
        }
    }

    bool Attribute(size_t start, CSimHtmlElement& element)
    {
        const std::wstring name = Upper(Name(IsAttributeChar));
        if (name.empty())
            return Fail(start, "malformed attribute");
        SkipSpaces();
        std::wstring value;
        if (m_at < m_text.size() && m_text[m_at] == L'=') {
            ++m_at;
            SkipSpaces();
            if (m_at >= m_text.size() || (m_text[m_at] != L'"' && m_text[m_at] != L'\''))
                return Fail(start, "attribute value must be quoted");
            const size_t end = m_text.find(m_text[m_at], m_at + 1);
            if (end == std::wstring::npos)
                return Fail(start, "attribute value is not closed");
            value = Decode(m_text.substr(m_at + 1, end - m_at - 1));
            m_at = end + 1;
        }
        if (name == L"ID")
            element.SetId(value);
        else if (name == L"HREF")
            element.SetHref(value);
        return true;
    }

    const std::wstring& m_text;
    size_t m_at = 0;
    std::vector<CSimHtmlElement*> m_open;
    std::string m_error;
};

} // namespace

std::unique_ptr<CSimHtmlElement> ReadSimHtml(const std::string& text, std::string& error)
{
    if (text.size() > kMaxPageBytes) {
        error = "the page is larger than 1 MiB";
        return nullptr;
    }
    const size_t skip = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::wstring wide;
    if (!Quorvel::Base::Text::ToWide(CP_UTF8, text.substr(skip), wide, true)) {
        error = "the page is not UTF-8 text";
        return nullptr;
    }
    return CPageReader(wide).Read(error);
}

std::unique_ptr<CSimHtmlElement> ReadSimHtmlFile(const std::string& path, std::string& error)
{
    std::string bytes;
    bool whole = false;
    if (!Quorvel::Base::File::ReadFileHead(path.c_str(), kMaxPageBytes, bytes, whole)) {
        error = path + ": cannot be read";
        return nullptr;
    }
    if (!whole) {
        error = path + ": the page is larger than 1 MiB";
        return nullptr;
    }
    std::unique_ptr<CSimHtmlElement> page = ReadSimHtml(bytes, error);
    if (!page)
        error = path + ": " + error;
    return page;
}
