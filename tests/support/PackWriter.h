#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// Builds pack files the way the packing tool lays them out, written independently of the
// reader so that the tests check the format rather than the code against itself.

// A stored block: the zlib stream of data, then the decoded size (or claimedSize when
// given), with the block's first bytes scrambled.
std::string StoreBlock(const std::string& data);
std::string StoreBlock(const std::string& data, uint32_t claimedSize);

// The XOR key of a stored name: its bytes as signed 8-bit numbers, summed.
uint32_t PackKey(const std::string& name);

// "TOVAPACK4S", the name length, the name with its zero, the XOR'd offset and size, the block.
// Field offsets within it, for tests that corrupt one: the name length at 10, the name at 14,
// offset at 14 + L, size at 18 + L, the block at 22 + L (L = name size + 1).
std::string SingleFilePack(const std::string& name, const std::string& data);
std::string SingleFilePackWithBlock(const std::string& name, const std::string& block);

struct PackMember {
    std::string name;
    std::string data;
};
// "TOVAPACK4A", the directory size, the entries, a zero length, then the blocks in order.
// With one member of name size N: its length at 14, name at 18, offset at 19 + N, size at
// 23 + N, the ending zero at 27 + N, the block at 31 + N.
std::string DirectoryPack(const std::vector<PackMember>& members);

void PutLittleEndian32(std::string& bytes, size_t at, uint32_t value);
uint32_t GetLittleEndian32(const std::string& bytes, size_t at);

} // namespace TestSupport
