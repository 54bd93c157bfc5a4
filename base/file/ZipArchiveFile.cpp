#include "base/file/ZipArchiveFile.h"

#include <cstring>
#include <new>

#include "base/file/FilePath.h"
#include "base/file/FileWin32.h"
#include "base/file/FindFile.h"

namespace Quorvel { namespace Base { namespace File {

namespace {
const char kMagic[] = "TOVAPACK4A";

// The long form of a share path; the server name follows it.
const char kLongUncPrefix[] = "\\\\?\\UNC\\";

// A drive ("C:", "\\?\C:") or a share ("\\srv\share", "\\?\UNC\srv\share"), or a folder
// above one. Server and share names may hold two-byte characters whose trail byte is 0x5C.
bool IsRoot(const std::string& folder)
{
    if (folder.empty() || folder.back() == ':')
        return true;
    if (folder.size() < 2 || folder[0] != '\\' || folder[1] != '\\')
        return false;
    const size_t longPrefix = sizeof(kLongUncPrefix) - 1;
    const bool longForm = ToLowerPath(folder.substr(0, longPrefix)) == ToLowerPath(kLongUncPrefix);
    const size_t afterServer = FindFirstChar(folder, '\\', longForm ? longPrefix : 2);
    return afterServer == std::string::npos || afterServer == FindLastSeparator(folder);
}

// A directory buffer owned for the length of one lookup.
struct Directory {
    explicit Directory(uint32_t size) : bytes(new (std::nothrow) uint8_t[size ? size : 1]) {}
    ~Directory() { delete[] bytes; }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    uint8_t* bytes;
};
} // namespace

std::vector<std::string> CZipArchiveFile::PackFolders(const std::string& fullPath)
{
    std::vector<std::string> folders;
    std::string folder = fullPath;
    for (;;) {
        size_t separator = FindLastSeparator(folder);
        if (separator == std::string::npos)
            return folders;
        folder.resize(separator);
        if (IsRoot(folder))
            return folders;
        folders.push_back(folder);
    }
}

bool CZipArchiveFile::FindPack(const std::string& fullPath, std::string& packPath,
                               std::string& member)
{
    for (const std::string& folder : PackFolders(fullPath)) {
        if (CFindFile::Exists((folder + ".pak").c_str())) {
            packPath = folder + ".pak";
            member = fullPath.substr(folder.size() + 1);
            return true;
        }
    }
    return false;
}

int CZipArchiveFile::LoadMember(const char* path)
{
    Release();
    std::string fullPath, packPath, member;
    if (!path || !GetFullPath(path, fullPath) || !FindPack(fullPath, packPath, member))
        return kNoPack;
    return LoadFrom(packPath, member);
}

int CZipArchiveFile::LoadFrom(const std::string& packPath, const std::string& member)
{
    CFileWin32 pack;
    if (!OpenPack(pack, packPath, kMagic))
        return kNoPack;
    uint32_t directorySize = 0;
    const int64_t packSize = pack.GetSize();
    if (!ReadField(pack, directorySize) || directorySize + int64_t(kMagicSize + kFieldSize) > packSize)
        return kMemberFailed;
    Directory directory(directorySize);
    if (!directory.bytes || !pack.ReadBytes(directory.bytes, directorySize))
        return kMemberFailed;

    const std::string lower = ToLowerPath(member);
    const std::string slashed = ToSlashPath(lower);
    const uint8_t* at = directory.bytes;
    const uint8_t* end = directory.bytes + directorySize;
    while (end - at >= static_cast<ptrdiff_t>(kFieldSize)) {
        uint32_t length = LoadLittleEndian32(at);
        at += kFieldSize;
        if (length == 0)
            break;
        if (length > kNameBuffer || static_cast<uint64_t>(end - at) < length + 2ull * kFieldSize)
            return kMemberFailed;
        const char* stored = reinterpret_cast<const char*>(at);
        std::string name(stored, strnlen(stored, length));
        at += length;
        uint32_t offset = LoadLittleEndian32(at);
        uint32_t size = LoadLittleEndian32(at + kFieldSize);
        at += 2 * kFieldSize;
        std::string lowerName = ToLowerPath(name);
        if (lowerName == lower || lowerName == slashed) {
            uint32_t key = NameKey(name);
            return DecodeBlock(pack, offset ^ key, size ^ key);
        }
    }
    return kMemberFailed;
}

}}} // namespace Quorvel::Base::File
