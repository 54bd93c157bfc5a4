#include "editor/SiteAddress.h"

#include <cstdint>
#include <cstring>

#include "base/file/FileHead.h"

namespace {

// Far above any address a browser accepts, small enough to read without looking at the size.
const uint32_t kMaxAddressFileBytes = 4096;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool IsWebAddress(const std::string& address)
{
    size_t host = 0;
    if (_strnicmp(address.c_str(), "http://", 7) == 0)
        host = 7;
    else if (_strnicmp(address.c_str(), "https://", 8) == 0)
        host = 8;
    else
        return false;
    if (host >= address.size() || address[host] == '/' || address[host] == '?' || address[host] == '#')
        return false;
    for (char c : address) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '"')
            return false;
    }
    return true;
}

std::string SiteAddressFromFile(const std::string& moduleDirectory, const char* fileName, const char* fallback)
{
    const std::string otherwise = fallback != nullptr ? fallback : "";
    // Without the module folder the name would point at the root of the current drive.
    if (moduleDirectory.empty() || fileName == nullptr)
        return otherwise;
    std::string bytes;
    bool whole = false;
    if (!Quorvel::Base::File::ReadFileHead((moduleDirectory + fileName).c_str(), kMaxAddressFileBytes, bytes, whole))
        return otherwise;
    // Notepad starts a UTF-8 file with a byte-order mark.
    size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", at);
        // A line cut off by the read limit is not the address that was written.
        if (end == std::string::npos && !whole)
            return otherwise;
        if (end == std::string::npos)
            end = bytes.size();
        size_t first = at;
        size_t last = end;
        while (first < last && IsBlank(bytes[first]))
            ++first;
        while (last > first && IsBlank(bytes[last - 1]))
            --last;
        if (first < last) {
            const std::string line = bytes.substr(first, last - first);
            return IsWebAddress(line) ? line : otherwise;
        }
        at = end + 1;
    }
    return otherwise;
}
