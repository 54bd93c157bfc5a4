#pragma once
#include <string>

#include "base/file/IFile.h"
#include "base/file/Zip.h"

namespace Quorvel { namespace Base { namespace File {

class CFileWin32;

// A pack member decoded whole into memory and read from there. Read-only.
class CCompressFileBase : public IFile {
public:
    // What LoadMember (and so Open) reports.
    enum Result : int { kMemberFound = 1, kNoPack = 0, kMemberFailed = -1 };

    CCompressFileBase() = default;
    ~CCompressFileBase() override { Release(); }
    CCompressFileBase(const CCompressFileBase&) = delete;
    CCompressFileBase& operator=(const CCompressFileBase&) = delete;

    bool Create(const char* path, bool truncate) override;
    int Open(const char* path) override;
    void Close() override;
    uint32_t Read(void* dst, uint32_t size, uint32_t count) override;
    uint32_t Write(const void* src, uint32_t size, uint32_t count) override;
    int32_t GetSize() override;
    // Not range-checked; a Read from outside the member gives 0 elements.
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    void Rewind() override;
    bool IsOpen() override;

    // Finds and decodes the member standing in for a full path.
    virtual int LoadMember(const char* path) = 0;
    virtual void Release();

    // The XOR key of a member: its stored name's bytes as signed 8-bit numbers, summed.
    static uint32_t NameKey(const std::string& name);

    // Sizes of the fixed parts of a pack: the magic, and a little-endian 32-bit field.
    static constexpr uint32_t kMagicSize = 10;
    static constexpr uint32_t kFieldSize = 4;

protected:
    // Reads the stored block [offset, offset + size) of an open pack and decodes it as this
    // member. Ranges outside the pack fail before anything is allocated.
    int DecodeBlock(CFileWin32& pack, uint32_t offset, uint32_t size);
    // Opens a pack and checks its magic.
    static bool OpenPack(CFileWin32& pack, const std::string& path, const char* magic);
    static bool ReadField(CFileWin32& pack, uint32_t& value);

private:
    const uint8_t* m_data = nullptr;
    uint32_t m_size = 0;
    int32_t m_position = 0;
    CZip m_zip;
};

}}} // namespace Quorvel::Base::File
