#include "base/file/FilePath.h"

#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace File {

namespace {
// Calls visit(offset, width) for each character: width 2 for a lead byte and its trail
// (or 1 when a lead byte is the very last byte of the string).
template <typename Visit>
void ForEachChar(const std::string& s, Visit visit)
{
    for (size_t i = 0; i < s.size();) {
        size_t width = IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        visit(i, width);
        i += width;
    }
}
} // namespace

bool IsAbsolutePath(const std::string& path)
{
    if (path.size() < 2)
        return false;
    if (path[0] == '\\' && path[1] == '\\')
        return true;
    bool colon = false;
    ForEachChar(path, [&](size_t i, size_t width) {
        if (width == 1 && path[i] == ':')
            colon = true;
    });
    return colon;
}

bool GetFullPath(const std::string& path, std::string& fullPath)
{
    fullPath.clear();
    if (path.empty())
        return true;
    if (!IsAbsolutePath(path)) {
        char buffer[kMaxFullPath];
        DWORD length = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
        // A result that does not fit comes back as the size it would need.
        if (length == 0 || length >= sizeof(buffer))
            return false;
        fullPath.assign(buffer, length);
        return true;
    }
    std::string out;
    out.reserve(path.size());
    bool lastWasSeparator = false;
    ForEachChar(path, [&](size_t i, size_t width) {
        if (width == 2) {
            out.append(path, i, 2);
            lastWasSeparator = false;
            return;
        }
        char c = path[i] == '/' ? '\\' : path[i];
        if (c == '\\') {
            if (lastWasSeparator && out.size() >= 2)
                return;
            lastWasSeparator = true;
        } else {
            lastWasSeparator = false;
        }
        out.push_back(c);
    });
    if (out.size() >= kMaxFullPath)
        return false;
    fullPath.swap(out);
    return true;
}

std::string ToLowerPath(const std::string& path)
{
    std::string out(path);
    ForEachChar(out, [&](size_t i, size_t width) {
        if (width == 1 && out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    });
    return out;
}

std::string ToSlashPath(const std::string& path)
{
    std::string out(path);
    ForEachChar(out, [&](size_t i, size_t width) {
        if (width == 1 && out[i] == '\\')
            out[i] = '/';
    });
    return out;
}

size_t FindFirstChar(const std::string& path, char c, size_t from)
{
    for (size_t i = from; i < path.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(path[i])))
            ++i;
        else if (path[i] == c)
            return i;
    }
    return std::string::npos;
}

size_t FindLastChar(const std::string& path, char c)
{
    size_t last = std::string::npos;
    ForEachChar(path, [&](size_t i, size_t width) {
        if (width == 1 && path[i] == c)
            last = i;
    });
    return last;
}

std::string FileNameOfPath(const std::string& path)
{
    size_t start = 0;
    ForEachChar(path, [&](size_t i, size_t width) {
        if (width == 1 && (path[i] == '\\' || path[i] == '/' || path[i] == ':'))
            start = i + 1;
    });
    return path.substr(start);
}

std::string ExtensionOfPath(const std::string& path)
{
    const std::string name = FileNameOfPath(path);
    const size_t dot = FindLastChar(name, '.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool IsExistingFile(const std::string& path)
{
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool StampOfFile(const std::string& path, FileStamp& stamp)
{
    stamp = FileStamp();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.time = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                 data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool HasExtensionOf(const std::string& path, const char* extension)
{
    return extension != nullptr && ToLowerPath(ExtensionOfPath(path)) == ToLowerPath(extension);
}

}}} // namespace Quorvel::Base::File
