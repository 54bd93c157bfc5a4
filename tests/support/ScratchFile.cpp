#include "support/ScratchFile.h"

#include <cstdio>

CScratchFile::CScratchFile(const std::string& bytes) : m_path(m_dir / "\\sheet.tms")
{
    if (FILE* f = std::fopen(m_path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}
