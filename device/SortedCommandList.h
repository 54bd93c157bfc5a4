#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sheet/CommandData.h"

// Commands kept in ascending time, equal times in the order they were inserted, as a row of
// short sorted blocks. A lookup is a binary search over the blocks' first times and then one
// inside one small contiguous block, so even a jump across a long sheet touches little
// memory; an insertion moves at most one block's elements (and, on a split, the block
// table). Not locked: the owner locks.
class CSortedCommandList {
public:
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    void Clear();
    // commands must already be in time order.
    void Assign(const std::vector<CommandData>& commands);
    std::vector<CommandData> ToVector() const;

    const CommandData* At(std::size_t index) const;
    // The last command whose time is at or before t, or null when every command is later.
    const CommandData* LastAtOrBefore(int32_t t) const;
    bool Contains(int32_t t) const;
    // The distinct times after `after` and before `before`, earliest first, at most `most` of
    // them; how many were written.
    std::size_t TimesBetween(int32_t after, int32_t before, int32_t* out, std::size_t most) const;
    // After every command whose time is at or before c's.
    void Insert(const CommandData& c);
    // The first command whose time is exactly t; false when there is none.
    bool RemoveFirst(int32_t t);

private:
    static constexpr std::size_t kBlock = 64;

    // The block that holds the first command at or after t, and the index in it; false when
    // every command is earlier than t.
    bool FindFirstAtOrAfter(int32_t t, std::size_t& block, std::size_t& index) const;
    // The last block whose first time is at or before t; 0 when there is none.
    std::size_t BlockFor(int32_t t) const;

    // A block's times sit apart from its commands, so a search reads a few cache lines of
    // plain integers and touches one command.
    struct Block {
        std::vector<int32_t> times;
        std::vector<CommandData> commands;
    };

    std::vector<Block> m_blocks;       // never an empty block
    std::vector<int32_t> m_firstTimes; // m_blocks[i].times.front()
    std::size_t m_size = 0;
};
