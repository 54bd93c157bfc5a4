#include "base/file/FileWin32.h"

namespace Quorvel { namespace Base { namespace File {

namespace {
constexpr int kAttempts = 10;
}

bool CFileWin32::Open(const char* path)
{
    Close();
    if (!path || !*path)
        return false;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    m_handle = h;
    return true;
}

bool CFileWin32::Create(const char* path, bool truncate)
{
    Close();
    if (!path || !*path)
        return false;
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (m_writeThrough ? FILE_FLAG_WRITE_THROUGH : 0);
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           truncate ? CREATE_ALWAYS : OPEN_ALWAYS, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    m_handle = h;
    m_writing = 1;
    // Without truncation the file is extended, never overwritten from the start.
    if (!truncate)
        Seek(0, FILE_END);
    return true;
}

void CFileWin32::Close()
{
    if (m_handle) {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
    m_writing = 0;
}

// Up to kAttempts tries to move n bytes with one Win32 call per piece; a try that stalls
// steps back to where it began. Reads stop early at the end of the file, where another
// try cannot find more.
template <typename Transfer>
bool CFileWin32::Retry(uint32_t n, bool reading, Transfer transfer)
{
    if (!m_handle)
        return false;
    if (n == 0)
        return true;
    // Failed tries step back relative to where they got to.
    if (n > INT32_MAX)
        return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        uint32_t total = 0;
        for (;;) {
            DWORD moved = 0;
            if (!transfer(total, n - total, &moved) || moved == 0)
                break;
            total += moved;
            if (total == n)
                return true;
        }
        int32_t size = reading ? GetSize() : -1;
        int32_t position = reading ? Tell() : -1;
        if (!Seek(-static_cast<int32_t>(total), FILE_CURRENT) || (size >= 0 && position >= size))
            return false;
    }
    return false;
}

bool CFileWin32::ReadBytes(void* dst, uint32_t n)
{
    uint8_t* out = static_cast<uint8_t*>(dst);
    return Retry(n, true, [&](uint32_t done, uint32_t left, DWORD* moved) {
        return ReadFile(m_handle, out + done, left, moved, nullptr) != FALSE;
    });
}

bool CFileWin32::WriteBytes(const void* src, uint32_t n)
{
    const uint8_t* in = static_cast<const uint8_t*>(src);
    return Retry(n, false, [&](uint32_t done, uint32_t left, DWORD* moved) {
        return WriteFile(m_handle, in + done, left, moved, nullptr) != FALSE;
    });
}

int32_t CFileWin32::GetSize() const
{
    LARGE_INTEGER size;
    if (!m_handle || !GetFileSizeEx(m_handle, &size) || size.QuadPart > INT32_MAX)
        return -1;
    return static_cast<int32_t>(size.QuadPart);
}

bool CFileWin32::Seek(int32_t offset, int origin)
{
    if (!m_handle || origin < FILE_BEGIN || origin > FILE_END)
        return false;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_handle, offset, nullptr, static_cast<DWORD>(origin));
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

int32_t CFileWin32::Tell() const
{
    if (!m_handle)
        return -1;
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(m_handle, zero, &position, FILE_CURRENT) || position.QuadPart > INT32_MAX)
        return -1;
    return static_cast<int32_t>(position.QuadPart);
}

}}} // namespace Quorvel::Base::File
