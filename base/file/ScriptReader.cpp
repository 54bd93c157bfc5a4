#include "base/file/ScriptReader.h"

#include <new>

#include "base/file/File.h"
#include "base/file/FilePath.h"

namespace Quorvel { namespace Base { namespace File {

namespace {
bool IsLead(char c)
{
    return IsLeadByte(static_cast<unsigned char>(c));
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

CScriptReader::~CScriptReader()
{
    Release();
}

void CScriptReader::Release()
{
    delete[] m_buffer;
    m_buffer = nullptr;
    m_cursor = nullptr;
    m_size = 0;
    m_lineCount = 0;
}

void CScriptReader::ClearFlags()
{
    m_separateBySpace = m_separateByComma = m_squeezeSpaces = m_squeezeCommas = false;
}

bool CScriptReader::Open(const char* path)
{
    CFile file;
    if (file.Open(path) != 1)
        return false;
    int32_t size = file.GetSize();
    if (size < 0)
        return false;
    char* buffer = new (std::nothrow) char[static_cast<size_t>(size) + 1];
    if (!buffer)
        return false;
    // Only the bytes that really came count; a short read must not hand out whatever the
    // rest of the buffer happened to hold.
    uint32_t got = file.Read(buffer, 1, static_cast<uint32_t>(size));
    buffer[got] = '\n';
    Release();
    m_buffer = buffer;
    m_cursor = buffer;
    m_size = static_cast<int32_t>(got);
    return true;
}

// Step 2: one raw line, line feed not kept, carriage returns dropped. False once the input
// is exhausted. The extra line feed after the data keeps a trailing lead byte in bounds.
bool CScriptReader::GatherRawLine(std::string& raw)
{
    raw.clear();
    while (!IsExhausted()) {
        char c = *m_cursor++;
        if (IsLead(c)) {
            raw.push_back(c);
            if (!IsExhausted())
                raw.push_back(*m_cursor++);
        } else if (c == '\n') {
            return true;
        } else if (c != '\r') {
            raw.push_back(c);
        }
    }
    return !raw.empty();
}

std::string CScriptReader::CleanLine(const std::string& raw) const
{
    std::string line;
    line.reserve(raw.size());
    const size_t n = raw.size();
    for (size_t i = 0; i < n;) {
        char c = raw[i];
        if (IsLead(c)) {
            line.append(raw, i, 2);
            i += 2;
        } else if (IsBlank(c) && m_squeezeSpaces) {
            line.push_back(c);
            for (++i; i < n && IsBlank(raw[i]); ++i) {
            }
        } else if (c == ',' && m_squeezeCommas) {
            line.push_back(c);
            for (++i; i < n && raw[i] == ','; ++i) {
            }
        } else if (c == '/' && i + 1 < n && raw[i + 1] == '/') {
            break;
        } else {
            line.push_back(c);
            ++i;
        }
    }
    return line;
}

void CScriptReader::Split(const std::string& line, std::string* tokens, int count) const
{
    const size_t n = line.size();
    size_t pos = m_squeezeSpaces && n > 0 && line[0] == ' ' ? 1 : 0;
    const bool blankSeparates = m_separateBySpace && m_separateByComma;
    for (int t = 0; t < count && pos < n; ++t) {
        while (pos < n) {
            char c = line[pos];
            if (IsLead(c)) {
                tokens[t].append(line, pos, 2);
                pos += 2;
                continue;
            }
            ++pos;
            if ((c == ',' && m_separateByComma) || (IsBlank(c) && blankSeparates))
                break;
            tokens[t].push_back(c);
        }
    }
}

void CScriptReader::SplitLine(const std::string& line, std::string* tokens, int count) const
{
    if (tokens == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        tokens[i].clear();
    Split(CleanLine(line), tokens, count);
}

bool CScriptReader::ReadLine(std::string* tokens, int count)
{
    if (!tokens)
        count = 0;
    for (int i = 0; i < count; ++i)
        tokens[i].clear();
    if (!m_buffer)
        return false;
    std::string raw;
    for (;;) {
        if (!GatherRawLine(raw))
            return false;
        if (raw.empty())
            continue;
        std::string line = CleanLine(raw);
        if (line.empty())
            continue;
        Split(line, tokens, count);
        ++m_lineCount;
        return true;
    }
}

}}} // namespace Quorvel::Base::File
