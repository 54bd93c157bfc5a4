#pragma once
#include <cstddef>
#include <cstdint>

#include "base/allocator/IAllocator.h"

namespace Quorvel { namespace Base { namespace Allocator {

class ILeakReportSink;

// A pool of equal 32-byte blocks for the small requests that make up most of the
// program's allocations (string buffers, list and map nodes). A block is always the
// first free slot from the start of the buffer; an in-use bitmap with one summary bit
// per bitmap word finds it without scanning every slot. Blocks sit on 32-byte
// boundaries so that they meet the alignment operator new promises. Not thread-safe:
// the manager's lock serializes every call.
class CFixedSizePoolAllocator : public IAllocator {
public:
    static constexpr int32_t kBlockSize = 32;
    static constexpr int32_t kDefaultBlockCount = 8192;

    explicit CFixedSizePoolAllocator(int32_t blockCount = kDefaultBlockCount);
    ~CFixedSizePoolAllocator() override;
    CFixedSizePoolAllocator(const CFixedSizePoolAllocator&) = delete;
    CFixedSizePoolAllocator& operator=(const CFixedSizePoolAllocator&) = delete;

    void Initialize() override {}
    // Larger requests than one block, a full pool or a pool without a buffer give none.
    void* Allocate(size_t size) override;
    // Null is accepted; a pointer outside the buffer is refused.
    bool Free(void* block) override;

    bool Contains(const void* p) const;
    const void* BufferBegin() const { return m_blocks; }
    const void* BufferEnd() const;
    int32_t BlockCount() const { return m_blockCount; }
    int32_t UsedCount() const { return m_usedCount; }
    // One report per block still in use; returns how many there were.
    int32_t ReportLeaks(ILeakReportSink& sink) const;

private:
    bool IsUsed(int32_t slot) const;

    void* m_buffer = nullptr;
    unsigned char* m_blocks = nullptr;
    uint64_t* m_used = nullptr;    // one bit per slot
    uint64_t* m_full = nullptr;    // one bit per word of m_used: the word has no free slot
    int32_t m_blockCount = 0;
    int32_t m_wordCount = 0;
    int32_t m_summaryCount = 0;
    int32_t m_usedCount = 0;
};

}}} // namespace Quorvel::Base::Allocator
