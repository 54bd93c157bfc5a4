#pragma once
#include <string>

namespace TestSupport {

// A fresh folder under the system temp folder for one test; it and everything written
// below it are deleted when the object goes away.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // Absolute path of the folder, without a trailing backslash.
    const std::string& Path() const { return m_path; }
    // Path of a name below the folder ("a\\b.txt").
    std::string operator/(const std::string& relative) const { return m_path + "\\" + relative; }

    // Writes bytes to a file below the folder, making the folders on the way.
    bool Write(const std::string& relative, const std::string& bytes) const;
    bool MakeDir(const std::string& relative) const;

private:
    std::string m_path;
};

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

// Bytes of a file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

} // namespace TestSupport
