#include "support/FileFixtures.h"

namespace TestSupport {

bool MakeDirs(const CTempDir& dir, const std::string& name)
{
    for (size_t end = name.find('\\', 1);; end = name.find('\\', end + 1)) {
        std::string path = dir / name.substr(0, end);
        if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (end == std::string::npos)
            return true;
    }
}

bool WriteAt(const CTempDir& dir, const std::string& name, const std::string& bytes)
{
    size_t slash = name.rfind('\\');
    if (slash != std::string::npos && slash > 0 && !MakeDirs(dir, name.substr(0, slash)))
        return false;
    HANDLE h = CreateFileA((dir / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(h);
    return ok;
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

} // namespace TestSupport
