#pragma once
#include "base/file/FileForwarder.h"

namespace Quorvel { namespace Base { namespace File {

// The file object callers hold: reads a path from disk, or from a pack when the path is
// missing on disk. Owns one CFileImpl while open; the destructor closes.
class CFile : public CFileForwarder {
public:
    bool Create(const char* path, bool truncate) override;
    // 1 when the path could be opened, otherwise 0.
    int Open(const char* path) override;
};

}}} // namespace Quorvel::Base::File
