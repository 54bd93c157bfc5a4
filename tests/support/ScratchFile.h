#pragma once
#include <string>

#include "support/SkinFiles.h"

// One file with the given bytes in a fresh temporary folder, removed with it at the end.
// Path() is narrow, as the readers take it.
class CScratchFile {
public:
    explicit CScratchFile(const std::string& bytes);

    const char* Path() const { return m_path.c_str(); }

private:
    TestSupport::CTempDir m_dir;
    std::string m_path;
};
