#include "sim/MemoryFiles.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

CMemoryFiles* g_files = nullptr;

// The system's own functions: this program's imports of them lead here once attached.
struct SystemFiles {
    decltype(&::CreateFileA) CreateFileA;
    decltype(&::ReadFile) ReadFile;
    decltype(&::GetFileSizeEx) GetFileSizeEx;
    decltype(&::SetFilePointer) SetFilePointer;
    decltype(&::SetFilePointerEx) SetFilePointerEx;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::GetFileAttributesA) GetFileAttributesA;
    decltype(&::FindFirstFileA) FindFirstFileA;
    decltype(&::FindClose) FindClose;
};
SystemFiles g_system;

template <typename Function>
void Resolve(Function& function, const char* name)
{
    function = SystemFunction<Function>("kernel32.dll", name);
}

HANDLE WINAPI MemCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile)
{
    if (g_files->IsInside(path))
        return g_files->Open(path, access, disposition);
    return g_system.CreateFileA(path, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI MemReadFile(HANDLE file, LPVOID out, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (g_files->Owns(file))
        return g_files->Read(file, out, size, read);
    return g_system.ReadFile(file, out, size, read, overlapped);
}

BOOL WINAPI MemGetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    return g_files->Owns(file) ? g_files->Size(file, size) : g_system.GetFileSizeEx(file, size);
}

DWORD WINAPI MemSetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD origin)
{
    if (!g_files->Owns(file))
        return g_system.SetFilePointer(file, distance, high, origin);
    LONGLONG move = high != nullptr ? (static_cast<LONGLONG>(*high) << 32) | static_cast<ULONG>(distance) : distance;
    LONGLONG position = 0;
    if (!g_files->Seek(file, move, origin, position))
        return INVALID_SET_FILE_POINTER;
    if (high != nullptr)
        *high = static_cast<LONG>(position >> 32);
    else if (position > 0xFFFFFFFELL)
        return INVALID_SET_FILE_POINTER;
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(position);
}

BOOL WINAPI MemSetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER moved, DWORD origin)
{
    if (!g_files->Owns(file))
        return g_system.SetFilePointerEx(file, distance, moved, origin);
    LONGLONG position = 0;
    if (!g_files->Seek(file, distance.QuadPart, origin, position))
        return FALSE;
    if (moved != nullptr)
        moved->QuadPart = position;
    return TRUE;
}

BOOL WINAPI MemCloseHandle(HANDLE object)
{
    return g_files->Owns(object) ? g_files->Close(object) : g_system.CloseHandle(object);
}

DWORD WINAPI MemGetFileAttributesA(LPCSTR path)
{
    return g_files->IsInside(path) ? g_files->Attributes(path) : g_system.GetFileAttributesA(path);
}

HANDLE WINAPI MemFindFirstFileA(LPCSTR path, LPWIN32_FIND_DATAA data)
{
    return g_files->IsInside(path) ? g_files->FindFirst(path, data) : g_system.FindFirstFileA(path, data);
}

BOOL WINAPI MemFindClose(HANDLE find)
{
    const BOOL ours = g_files->FindClose(find);
    return ours ? TRUE : g_system.FindClose(find);
}

template <typename Function>
void* Fn(Function function)
{
    return reinterpret_cast<void*>(function);
}

} // namespace

CMemoryFiles::CMemoryFiles(const std::string& folder) : m_folder(Key(folder))
{
    if (m_folder.empty() || m_folder.back() != '\\')
        m_folder += '\\';
}

CMemoryFiles::~CMemoryFiles()
{
    m_table.Restore();
    if (g_files == this)
        g_files = nullptr;
}

bool CMemoryFiles::Attach(HMODULE module, std::string& error)
{
    if (g_files != nullptr && g_files != this) {
        error = "another store of memory files is attached";
        return false;
    }
    g_files = this;
    Resolve(g_system.CreateFileA, "CreateFileA");
    Resolve(g_system.ReadFile, "ReadFile");
    Resolve(g_system.GetFileSizeEx, "GetFileSizeEx");
    Resolve(g_system.SetFilePointer, "SetFilePointer");
    Resolve(g_system.SetFilePointerEx, "SetFilePointerEx");
    Resolve(g_system.CloseHandle, "CloseHandle");
    Resolve(g_system.GetFileAttributesA, "GetFileAttributesA");
    Resolve(g_system.FindFirstFileA, "FindFirstFileA");
    Resolve(g_system.FindClose, "FindClose");
    const int changed = m_table.Redirect(module, {
                                                     {"kernel32.dll", "CreateFileA", Fn(&MemCreateFileA)},
                                                     {"kernel32.dll", "ReadFile", Fn(&MemReadFile)},
                                                     {"kernel32.dll", "GetFileSizeEx", Fn(&MemGetFileSizeEx)},
                                                     {"kernel32.dll", "SetFilePointer", Fn(&MemSetFilePointer)},
                                                     {"kernel32.dll", "SetFilePointerEx", Fn(&MemSetFilePointerEx)},
                                                     {"kernel32.dll", "CloseHandle", Fn(&MemCloseHandle)},
                                                     {"kernel32.dll", "GetFileAttributesA", Fn(&MemGetFileAttributesA)},
                                                     {"kernel32.dll", "FindFirstFileA", Fn(&MemFindFirstFileA)},
                                                     {"kernel32.dll", "FindClose", Fn(&MemFindClose)},
                                                 });
    if (changed == 0) {
        error = "the module imports none of the file functions";
        return false;
    }
    return true;
}

