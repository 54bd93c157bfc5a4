#include "support/SkinFiles.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace TestSupport {

namespace {

void PutLE(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

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

bool WriteBmp24(const std::string& path, int width, int height, const std::function<COLORREF(int, int)>& pixel)
{
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height);
    std::vector<unsigned char> file;
    file.push_back('B');
    file.push_back('M');
    PutLE(file, 54 + imageSize, 4);
    PutLE(file, 0, 4);
    PutLE(file, 54, 4);
    PutLE(file, 40, 4);
    PutLE(file, static_cast<uint32_t>(width), 4);
    PutLE(file, static_cast<uint32_t>(height), 4);
    PutLE(file, 1, 2);
    PutLE(file, 24, 2);
    PutLE(file, 0, 4);
    PutLE(file, imageSize, 4);
    PutLE(file, 2835, 4);
    PutLE(file, 2835, 4);
    PutLE(file, 0, 4);
    PutLE(file, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, y);
            file.push_back(GetBValue(c));
            file.push_back(GetGValue(c));
            file.push_back(GetRValue(c));
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
            file.push_back(0);
    }
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(handle);
    return ok && written == file.size();
}

bool WriteSolidBmp24(const std::string& path, int width, int height, COLORREF colour)
{
    return WriteBmp24(path, width, height, [colour](int, int) { return colour; });
}

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
