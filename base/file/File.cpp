#include "base/file/File.h"

#include <new>

#include "base/file/FileImpl.h"

namespace Quorvel { namespace Base { namespace File {

bool CFile::Create(const char* path, bool truncate)
{
    Close();
    CFileImpl* impl = new (std::nothrow) CFileImpl;
    m_owned = impl;
    if (impl && impl->Create(path, truncate))
        return true;
    Close();
    return false;
}

int CFile::Open(const char* path)
{
    Close();
    CFileImpl* impl = new (std::nothrow) CFileImpl;
    m_owned = impl;
    if (impl && impl->Load(path))
        return 1;
    Close();
    return 0;
}

}}} // namespace Quorvel::Base::File