std::string CMemoryFiles::Key(const std::string& path)
{
    // ASCII letters only, and never the second byte of a two-byte character: what Windows
    // folds for file names in this code page, without a call into the system per name.
    std::string key = path;
    for (size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        if (IsDBCSLeadByte(c))
            ++i;
        else if (c == '/')
            key[i] = '\\';
        else if (c >= 'A' && c <= 'Z')
            key[i] = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

void CMemoryFiles::Put(const std::string& path, const std::string& bytes)
{
    m_files[Key(path)] = bytes;
}

void CMemoryFiles::Remove(const std::string& path)
{
    m_files.erase(Key(path));
}

void CMemoryFiles::Clear()
{
    m_files.clear();
}

bool CMemoryFiles::IsInside(LPCSTR path) const
{
    if (path == nullptr)
        return false;
    const size_t length = std::strlen(path);
    return length >= m_folder.size() && Key(std::string(path, m_folder.size())) == m_folder;
}

HANDLE CMemoryFiles::Open(LPCSTR path, DWORD access, DWORD disposition)
{
    const std::string key = Key(path);
    if ((access & GENERIC_WRITE) != 0 || (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (m_files.count(key) == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(m_nextHandle);
    m_nextHandle += 4;
    m_open[handle] = OpenFile{key, 0};
    return handle;
}

BOOL CMemoryFiles::Read(HANDLE handle, LPVOID out, DWORD size, LPDWORD read)
{
    OpenFile& file = m_open[handle];
    const std::string& bytes = m_files[file.key];
    const LONGLONG left = std::max<LONGLONG>(0, static_cast<LONGLONG>(bytes.size()) - file.position);
    const DWORD count = static_cast<DWORD>(std::min<LONGLONG>(left, size));
    if (count != 0)
        std::memcpy(out, bytes.data() + file.position, count);
    file.position += count;
    if (read != nullptr)
        *read = count;
    return TRUE;
}

BOOL CMemoryFiles::Size(HANDLE handle, PLARGE_INTEGER size)
{
    if (size == nullptr)
        return FALSE;
    size->QuadPart = static_cast<LONGLONG>(m_files[m_open[handle].key].size());
    return TRUE;
}

BOOL CMemoryFiles::Seek(HANDLE handle, LONGLONG distance, DWORD origin, LONGLONG& position)
{
    OpenFile& file = m_open[handle];
    const LONGLONG base = origin == FILE_BEGIN     ? 0
                          : origin == FILE_CURRENT ? file.position
                          : origin == FILE_END     ? static_cast<LONGLONG>(m_files[file.key].size())
                                                   : -1;
    if (base < 0 || base + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return FALSE;
    }
    file.position = base + distance;
    position = file.position;
    return TRUE;
}

BOOL CMemoryFiles::Close(HANDLE handle)
{
    m_open.erase(handle);
    return TRUE;
}

DWORD CMemoryFiles::Attributes(LPCSTR path) const
{
    const std::string key = Key(path);
    if (m_files.count(key) != 0)
        return FILE_ATTRIBUTE_NORMAL;
    // A folder is there while a file below it is.
    const auto below = m_files.lower_bound(key + '\\');
    if (below != m_files.end() && below->first.compare(0, key.size() + 1, key + '\\') == 0)
        return FILE_ATTRIBUTE_DIRECTORY;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
}

HANDLE CMemoryFiles::FindFirst(LPCSTR path, LPWIN32_FIND_DATAA data)
{
    // Names only, no wildcards: what the readers ask to learn whether a file is there.
    const DWORD attributes = std::strpbrk(path, "*?") == nullptr ? Attributes(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || data == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = attributes;
    const std::string name(path);
    const size_t slash = name.find_last_of('\\');
    lstrcpynA(data->cFileName, name.c_str() + (slash == std::string::npos ? 0 : slash + 1), MAX_PATH);
    const auto file = m_files.find(Key(path));
    if (file != m_files.end())
        data->nFileSizeLow = static_cast<DWORD>(file->second.size());
    const HANDLE handle = reinterpret_cast<HANDLE>(m_nextHandle);
    m_nextHandle += 4;
    m_finds[handle] = true;
    return handle;
}

BOOL CMemoryFiles::FindClose(HANDLE handle)
{
    return m_finds.erase(handle) != 0;
}
