#include "base/file/ZipSingleFile.h"

#include <cstdio>
#include <cstring>

#include "base/file/FilePath.h"
#include "base/file/FileWin32.h"
#include "base/file/FindFile.h"

namespace Quorvel { namespace Base { namespace File {

namespace {
const char kMagic[] = "TOVAPACK4S";
}

bool CZipSingleFile::PackPathFor(const std::string& fullPath, std::string& packPath,
                                 std::string& fileName)
{
    size_t separator = FindLastSeparator(fullPath);
    if (separator == std::string::npos || separator + 1 >= fullPath.size())
        return false;
    fileName = fullPath.substr(separator + 1);
    size_t dot = FindLastChar(fileName, '.');
    std::string path = fullPath.substr(0, separator + 1) + fileName.substr(0, dot);
    if (dot != std::string::npos) {
        for (size_t i = dot + 1; i < fileName.size(); ++i) {
            char number[8];
            snprintf(number, sizeof(number), "%d", static_cast<int>(static_cast<int8_t>(fileName[i])));
            path += number;
        }
    }
    path += ".pak";
    return GetFullPath(path, packPath) && CFindFile::Exists(packPath.c_str());
}

int CZipSingleFile::ReadHeader(CFileWin32& pack, const std::string& fullPath, Header& header)
{
    std::string packPath, fileName;
    if (!PackPathFor(fullPath, packPath, fileName))
        return kNoPack;
    if (!OpenPack(pack, packPath, kMagic))
        return kNoPack;
    uint32_t length = 0;
    if (!ReadField(pack, length) || length == 0 || length > kNameBuffer)
        return kMemberFailed;
    char name[kNameBuffer];
    if (!pack.ReadBytes(name, length))
        return kMemberFailed;
    header.name.assign(name, strnlen(name, length));
    if (ToLowerPath(header.name) != ToLowerPath(fileName))
        return kMemberFailed;
    m_namesFile = true;
    if (!ReadField(pack, header.offset) || !ReadField(pack, header.size))
        return kMemberFailed;
    return kMemberFound;
}

int CZipSingleFile::LoadMember(const char* path)
{
    Release();
    m_namesFile = false;
    std::string fullPath;
    if (!path || !GetFullPath(path, fullPath) || fullPath.empty())
        return kNoPack;
    CFileWin32 pack;
    Header header;
    int result = ReadHeader(pack, fullPath, header);
    if (result != kMemberFound)
        return result;
    uint32_t key = NameKey(header.name);
    return DecodeBlock(pack, header.offset ^ key, header.size ^ key);
}

}}} // namespace Quorvel::Base::File
