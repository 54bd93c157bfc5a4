#include "base/file/NormalFile.h"

namespace Quorvel { namespace Base { namespace File {

bool CNormalFile::Create(const char* path, bool truncate)
{
    return m_file.Create(path, truncate);
}

int CNormalFile::Open(const char* path)
{
    return m_file.Open(path) ? 1 : 0;
}

void CNormalFile::Close()
{
    m_file.Close();
}

uint32_t CNormalFile::Read(void* dst, uint32_t size, uint32_t count)
{
    if (size == 0 || count == 0 || !dst)
        return 0;
    // Beyond 32 bits the request is garbage, not a read to the end: 0, as Write answers.
    uint64_t wanted = static_cast<uint64_t>(size) * count;
    if (wanted > UINT32_MAX)
        return 0;
    if (m_file.ReadBytes(dst, static_cast<uint32_t>(wanted)))
        return count;
    // A request past the end reads what is there and reports the whole elements in it.
    int32_t fileSize = m_file.GetSize();
    int32_t position = m_file.Tell();
    if (fileSize < 0 || position < 0 || position >= fileSize)
        return 0;
    uint32_t left = static_cast<uint32_t>(fileSize - position);
    if (wanted <= left || !m_file.ReadBytes(dst, left))
        return 0;
    return left / size;
}

uint32_t CNormalFile::Write(const void* src, uint32_t size, uint32_t count)
{
    if (size == 0 || count == 0 || !src)
        return 0;
    uint64_t n = static_cast<uint64_t>(size) * count;
    if (n > UINT32_MAX || !m_file.WriteBytes(src, static_cast<uint32_t>(n)))
        return 0;
    return count;
}

int32_t CNormalFile::GetSize()
{
    return m_file.GetSize();
}

bool CNormalFile::Seek(int32_t offset, int origin)
{
    return m_file.Seek(offset, origin);
}

int32_t CNormalFile::Tell()
{
    return m_file.Tell();
}

void CNormalFile::Rewind()
{
    m_file.Seek(0, kSeekBegin);
}

bool CNormalFile::IsOpen()
{
    return m_file.IsOpen();
}

}}} // namespace Quorvel::Base::File
