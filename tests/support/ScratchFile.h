#pragma once
#include <string>

// A file with the given bytes under the system's temporary folder, deleted again when the
// object goes. Path() is narrow, as the readers take it.
class CScratchFile {
public:
    explicit CScratchFile(const std::string& bytes);
    ~CScratchFile();
    CScratchFile(const CScratchFile&) = delete;
    CScratchFile& operator=(const CScratchFile&) = delete;

    const char* Path() const { return m_path.c_str(); }

private:
    std::string m_path;
};
