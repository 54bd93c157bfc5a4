#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/file/Serialize.h"
#include "base/thread/CriticalSection.h"
#include "device/SortedCommandList.h"
#include "sheet/CommandData.h"

// The device manager's playing copy of a time sheet: the file's ten header lines and its
// commands in list order. The manager keeps it in step with the sheet document; nothing else
// should change a playing sheet that a document is behind.
//
// List order is time order with equal times in the order they were added (or read from a
// file). Only commands loaded through ISerialize keep an order of their own, until the first
// edit sorts the list. The sorted list lives in a row of short sorted
// blocks (a tick finds its command in O(log n), an insertion moves one block); an unsorted
// one lives in a vector with a time index beside it, which answers "the last command in list
// order at or before t" in O(log n) as well.
//
// Every operation takes the sheet's lock; commands are handed out by copy, so no caller holds
// the lock while it talks to the device.
class TimeSheet : public Quorvel::Base::File::ISerialize {
public:
    static constexpr int kHeaderLines = 10;
    // More commands than one per tenth of a second over the whole 32-bit time range.
    static constexpr int32_t kMaxSerializedCommands = 1 << 22;

    TimeSheet() = default;
    TimeSheet(const TimeSheet&) = delete;
    TimeSheet& operator=(const TimeSheet&) = delete;

    // The header lines (each up to its first space, tab or comma, as a file's header reads)
    // and the commands, which must be in time order, replace the sheet's.
    void Assign(const std::string (&header)[kHeaderLines], const std::vector<CommandData>& commands);
    // The commands with times in [first, last] become commands, which lie in that span in time
    // order.
    void ReplaceSpan(int32_t first, int32_t last, const std::vector<CommandData>& commands);

    // Inserts after every command whose time is at most time: the list ends up sorted with
    // equal times in the order they were added.
    void AddCommand(int32_t time, int32_t pattern, int32_t level);
    bool HasCommandAt(int32_t time);
    // Erases the first command in list order whose time is exactly time.
    void RemoveCommandAt(int32_t time);
    bool CommandAt(int index, CommandData& out);
    // The last command in list order whose time is at or before t, or the all-zero command
    // when none is. Finds nothing (false) when t is 0 or less or the sheet is empty.
    bool LatestAt(int32_t t, CommandData& out);
    // The distinct times after `after` and before `before` at which LatestAt may find another
    // command, earliest first, at most `most` of them; how many were written.
    size_t TimesBetween(int32_t after, int32_t before, int32_t* out, size_t most);
    // Empties the command list; the header lines stay.
    void Clear();

    int Count();
    bool IsSorted();
    std::string HeaderLine(int index);

    // The ten header lines, then (stored) the command count and each command; loading
    // clears the list first and appends the commands in the order they come.
    void Serialize(Quorvel::Base::File::ISerializer& serializer) override;

private:
    struct IndexEntry {
        int32_t time;
        int32_t lastListIndex; // the largest list index among all entries up to this one
    };

    void AdoptLocked(std::vector<CommandData>&& commands);
    void BuildIndexLocked();
    void SortLocked();
    std::vector<CommandData> ListLocked() const;

    std::string m_header[kHeaderLines];
    // Exactly one of the two holds the commands (both are empty for an empty sheet).
    CSortedCommandList m_sorted;
    std::vector<CommandData> m_unsorted;
    std::vector<IndexEntry> m_unsortedIndex;
    Quorvel::Base::Thread::CCriticalSection m_lock;
};
