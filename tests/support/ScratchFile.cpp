#include "support/ScratchFile.h"

#include <cstdio>

#include "base/Win32.h"

CScratchFile::CScratchFile(const std::string& bytes)
{
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "tms", 0, path);
    m_path = path;
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

CScratchFile::~CScratchFile()
{
    DeleteFileA(m_path.c_str());
}
