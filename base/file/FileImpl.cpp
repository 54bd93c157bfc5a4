#include "base/file/FileImpl.h"

#include <new>
#include <string>

#include "base/file/FilePath.h"
#include "base/file/FindFile.h"
#include "base/file/NormalFile.h"
#include "base/file/ZipArchiveFile.h"
#include "base/file/ZipSingleFile.h"

namespace Quorvel { namespace Base { namespace File {

bool CFileImpl::Load(const char* path)
{
    Close();
    if (!path || !*path)
        return false;
    NonErrMes quiet;
    std::string fullPath;
    if (!GetFullPath(path, fullPath) || fullPath.empty())
        return false;
    // Packs only ever stand in for files missing from disk.
    if (CFindFile::Exists(fullPath.c_str()))
        m_owned = new (std::nothrow) CNormalFile;
    else if (CZipSingleFile::Names(fullPath))
        m_owned = new (std::nothrow) CZipSingleFile;
    else
        m_owned = new (std::nothrow) CZipArchiveFile;
    if (!m_owned || m_owned->Open(fullPath.c_str()) != 1) {
        Close();
        return false;
    }
    return true;
}

bool CFileImpl::Create(const char* path, bool truncate)
{
    Close();
    m_owned = new (std::nothrow) CNormalFile;
    if (m_owned && m_owned->Create(path, truncate))
        return true;
    Close();
    return false;
}

int CFileImpl::Open(const char* path)
{
    return Load(path) ? 1 : 0;
}

}}} // namespace Quorvel::Base::File
