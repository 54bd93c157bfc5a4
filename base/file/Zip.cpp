#include "base/file/Zip.h"

#include <new>

#include <zlib.h>

namespace Quorvel { namespace Base { namespace File {

bool CZip::Decode(uint8_t* block, uint32_t size)
{
    Release();
    if (!block || size <= 4)
        return false;
    uint8_t key = static_cast<uint8_t>((size >> 3) + 34);
    for (uint32_t i = 0; i < size && i < kScrambledBytes; ++i) {
        block[i] ^= key;
        key = static_cast<uint8_t>(key * 8);
    }
    const uint32_t streamSize = size - 4;
    uint32_t claimed = LoadLittleEndian32(block + streamSize);
    if (claimed > static_cast<uint64_t>(streamSize) * kMaxRatio)
        return false;
    // zlib needs somewhere to write even for an empty member.
    uint8_t* decoded = new (std::nothrow) uint8_t[claimed ? claimed : 1];
    if (!decoded)
        return false;
    uLongf decodedSize = claimed;
    if (uncompress(decoded, &decodedSize, block, streamSize) != Z_OK) {
        delete[] decoded;
        return false;
    }
    m_decoded = decoded;
    m_decodedSize = static_cast<uint32_t>(decodedSize);
    return true;
}

void CZip::Release()
{
    delete[] m_decoded;
    m_decoded = nullptr;
    m_decodedSize = 0;
}

}}} // namespace Quorvel::Base::File
