#pragma once
#include <cstdint>
#include <list>

#include "sheet/CommandData.h"

// The playing time sheet exactly as first written: a linked list, a full bubble sort after
// every insertion and a walk over the whole list on every lookup. Slow by construction; the
// tests hold the real sheet to its results.
class CReferenceTimeSheet {
public:
    void Append(const CommandData& c) { m_list.push_back(c); }

    void AddCommand(int32_t time, int32_t pattern, int32_t level)
    {
        m_list.push_back(CommandData(time, pattern, level));
        for (auto i = m_list.begin(); std::next(i) != m_list.end(); ++i) {
            for (auto j = std::prev(m_list.end()); j != i; --j) {
                auto before = std::prev(j);
                if (j->time < before->time)
                    std::swap(*j, *before);
            }
        }
    }

    bool HasCommandAt(int32_t time) const
    {
        for (const CommandData& c : m_list)
            if (c.time == time)
                return true;
        return false;
    }

    void RemoveCommandAt(int32_t time)
    {
        for (auto i = m_list.begin(); i != m_list.end(); ++i) {
            if (i->time == time) {
                m_list.erase(i);
                return;
            }
        }
    }

    bool LatestAt(int32_t t, CommandData& out) const
    {
        if (t <= 0 || m_list.empty())
            return false;
        out = CommandData();
        for (const CommandData& c : m_list)
            if (c.time <= t)
                out = c;
        return true;
    }

    const std::list<CommandData>& List() const { return m_list; }

private:
    std::list<CommandData> m_list;
};
