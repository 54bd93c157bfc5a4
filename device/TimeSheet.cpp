#include "device/TimeSheet.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "sheet/TimeSheetFile.h"

using Quorvel::Base::File::ISerializer;
using Quorvel::Base::Thread::CCriticalLock;

namespace {

bool IsInTimeOrder(const std::vector<CommandData>& commands)
{
    return std::is_sorted(commands.begin(), commands.end(),
                          [](const CommandData& a, const CommandData& b) { return a.time < b.time; });
}

} // namespace

void TimeSheet::Assign(const std::string (&header)[kHeaderLines], const std::vector<CommandData>& commands)
{
    std::string fields[kHeaderLines];
    for (int i = 0; i < kHeaderLines; ++i)
        fields[i] = HeaderField(header[i]);
    std::vector<CommandData> copy = commands;
    CCriticalLock lock(&m_lock);
    for (int i = 0; i < kHeaderLines; ++i)
        m_header[i].swap(fields[i]);
    AdoptLocked(std::move(copy));
}

void TimeSheet::ReplaceSpan(int32_t first, int32_t last, const std::vector<CommandData>& commands)
{
    CCriticalLock lock(&m_lock);
    SortLocked();
    for (const CommandData* c = m_sorted.LastAtOrBefore(last); c != nullptr && c->time >= first;
         c = m_sorted.LastAtOrBefore(last))
        m_sorted.RemoveFirst(c->time);
    for (const CommandData& c : commands)
        m_sorted.Insert(CommandData(c.time, c.pattern, c.level));
}

void TimeSheet::AdoptLocked(std::vector<CommandData>&& commands)
{
    m_sorted.Clear();
    m_unsorted.clear();
    m_unsortedIndex.clear();
    if (IsInTimeOrder(commands)) {
        m_sorted.Assign(commands);
        return;
    }
    m_unsorted = std::move(commands);
    BuildIndexLocked();
}

void TimeSheet::BuildIndexLocked()
{
    m_unsortedIndex.clear();
    m_unsortedIndex.reserve(m_unsorted.size());
    for (size_t i = 0; i < m_unsorted.size(); ++i)
        m_unsortedIndex.push_back({m_unsorted[i].time, static_cast<int32_t>(i)});
    std::sort(m_unsortedIndex.begin(), m_unsortedIndex.end(),
              [](const IndexEntry& a, const IndexEntry& b) { return a.time < b.time; });
    int32_t last = -1;
    for (IndexEntry& e : m_unsortedIndex) {
        last = std::max(last, e.lastListIndex);
        e.lastListIndex = last;
    }
}

// Sorting by time with equal times kept in list order is what the first insertion into a
// file read out of order does; from then on the list stays sorted.
void TimeSheet::SortLocked()
{
    if (m_unsorted.empty())
        return;
    std::vector<CommandData> commands;
    commands.swap(m_unsorted);
    std::stable_sort(commands.begin(), commands.end(),
                     [](const CommandData& a, const CommandData& b) { return a.time < b.time; });
    AdoptLocked(std::move(commands));
}

void TimeSheet::AddCommand(int32_t time, int32_t pattern, int32_t level)
{
    CCriticalLock lock(&m_lock);
    SortLocked();
    m_sorted.Insert(CommandData(time, pattern, level));
}

bool TimeSheet::HasCommandAt(int32_t time)
{
    CCriticalLock lock(&m_lock);
    if (!m_unsorted.empty()) {
        auto it = std::lower_bound(m_unsortedIndex.begin(), m_unsortedIndex.end(), time,
                                   [](const IndexEntry& e, int32_t t) { return e.time < t; });
        return it != m_unsortedIndex.end() && it->time == time;
    }
    return m_sorted.Contains(time);
}

void TimeSheet::RemoveCommandAt(int32_t time)
{
    CCriticalLock lock(&m_lock);
    if (!m_unsorted.empty()) {
        auto it = std::find_if(m_unsorted.begin(), m_unsorted.end(),
                               [time](const CommandData& c) { return c.time == time; });
        if (it == m_unsorted.end())
            return;
        m_unsorted.erase(it);
        std::vector<CommandData> commands;
        commands.swap(m_unsorted);
        AdoptLocked(std::move(commands));
        return;
    }
    m_sorted.RemoveFirst(time);
}

