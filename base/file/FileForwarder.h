#pragma once
#include "base/file/IFile.h"

namespace Quorvel { namespace Base { namespace File {

// Owns one IFile and forwards every operation to it; without one, operations give 0, false
// or nothing. CFile and CFileImpl differ only in how they open.
class CFileForwarder : public IFile {
public:
    CFileForwarder() = default;
    ~CFileForwarder() override { Close(); }
    CFileForwarder(const CFileForwarder&) = delete;
    CFileForwarder& operator=(const CFileForwarder&) = delete;

    void Close() override;
    uint32_t Read(void* dst, uint32_t size, uint32_t count) override;
    uint32_t Write(const void* src, uint32_t size, uint32_t count) override;
    int32_t GetSize() override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    void Rewind() override;
    bool IsOpen() override;

protected:
    IFile* m_owned = nullptr;
};

}}} // namespace Quorvel::Base::File
