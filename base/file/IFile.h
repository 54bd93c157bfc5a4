#pragma once
#include <cstdint>

namespace Quorvel { namespace Base { namespace File {

enum SeekOrigin : int { kSeekBegin = 0, kSeekCurrent = 1, kSeekEnd = 2 };

// One interface for every source of bytes: a plain file, or a member of a pack file that
// stands in for a file missing from disk. The slot order is fixed.
class IFile {
public:
    // Opens for writing; truncate empties the file, otherwise writes append.
    virtual bool Create(const char* path, bool truncate) = 0;
    // 1 when open. Pack members also report 0 (no pack) and -1 (pack found, member
    // missing or undecodable), so only 1 means success.
    virtual int Open(const char* path) = 0;
    virtual void Close() = 0;
    // Number of whole elements read; a request running past the end reads what is left.
    virtual uint32_t Read(void* dst, uint32_t size, uint32_t count) = 0;
    // count when everything was written, otherwise 0.
    virtual uint32_t Write(const void* src, uint32_t size, uint32_t count) = 0;
    // Size in bytes; a plain file that is not open reports -1, a CFile without one 0.
    virtual int32_t GetSize() = 0;
    virtual bool Seek(int32_t offset, int origin) = 0;
    virtual int32_t Tell() = 0;
    virtual void Rewind() = 0;
    virtual bool IsOpen() = 0;
    virtual ~IFile() = default;
};

}}} // namespace Quorvel::Base::File
