#include "support/TempDir.h"

#include <cstdio>

#include "base/Win32.h"

namespace TestSupport {

namespace {
void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}
} // namespace

CTempDir::CTempDir()
{
    static unsigned s_sequence = 0;
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof(base), base);
    std::string root(base, n);
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    for (;;) {
        char name[64];
        snprintf(name, sizeof(name), "\\tervane-test-%lu-%u", GetCurrentProcessId(), ++s_sequence);
        m_path = root + name;
        if (CreateDirectoryA(m_path.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            m_path.clear();
            break;
        }
    }
}

CTempDir::~CTempDir()
{
    if (!m_path.empty())
        RemoveTree(m_path);
}

bool CTempDir::MakeDir(const std::string& relative) const
{
    std::string path = m_path;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('\\', start);
        if (end == std::string::npos)
            end = relative.size();
        path += "\\" + relative.substr(start, end - start);
        if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        start = end + 1;
    }
    return true;
}

bool CTempDir::Write(const std::string& relative, const std::string& bytes) const
{
    size_t slash = relative.rfind('\\');
    if (slash != std::string::npos && !MakeDir(relative.substr(0, slash)))
        return false;
    HANDLE h = CreateFileA((*this / relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(h);
    return ok;
}

CCurrentDirectory::CCurrentDirectory(const std::string& path)
{
    char previous[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof(previous), previous);
    if (n > 0 && n < sizeof(previous))
        m_previous.assign(previous, n);
    SetCurrentDirectoryA(path.c_str());
}

CCurrentDirectory::~CCurrentDirectory()
{
    if (!m_previous.empty())
        SetCurrentDirectoryA(m_previous.c_str());
}

std::string ReadWholeFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(h);
    return bytes;
}

} // namespace TestSupport
