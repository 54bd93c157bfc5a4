#pragma once
#include <cstdint>

namespace Quorvel { namespace Base { namespace File {

// Pack files store every number as a little-endian uint32.
inline uint32_t LoadLittleEndian32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Decodes one stored pack block: a zlib stream followed by the decoded size (uint32,
// little-endian), with the first bytes of the whole block scrambled.
class CZip {
public:
    CZip() = default;
    ~CZip() { Release(); }
    CZip(const CZip&) = delete;
    CZip& operator=(const CZip&) = delete;

    // Unscrambles the block in place and inflates it into a buffer of our own; the block is
    // the caller's and is not kept. False for a block that is too short, claims a size zlib
    // cannot produce from it, or does not inflate.
    bool Decode(uint8_t* block, uint32_t size);
    void Release();

    const uint8_t* Data() const { return m_decoded; }
    uint32_t Size() const { return m_decodedSize; }

    // Deflate expands at most about 1032:1; a claimed size beyond that is corrupt or
    // hostile, and must not become an allocation.
    static constexpr uint32_t kMaxRatio = 1032;
    static constexpr uint32_t kScrambledBytes = 32;

private:
    uint8_t* m_decoded = nullptr;
    uint32_t m_decodedSize = 0;
};

}}} // namespace Quorvel::Base::File
