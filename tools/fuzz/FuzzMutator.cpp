#include "fuzz/FuzzMutator.h"

#include <cstring>

namespace {

// Bytes that mean something to one reader or another: line ends, separators, comments,
// Shift-JIS lead and trail bytes, markup, pack signatures.
const char kMeaningful[] = "\r\n\t ,/\\\"'<>=&#;:.-+0123456789\x81\x9F\xE0\xFC\x5C\x40\x7F\x80\xFF";
const char* const kLimits[] = {"0",          "-0",          "1",           "-1",          "2147483647",
                               "2147483648", "-2147483648", "-2147483649", "4294967295",  "4294967296",
                               "99999999999999999999999999", "1e308", "-1e308", "nan", "inf", "0x7fffffff",
                               "000000000000000000001", "9223372036854775807", "18446744073709551616"};
const uint32_t kFields[] = {0, 1, 2, 3, 4, 0x7F, 0x80, 0xFF, 0x100, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000,
                            0xFFFFFFFE, 0xFFFFFFFF, 0x00100000, 0x01000000};

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

CFuzzMutator::CFuzzMutator(uint64_t seed, uint32_t reader, uint64_t index)
    : m_state(Mix(Mix(seed) ^ Mix(0x100000000ull * reader + 1) ^ index))
{
}

uint64_t CFuzzMutator::Next()
{
    m_state = Mix(m_state);
    return m_state;
}

uint32_t CFuzzMutator::Below(uint32_t n)
{
    return n == 0 ? 0 : static_cast<uint32_t>(Next() % n);
}

std::string CFuzzMutator::Make(const std::vector<std::string>& seeds, size_t maxSize)
{
    if (seeds.empty())
        return std::string();
    std::string bytes = seeds[Below(static_cast<uint32_t>(seeds.size()))];
    // A few inputs are a seed as it is, so that the readers' good paths stay in every run.
    if (Below(64) == 0)
        return bytes;
    const uint32_t damages = 1 + Below(Below(4) == 0 ? 8 : 3);
    for (uint32_t i = 0; i < damages; ++i)
        Damage(bytes, seeds);
    if (bytes.size() > maxSize)
        bytes.resize(maxSize);
    return bytes;
}

void CFuzzMutator::Damage(std::string& bytes, const std::vector<std::string>& seeds)
{
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    const uint32_t at = Below(size + 1);
    switch (Below(12)) {
    case 0: // a bit
        if (at < size)
            bytes[at] ^= static_cast<char>(1u << Below(8));
        break;
    case 1: // a byte, any or a meaningful one
        if (at < size)
            bytes[at] = Below(2) ? static_cast<char>(Below(256)) : kMeaningful[Below(sizeof kMeaningful - 1)];
        break;
    case 2: // a few bytes inserted
        for (uint32_t n = 1 + Below(8); n > 0; --n)
            bytes.insert(bytes.begin() + at, kMeaningful[Below(sizeof kMeaningful - 1)]);
        break;
    case 3: // a run deleted
        bytes.erase(at, 1 + Below(Below(4) == 0 ? 256 : 16));
        break;
    case 4: // cut short
        bytes.resize(Below(size + 1));
        break;
    case 5: { // spliced with another seed: this one's head, the other's tail
        const std::string& other = seeds[Below(static_cast<uint32_t>(seeds.size()))];
        bytes = bytes.substr(0, at) + other.substr(Below(static_cast<uint32_t>(other.size()) + 1));
        break;
    }
    case 6: // a piece of itself repeated
        if (size != 0) {
            const uint32_t from = Below(size);
            const std::string piece = bytes.substr(from, 1 + Below(64));
            for (uint32_t n = 1 + Below(Below(32) == 0 ? 2000 : 4); n > 0 && bytes.size() < (1u << 20); --n)
                bytes.insert(at, piece);
        }
        break;
    case 7:
        PutNumberAtItsLimit(bytes);
        break;
    case 8: // a very long line
        bytes.insert(at, std::string(Below(64) == 0 ? 100000 + Below(150000) : 300 + Below(3000), Below(2) ? 'x' : '9'));
        break;
    case 9: // line ends of another system, or none
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n' && Below(2))
                bytes[i] = Below(2) ? '\r' : '\0';
        break;
    case 10: // a 32-bit field: counts, sizes and offsets at their limits
    case 11:
        PutField(bytes);
        break;
    }
}

void CFuzzMutator::PutNumberAtItsLimit(std::string& bytes)
{
    const char* limit = kLimits[Below(sizeof kLimits / sizeof kLimits[0])];
    // Over a run of digits when there is one near, else anywhere.
    size_t at = Below(static_cast<uint32_t>(bytes.size()) + 1);
    size_t begin = bytes.find_first_of("0123456789", at);
    if (begin == std::string::npos) {
        bytes.insert(at, limit);
        return;
    }
    size_t end = bytes.find_first_not_of("0123456789", begin);
    if (end == std::string::npos)
        end = bytes.size();
    bytes.replace(begin, end - begin, limit);
}

void CFuzzMutator::PutField(std::string& bytes)
{
    if (bytes.size() < 4)
        return;
    const uint32_t value = kFields[Below(sizeof kFields / sizeof kFields[0])];
    const uint32_t at = Below(static_cast<uint32_t>(bytes.size()) - 3);
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
