#include "base/file/FileForwarder.h"

namespace Quorvel { namespace Base { namespace File {

void CFileForwarder::Close()
{
    delete m_owned;
    m_owned = nullptr;
}

uint32_t CFileForwarder::Read(void* dst, uint32_t size, uint32_t count)
{
    return m_owned ? m_owned->Read(dst, size, count) : 0;
}

uint32_t CFileForwarder::Write(const void* src, uint32_t size, uint32_t count)
{
    return m_owned ? m_owned->Write(src, size, count) : 0;
}

int32_t CFileForwarder::GetSize()
{
    return m_owned ? m_owned->GetSize() : 0;
}

bool CFileForwarder::Seek(int32_t offset, int origin)
{
    return m_owned && m_owned->Seek(offset, origin);
}

int32_t CFileForwarder::Tell()
{
    return m_owned ? m_owned->Tell() : 0;
}

void CFileForwarder::Rewind()
{
    if (m_owned)
        m_owned->Rewind();
}

bool CFileForwarder::IsOpen()
{
    return m_owned && m_owned->IsOpen();
}

}}} // namespace Quorvel::Base::File
