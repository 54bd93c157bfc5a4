#include "device/SortedCommandList.h"

#include <algorithm>

void CSortedCommandList::Clear()
{
    m_blocks.clear();
    m_firstTimes.clear();
    m_size = 0;
}

void CSortedCommandList::Assign(const std::vector<CommandData>& commands)
{
    Clear();
    for (std::size_t i = 0; i < commands.size(); i += kBlock) {
        Block block;
        block.commands.assign(commands.begin() + i, commands.begin() + std::min(commands.size(), i + kBlock));
        for (const CommandData& c : block.commands)
            block.times.push_back(c.time);
        m_firstTimes.push_back(block.times.front());
        m_blocks.push_back(std::move(block));
    }
    m_size = commands.size();
}

std::vector<CommandData> CSortedCommandList::ToVector() const
{
    std::vector<CommandData> out;
    out.reserve(m_size);
    for (const Block& block : m_blocks)
        out.insert(out.end(), block.commands.begin(), block.commands.end());
    return out;
}

const CommandData* CSortedCommandList::At(std::size_t index) const
{
    for (const Block& block : m_blocks) {
        if (index < block.commands.size())
            return &block.commands[index];
        index -= block.commands.size();
    }
    return nullptr;
}

std::size_t CSortedCommandList::BlockFor(int32_t t) const
{
    const auto it = std::upper_bound(m_firstTimes.begin(), m_firstTimes.end(), t);
    return it == m_firstTimes.begin() ? 0 : static_cast<std::size_t>(it - m_firstTimes.begin()) - 1;
}

// Every block after the last one whose first time is at or before t starts later than t,
// so the last command at or before t, if any, is in that block.
const CommandData* CSortedCommandList::LastAtOrBefore(int32_t t) const
{
    if (m_blocks.empty() || t < m_firstTimes.front())
        return nullptr;
    const Block& block = m_blocks[BlockFor(t)];
    const auto after = std::upper_bound(block.times.begin(), block.times.end(), t);
    return &block.commands[static_cast<std::size_t>(after - block.times.begin()) - 1];
}

bool CSortedCommandList::FindFirstAtOrAfter(int32_t t, std::size_t& block, std::size_t& index) const
{
    // Equal times may spill over a block boundary: start in the last block that begins
    // strictly before t.
    const auto it = std::lower_bound(m_firstTimes.begin(), m_firstTimes.end(), t);
    block = it == m_firstTimes.begin() ? 0 : static_cast<std::size_t>(it - m_firstTimes.begin()) - 1;
    for (; block < m_blocks.size(); ++block) {
        const std::vector<int32_t>& times = m_blocks[block].times;
        const auto at = std::lower_bound(times.begin(), times.end(), t);
        if (at != times.end()) {
            index = static_cast<std::size_t>(at - times.begin());
            return true;
        }
    }
    return false;
}

bool CSortedCommandList::Contains(int32_t t) const
{
    std::size_t block = 0, index = 0;
    return FindFirstAtOrAfter(t, block, index) && m_blocks[block].times[index] == t;
}

std::size_t CSortedCommandList::TimesBetween(int32_t after, int32_t before, int32_t* out, std::size_t most) const
{
    std::size_t block = 0, index = 0, count = 0;
    if (after == INT32_MAX || !FindFirstAtOrAfter(after + 1, block, index))
        return 0;
    for (; block < m_blocks.size(); ++block, index = 0) {
        const std::vector<int32_t>& times = m_blocks[block].times;
        for (; index < times.size(); ++index) {
            if (times[index] >= before)
                return count;
            if (count > 0 && out[count - 1] == times[index])
                continue;
            if (count == most)
                return count;
            out[count++] = times[index];
        }
    }
    return count;
}

void CSortedCommandList::Insert(const CommandData& c)
{
    if (m_blocks.empty()) {
        m_blocks.push_back(Block{{c.time}, {c}});
        m_firstTimes.push_back(c.time);
        m_size = 1;
        return;
    }
    const std::size_t i = BlockFor(c.time);
    Block& block = m_blocks[i];
    const auto at = std::upper_bound(block.times.begin(), block.times.end(), c.time);
    block.commands.insert(block.commands.begin() + (at - block.times.begin()), c);
    block.times.insert(at, c.time);
    m_firstTimes[i] = block.times.front();
    ++m_size;
    if (block.times.size() >= 2 * kBlock) {
        Block upper;
        upper.times.assign(block.times.begin() + kBlock, block.times.end());
        upper.commands.assign(block.commands.begin() + kBlock, block.commands.end());
        block.times.resize(kBlock);
        block.commands.resize(kBlock);
        m_firstTimes.insert(m_firstTimes.begin() + i + 1, upper.times.front());
        m_blocks.insert(m_blocks.begin() + i + 1, std::move(upper));
    }
}

bool CSortedCommandList::RemoveFirst(int32_t t)
{
    std::size_t i = 0, index = 0;
    if (!FindFirstAtOrAfter(t, i, index) || m_blocks[i].times[index] != t)
        return false;
    Block& block = m_blocks[i];
    block.times.erase(block.times.begin() + index);
    block.commands.erase(block.commands.begin() + index);
    --m_size;
    if (block.times.empty()) {
        m_blocks.erase(m_blocks.begin() + i);
        m_firstTimes.erase(m_firstTimes.begin() + i);
    } else {
        m_firstTimes[i] = block.times.front();
    }
    return true;
}
