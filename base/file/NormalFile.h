#pragma once
#include "base/file/File.h"
#include "base/file/FileWin32.h"

namespace Quorvel { namespace Base { namespace File {

// A plain file on disk.
class CNormalFile : public IFile {
public:
    bool Create(const char* path, bool truncate) override;
    int Open(const char* path) override;
    void Close() override;
    uint32_t Read(void* dst, uint32_t size, uint32_t count) override;
    uint32_t Write(const void* src, uint32_t size, uint32_t count) override;
    int32_t GetSize() override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    void Rewind() override;
    bool IsOpen() override;

    CFileWin32& Win32() { return m_file; }

private:
    CFileWin32 m_file;
};

}}} // namespace Quorvel::Base::File
