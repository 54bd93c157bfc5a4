#pragma once
#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace File {

// Existence test through FindFirstFileA. Owns the find handle it opens, so a search
// that returns early never leaks it.
class CFindFile {
public:
    CFindFile() = default;
    ~CFindFile() { Close(); }
    CFindFile(const CFindFile&) = delete;
    CFindFile& operator=(const CFindFile&) = delete;

    // True when the path names an existing file or folder. Wildcards never match:
    // a path names one entry, not a pattern. The '?' of the "\\?\" prefix is no wildcard.
    bool Find(const char* path);
    void Close();

    // Convenience for the common one-shot question.
    static bool Exists(const char* path);

private:
    HANDLE m_find = INVALID_HANDLE_VALUE;
};

}}} // namespace Quorvel::Base::File
