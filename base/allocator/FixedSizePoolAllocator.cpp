#include "base/allocator/FixedSizePoolAllocator.h"

#include <cstdio>
#include <cstdlib>

#include "base/allocator/LeakReport.h"

namespace Quorvel { namespace Base { namespace Allocator {

namespace {
const int32_t kMaxBlockCount = 1 << 24;
const uint64_t kAllBits = ~uint64_t(0);

inline int LowestBit(uint64_t v)
{
    return __builtin_ctzll(v);
}
} // namespace

CFixedSizePoolAllocator::CFixedSizePoolAllocator(int32_t blockCount)
{
    if (blockCount <= 0 || blockCount > kMaxBlockCount)
        return;
    const int32_t words = (blockCount + 63) / 64;
    const int32_t summaries = (words + 63) / 64;
    const size_t bytes = size_t(blockCount) * kBlockSize + (kBlockSize - 1) +
                         size_t(words + summaries) * sizeof(uint64_t);
    // Zero-filled, like fresh memory from the system: callers see the same bytes each run.
    m_buffer = std::calloc(1, bytes);
    if (!m_buffer)
        return;
    const uintptr_t aligned =
        (reinterpret_cast<uintptr_t>(m_buffer) + kBlockSize - 1) & ~uintptr_t(kBlockSize - 1);
    m_blocks = reinterpret_cast<unsigned char*>(aligned);
    m_used = reinterpret_cast<uint64_t*>(m_blocks + size_t(blockCount) * kBlockSize);
    m_full = m_used + words;
    m_blockCount = blockCount;
    m_wordCount = words;
    m_summaryCount = summaries;
    // Bits past the last slot count as used, so the search never needs a bound check.
    if (blockCount % 64)
        m_used[words - 1] = kAllBits << (blockCount % 64);
    for (int32_t w = words; w < summaries * 64; ++w)
        m_full[w / 64] |= uint64_t(1) << (w % 64);
}

CFixedSizePoolAllocator::~CFixedSizePoolAllocator()
{
    std::free(m_buffer);
}

const void* CFixedSizePoolAllocator::BufferEnd() const
{
    return m_blocks + size_t(m_blockCount) * kBlockSize;
}

bool CFixedSizePoolAllocator::Contains(const void* p) const
{
    return p >= BufferBegin() && p < BufferEnd();
}

void* CFixedSizePoolAllocator::Allocate(size_t size)
{
    if (size > size_t(kBlockSize) || m_usedCount >= m_blockCount)
        return nullptr;
    // A free slot exists, so some summary word has a clear bit.
    int32_t s = 0;
    while (m_full[s] == kAllBits)
        ++s;
    const int32_t word = s * 64 + LowestBit(~m_full[s]);
    const int bit = LowestBit(~m_used[word]);
    m_used[word] |= uint64_t(1) << bit;
    if (m_used[word] == kAllBits)
        m_full[s] |= uint64_t(1) << (word % 64);
    ++m_usedCount;
    return m_blocks + (size_t(word) * 64 + bit) * kBlockSize;
}

bool CFixedSizePoolAllocator::Free(void* block)
{
    if (!block)
        return true;
    if (!Contains(block))
        return false;
    const size_t slot = size_t(static_cast<unsigned char*>(block) - m_blocks) / kBlockSize;
    const size_t word = slot / 64;
    const uint64_t mask = uint64_t(1) << (slot % 64);
    // A second release of the same block must not make the count drift.
    if (!(m_used[word] & mask))
        return true;
    m_used[word] &= ~mask;
    m_full[word / 64] &= ~(uint64_t(1) << (word % 64));
    --m_usedCount;
    return true;
}

bool CFixedSizePoolAllocator::IsUsed(int32_t slot) const
{
    return (m_used[slot / 64] >> (slot % 64)) & 1;
}

int32_t CFixedSizePoolAllocator::ReportLeaks(ILeakReportSink& sink) const
{
    int32_t leaks = 0;
    for (int32_t slot = 0; slot < m_blockCount && leaks < m_usedCount; ++slot) {
        if (!IsUsed(slot))
            continue;
        char text[64];
        std::snprintf(text, sizeof(text), "MemoryLeak!  :  0x%llX",
                      static_cast<unsigned long long>(
                          reinterpret_cast<uintptr_t>(m_blocks + size_t(slot) * kBlockSize)));
        sink.Report("CFixedSizePoolAllocator", text);
        ++leaks;
    }
    return leaks;
}

}}} // namespace Quorvel::Base::Allocator
