#include "base/file/ReplaceFile.h"

#include <string>

#include "base/Win32.h"
#include "base/file/FilePath.h"

namespace Quorvel { namespace Base { namespace File {

namespace {

// The folder part of a path, its separator kept; "." when it names none.
std::string FolderOf(const char* path)
{
    const std::string whole(path);
    const std::string folder = whole.substr(0, whole.size() - FileNameOfPath(whole).size());
    return folder.empty() ? std::string(".") : folder;
}

bool WriteAll(HANDLE file, const void* bytes, size_t size)
{
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr) || written == 0)
            return false;
        at += written;
        size -= written;
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const char* path, const void* bytes, size_t size)
{
    if (path == nullptr || path[0] == '\0' || (bytes == nullptr && size > 0))
        return false;
    // A read-only sheet is the user's way of protecting it; a folder is no sheet at all.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    const std::string folder = FolderOf(path);
    // GetTempFileNameA needs room for its own 14 characters below MAX_PATH.
    if (folder.size() + 14 >= MAX_PATH)
        return false;
    char temporary[MAX_PATH] = {};
    if (GetTempFileNameA(folder.c_str(), "tms", 0, temporary) == 0)
        return false;

    const HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temporary);
        return false;
    }
    const bool written = WriteAll(file, bytes, size) && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != FALSE;
    if (!written || !closed ||
        !MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return false;
    }
    return true;
}

}}} // namespace Quorvel::Base::File
