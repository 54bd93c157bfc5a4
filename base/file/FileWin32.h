#pragma once
#include <cstdint>

#include "base/Win32.h"

namespace Quorvel { namespace Base { namespace File {

// A Win32 file handle with reads and writes that retry. Owns the handle; an invalid
// handle is never stored, so "open" is simply "holds a handle".
class CFileWin32 {
public:
    CFileWin32() = default;
    ~CFileWin32() { Close(); }
    CFileWin32(const CFileWin32&) = delete;
    CFileWin32& operator=(const CFileWin32&) = delete;

    bool Open(const char* path);
    bool Create(const char* path, bool truncate);
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }
    bool IsWriting() const { return m_writing != 0; }
    // Takes effect on the next Create.
    void SetWriteThrough(bool on) { m_writeThrough = on ? 1 : 0; }

    // All n bytes or nothing: up to 10 attempts, and on failure the position goes back to
    // where the call started. Reading gives up early once the end of the file is reached.
    bool ReadBytes(void* dst, uint32_t n);
    bool WriteBytes(const void* src, uint32_t n);

    // Size in bytes; -1 when not open or too large for the 32-bit interface.
    int32_t GetSize() const;
    bool Seek(int32_t offset, int origin);
    // Current position, -1 when not open.
    int32_t Tell() const;

private:
    template <typename Transfer>
    bool Retry(uint32_t n, bool reading, Transfer transfer);

    HANDLE m_handle = nullptr;
    uint8_t m_writeThrough = 0;
    uint8_t m_writing = 0;
};

}}} // namespace Quorvel::Base::File
