#include "base/file/CompressFileBase.h"

#include <cstring>
#include <new>

#include "base/file/FileWin32.h"

namespace Quorvel { namespace Base { namespace File {

bool CCompressFileBase::Create(const char*, bool)
{
    return false;
}

int CCompressFileBase::Open(const char* path)
{
    Close();
    int result = LoadMember(path);
    Rewind();
    return result;
}

void CCompressFileBase::Close()
{
    Release();
}

void CCompressFileBase::Release()
{
    m_zip.Release();
    m_data = nullptr;
    m_size = 0;
    m_position = 0;
}

uint32_t CCompressFileBase::Read(void* dst, uint32_t size, uint32_t count)
{
    // A size x count beyond 32 bits is refused as a plain file refuses it.
    if (!m_data || !dst || size == 0 || count == 0 || uint64_t(size) * count > UINT32_MAX)
        return 0;
    if (m_position < 0 || static_cast<uint32_t>(m_position) >= m_size)
        return 0;
    uint32_t left = m_size - static_cast<uint32_t>(m_position);
    const uint32_t wanted = size * count;
    uint32_t n = wanted < left ? wanted : left;
    std::memcpy(dst, m_data + m_position, n);
    m_position += static_cast<int32_t>(n);
    return n / size;
}

uint32_t CCompressFileBase::Write(const void*, uint32_t, uint32_t)
{
    return 0;
}

int32_t CCompressFileBase::GetSize()
{
    return static_cast<int32_t>(m_size);
}

bool CCompressFileBase::Seek(int32_t offset, int origin)
{
    if (!m_data)
        return false;
    int64_t base;
    switch (origin) {
    case kSeekBegin: base = 0; break;
    case kSeekCurrent: base = m_position; break;
    case kSeekEnd: base = m_size; break;
    default: return false;
    }
    int64_t position = base + offset;
    if (position < INT32_MIN || position > INT32_MAX)
        return false;
    m_position = static_cast<int32_t>(position);
    return true;
}

int32_t CCompressFileBase::Tell()
{
    return m_position;
}

void CCompressFileBase::Rewind()
{
    m_position = 0;
}

bool CCompressFileBase::IsOpen()
{
    return m_data != nullptr;
}

uint32_t CCompressFileBase::NameKey(const std::string& name)
{
    uint32_t key = 0;
    for (char c : name) {
        if (c == '\0')
            break;
        key += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
    }
    return key;
}

int CCompressFileBase::DecodeBlock(CFileWin32& pack, uint32_t offset, uint32_t size)
{
    int32_t packSize = pack.GetSize();
    if (packSize < 0 || static_cast<uint64_t>(offset) + size > static_cast<uint32_t>(packSize))
        return kMemberFailed;
    if (!pack.Seek(static_cast<int32_t>(offset), kSeekBegin))
        return kMemberFailed;
    uint8_t* block = new (std::nothrow) uint8_t[size ? size : 1];
    if (!block)
        return kMemberFailed;
    bool decoded = pack.ReadBytes(block, size) && m_zip.Decode(block, size);
    delete[] block;
    if (!decoded)
        return kMemberFailed;
    m_data = m_zip.Data();
    m_size = m_zip.Size();
    m_position = 0;
    return kMemberFound;
}

bool CCompressFileBase::OpenPack(CFileWin32& pack, const std::string& path, const char* magic)
{
    char found[kMagicSize];
    return pack.Open(path.c_str()) && pack.ReadBytes(found, kMagicSize) &&
           std::memcmp(found, magic, kMagicSize) == 0;
}

bool CCompressFileBase::ReadField(CFileWin32& pack, uint32_t& value)
{
    uint8_t bytes[kFieldSize];
    if (!pack.ReadBytes(bytes, kFieldSize))
        return false;
    value = LoadLittleEndian32(bytes);
    return true;
}

}}} // namespace Quorvel::Base::File
