#pragma once
#include <string>

#include "base/Win32.h"
#include "base/file/FileForwarder.h"

namespace Quorvel { namespace Base { namespace File {

// Keeps the system from asking the user about a missing disk (drive not ready) while a
// file is looked up; the previous error mode comes back on every way out.
class NonErrMes {
public:
    NonErrMes() : m_previous(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~NonErrMes() { SetErrorMode(m_previous); }
    NonErrMes(const NonErrMes&) = delete;
    NonErrMes& operator=(const NonErrMes&) = delete;

private:
    UINT m_previous;
};

// Chooses the implementation for a path, and owns it: a plain file when the path exists on
// disk, otherwise a member of a single-file pack or of a directory pack.
class CFileImpl : public CFileForwarder {
public:
    bool Load(const char* path);

    bool Create(const char* path, bool truncate) override;
    // 1 when Load succeeds, otherwise 0.
    int Open(const char* path) override;

private:
    // Takes ownership of impl (which may be null) and opens the path with it.
    bool OpenWith(IFile* impl, const std::string& fullPath);
};

}}} // namespace Quorvel::Base::File
