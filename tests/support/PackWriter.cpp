#include "support/PackWriter.h"

#include <zlib.h>

namespace TestSupport {

namespace {
std::string LittleEndian32(uint32_t v)
{
    std::string s(4, '\0');
    PutLittleEndian32(s, 0, v);
    return s;
}

void Scramble(std::string& block)
{
    uint32_t n = static_cast<uint32_t>(block.size());
    unsigned key = ((n >> 3) + 34) & 0xFF;
    for (uint32_t i = 0; i < n && i < 32; ++i) {
        block[i] = static_cast<char>(static_cast<unsigned char>(block[i]) ^ key);
        key = (key << 3) & 0xFF;
    }
}
} // namespace

void PutLittleEndian32(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetLittleEndian32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

std::string StoreBlock(const std::string& data, uint32_t claimedSize)
{
    uLongf packedSize = compressBound(static_cast<uLong>(data.size()));
    std::string block(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(&block[0]), &packedSize,
              reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 9);
    block.resize(packedSize);
    block += LittleEndian32(claimedSize);
    Scramble(block);
    return block;
}

std::string StoreBlock(const std::string& data)
{
    return StoreBlock(data, static_cast<uint32_t>(data.size()));
}

uint32_t PackKey(const std::string& name)
{
    uint32_t key = 0;
    for (char c : name)
        key += static_cast<uint32_t>(static_cast<int>(static_cast<signed char>(c)));
    return key;
}

std::string SingleFilePackWithBlock(const std::string& name, const std::string& block)
{
    std::string stored = name + '\0';
    uint32_t key = PackKey(name);
    uint32_t offset = static_cast<uint32_t>(10 + 4 + stored.size() + 8);
    return "TOVAPACK4S" + LittleEndian32(static_cast<uint32_t>(stored.size())) + stored +
           LittleEndian32(offset ^ key) + LittleEndian32(static_cast<uint32_t>(block.size()) ^ key) +
           block;
}

std::string SingleFilePack(const std::string& name, const std::string& data)
{
    return SingleFilePackWithBlock(name, StoreBlock(data));
}

std::string DirectoryPack(const std::vector<PackMember>& members)
{
    size_t directorySize = 4;
    for (const PackMember& m : members)
        directorySize += 4 + m.name.size() + 1 + 8;
    std::string directory, blocks;
    uint32_t offset = static_cast<uint32_t>(10 + 4 + directorySize);
    for (const PackMember& m : members) {
        std::string block = StoreBlock(m.data);
        uint32_t key = PackKey(m.name);
        directory += LittleEndian32(static_cast<uint32_t>(m.name.size() + 1)) + m.name + '\0' +
                     LittleEndian32((offset + static_cast<uint32_t>(blocks.size())) ^ key) +
                     LittleEndian32(static_cast<uint32_t>(block.size()) ^ key);
        blocks += block;
    }
    directory += LittleEndian32(0);
    return "TOVAPACK4A" + LittleEndian32(static_cast<uint32_t>(directory.size())) + directory + blocks;
}

} // namespace TestSupport
