#pragma once
#include <string>

#include "support/SkinFiles.h"

namespace TestSupport {

// Writes bytes to a file below a temp folder, making the folders on the way. The name
// begins with a backslash, as with CTempDir's operator/.
bool WriteAt(const CTempDir& dir, const std::string& name, const std::string& bytes);
// Makes a folder below a temp folder, and the folders on the way.
bool MakeDirs(const CTempDir& dir, const std::string& name);

// Bytes of a file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Sets the process's current directory and puts the previous one back.
class CCurrentDirectory {
public:
    explicit CCurrentDirectory(const std::string& path);
    ~CCurrentDirectory();
    CCurrentDirectory(const CCurrentDirectory&) = delete;
    CCurrentDirectory& operator=(const CCurrentDirectory&) = delete;

private:
    std::string m_previous;
};

} // namespace TestSupport
