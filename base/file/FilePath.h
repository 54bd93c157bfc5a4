#pragma once
#include <string>

namespace Quorvel { namespace Base { namespace File {

// Paths are Shift-JIS: every scan steps over two-byte characters as units, so a trail
// byte such as 0x5C (the backslash code) in "表" or "ソ" is never taken for a separator.
// Only single-byte characters are ever compared, converted or replaced.

// The longest full path the layer accepts, terminating zero included.
constexpr size_t kMaxFullPath = 260;

inline bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Two leading backslashes, or a colon outside two-byte characters. Length 0 or 1 never is.
bool IsAbsolutePath(const std::string& path);

// Absolute paths are normalized (slashes to backslashes, doubled separators squeezed except
// a leading "\\"); relative ones are resolved against the process's current directory.
// False when the result would not fit kMaxFullPath bytes. The empty path gives "".
bool GetFullPath(const std::string& path, std::string& fullPath);

// ASCII letters lowered; two-byte characters untouched.
std::string ToLowerPath(const std::string& path);

// Backslashes become forward slashes.
std::string ToSlashPath(const std::string& path);

// Byte offset of the first single-byte character c (never a trail byte) at or after
// `from`, which must start a character; or npos.
size_t FindFirstChar(const std::string& path, char c, size_t from = 0);
// Byte offset of the last single-byte character c (never a trail byte), or npos.
size_t FindLastChar(const std::string& path, char c);
inline size_t FindLastSeparator(const std::string& path)
{
    return FindLastChar(path, '\\');
}

// The file name: what follows the last backslash, slash or drive colon.
std::string FileNameOfPath(const std::string& path);
// The file name's extension without its dot; empty when the name has no dot or ends in one.
std::string ExtensionOfPath(const std::string& path);
// A file (not a folder) is there under this name.
bool IsExistingFile(const std::string& path);

// A file's size and last write time, to tell later whether it was changed.
struct FileStamp {
    unsigned long long size = 0;
    unsigned long long time = 0;
    bool operator==(const FileStamp& other) const { return size == other.size && time == other.time; }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
// False (and a zero stamp) when there is no such file.
bool StampOfFile(const std::string& path, FileStamp& stamp);

// Whether the extension is the given one (ASCII letters compared without regard to case, as
// the file system compares names).
bool HasExtensionOf(const std::string& path, const char* extension);

}}} // namespace Quorvel::Base::File