bool TimeSheet::CommandAt(int index, CommandData& out)
{
    CCriticalLock lock(&m_lock);
    if (index < 0)
        return false;
    const size_t i = static_cast<size_t>(index);
    if (!m_unsorted.empty()) {
        if (i >= m_unsorted.size())
            return false;
        out = m_unsorted[i];
        return true;
    }
    const CommandData* c = m_sorted.At(i);
    if (c == nullptr)
        return false;
    out = *c;
    return true;
}

bool TimeSheet::LatestAt(int32_t t, CommandData& out)
{
    CCriticalLock lock(&m_lock);
    if (t <= 0 || (m_sorted.Empty() && m_unsorted.empty()))
        return false;
    if (!m_unsorted.empty()) {
        auto it = std::upper_bound(m_unsortedIndex.begin(), m_unsortedIndex.end(), t,
                                   [](int32_t v, const IndexEntry& e) { return v < e.time; });
        out = it == m_unsortedIndex.begin() ? CommandData() : m_unsorted[std::prev(it)->lastListIndex];
        return true;
    }
    const CommandData* c = m_sorted.LastAtOrBefore(t);
    out = c ? *c : CommandData();
    return true;
}

size_t TimeSheet::TimesBetween(int32_t after, int32_t before, int32_t* out, size_t most)
{
    CCriticalLock lock(&m_lock);
    if (m_unsorted.empty())
        return m_sorted.TimesBetween(after, before, out, most);
    // The index holds every time of the list in order, so its times are where the answer of
    // LatestAt can change.
    auto it = std::upper_bound(m_unsortedIndex.begin(), m_unsortedIndex.end(), after,
                               [](int32_t v, const IndexEntry& e) { return v < e.time; });
    size_t count = 0;
    for (; it != m_unsortedIndex.end() && it->time < before; ++it) {
        if (count > 0 && out[count - 1] == it->time)
            continue;
        if (count == most)
            break;
        out[count++] = it->time;
    }
    return count;
}

void TimeSheet::Clear()
{
    CCriticalLock lock(&m_lock);
    m_sorted.Clear();
    m_unsorted.clear();
    m_unsortedIndex.clear();
}

int TimeSheet::Count()
{
    CCriticalLock lock(&m_lock);
    return static_cast<int>(m_unsorted.empty() ? m_sorted.Size() : m_unsorted.size());
}

bool TimeSheet::IsSorted()
{
    CCriticalLock lock(&m_lock);
    return m_unsorted.empty();
}

std::string TimeSheet::HeaderLine(int index)
{
    CCriticalLock lock(&m_lock);
    if (index < 0 || index >= kHeaderLines)
        return std::string();
    return m_header[index];
}

void TimeSheet::Serialize(ISerializer& serializer)
{
    CCriticalLock lock(&m_lock);
    for (std::string& line : m_header)
        serializer.Serialize(line);

    if (!serializer.IsLoading()) {
        std::vector<CommandData> commands = ListLocked();
        int32_t count = static_cast<int32_t>(commands.size());
        serializer.Serialize(count);
        for (CommandData& c : commands)
            c.Serialize(serializer);
        return;
    }

    // The count comes from outside and a serializer cannot say that its data has ended, so
    // a count no sheet can reach is taken as damage and loads nothing rather than
    // allocating without bound.
    int32_t count = 0;
    serializer.Serialize(count);
    std::vector<CommandData> commands;
    if (count > 0 && count <= kMaxSerializedCommands) {
        commands.resize(static_cast<size_t>(count));
        for (CommandData& c : commands)
            c.Serialize(serializer);
    }
    AdoptLocked(std::move(commands));
}

std::vector<CommandData> TimeSheet::ListLocked() const
{
    return m_unsorted.empty() ? m_sorted.ToVector() : m_unsorted;
}
