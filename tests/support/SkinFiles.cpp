#include "support/SkinFiles.h"

#include <atomic>
#include <cstdio>

namespace TestSupport {

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

CTempDir::CTempDir(const std::string& nameSuffix)
{
    static std::atomic<int> counter{0};
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    std::string root = base;
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    char name[64];
    std::snprintf(name, sizeof name, "\\tvtest_%lu_%d", GetCurrentProcessId(), counter++);
    m_path = root + name + nameSuffix;
    CreateDirectoryA(m_path.c_str(), nullptr);
}

CTempDir::~CTempDir()
{
    RemoveTree(m_path);
}

bool CTempDir::MakeSubdir(const std::string& name) const
{
    return CreateDirectoryA((m_path + name).c_str(), nullptr) != FALSE;
}

} // namespace TestSupport
