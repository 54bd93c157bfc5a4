#include "base/file/FindFile.h"

#include <cstring>

#include "base/file/FilePath.h"

namespace Quorvel { namespace Base { namespace File {

namespace {
const char kLongPathPrefix[] = "\\\\?\\";
}

bool CFindFile::Find(const char* path)
{
    Close();
    if (!path || !*path)
        return false;
    // The long form "\\?\" hands the rest of the path to the file system unparsed: that '?'
    // asks for no pattern.
    const char* p = path;
    if (std::strncmp(p, kLongPathPrefix, sizeof(kLongPathPrefix) - 1) == 0)
        p += sizeof(kLongPathPrefix) - 1;
    for (; *p; ++p) {
        if (IsLeadByte(static_cast<unsigned char>(*p))) {
            if (!*++p)
                break;
        } else if (*p == '*' || *p == '?') {
            return false;
        }
    }
    WIN32_FIND_DATAA data;
    m_find = FindFirstFileA(path, &data);
    return m_find != INVALID_HANDLE_VALUE;
}

void CFindFile::Close()
{
    if (m_find != INVALID_HANDLE_VALUE) {
        FindClose(m_find);
        m_find = INVALID_HANDLE_VALUE;
    }
}

bool CFindFile::Exists(const char* path)
{
    CFindFile find;
    return find.Find(path);
}

}}} // namespace Quorvel::Base::File
