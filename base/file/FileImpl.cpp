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
        return OpenWith(new (std::nothrow) CNormalFile, fullPath);
    CZipSingleFile* single = new (std::nothrow) CZipSingleFile;
    if (!single)
        return false;
    if (single->Open(fullPath.c_str()) == CCompressFileBase::kMemberFound) {
        m_owned = single;
        return true;
    }
    bool named = single->NamesFile();
    delete single;
    return !named && OpenWith(new (std::nothrow) CZipArchiveFile, fullPath);
}

bool CFileImpl::OpenWith(IFile* impl, const std::string& fullPath)
{
    m_owned = impl;
    if (m_owned && m_owned->Open(fullPath.c_str()) == 1)
        return true;
    Close();
    return false;
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
