#include "base/file/FileHead.h"

#include "base/file/File.h"

namespace Quorvel { namespace Base { namespace File {

bool ReadFileHead(const char* path, uint32_t limit, std::string& bytes, bool& whole)
{
    bytes.clear();
    whole = false;
    CFile file;
    if (path == nullptr || file.Open(path) != 1)
        return false;
    const int32_t size = file.GetSize();
    if (size < 0)
        return false;
    const uint32_t wanted = static_cast<uint32_t>(size) < limit ? static_cast<uint32_t>(size) : limit;
    bytes.resize(wanted);
    if (wanted > 0 && file.Read(&bytes[0], 1, wanted) != wanted) {
        bytes.clear();
        return false;
    }
    whole = static_cast<uint32_t>(size) <= limit;
    return true;
}

}}} // namespace Quorvel::Base::File
