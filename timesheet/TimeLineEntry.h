#pragma once
#include <cstdint>
#include <set>

#include "sheet/SheetDocument.h"

// One point of the time line: the last record of its tenth of a second, and whether the user
// selected it. Where it is drawn follows from its key and level and the graph's geometry.
struct CTimeLineEntry {
    int32_t key = 0;
    // The record's own time, in ten-thousandths.
    int32_t time = 0;
    int32_t pattern = 0;
    int32_t level = 0;
    bool selected = false;
};

// The time line's points as the sheet document holds them, with the view's selection: a view,
// not a copy, so the graph can never show other points than the sheet has.
class CTimeLineEntries {
public:
    CTimeLineEntries(const CSheetDocument& document, const std::set<int32_t>& selected)
        : m_tenths(document.ByTenth()), m_selected(selected)
    {
    }

    bool Empty() const { return m_tenths.empty(); }
    size_t Count() const { return m_tenths.size(); }
    bool Find(int32_t key, CTimeLineEntry& entry) const
    {
        const auto found = m_tenths.find(key);
        if (found == m_tenths.end())
            return false;
        entry = Make(*found);
        return true;
    }
    // visit(entry) for every point with a key in [first, last], in key order, until it
    // answers false; false when it did.
    template <typename Visit>
    bool Walk(int32_t first, int32_t last, Visit&& visit) const
    {
        for (auto it = m_tenths.lower_bound(first); it != m_tenths.end() && it->first <= last; ++it)
            if (!visit(Make(*it)))
                return false;
        return true;
    }
    // The first key after key (false when none), and the last one before it.
    bool KeyAfter(int32_t key, int32_t& after) const
    {
        const auto found = m_tenths.upper_bound(key);
        if (found == m_tenths.end())
            return false;
        after = found->first;
        return true;
    }
    bool KeyBefore(int32_t key, int32_t& before) const
    {
        auto found = m_tenths.lower_bound(key);
        if (found == m_tenths.begin())
            return false;
        before = (--found)->first;
        return true;
    }
    int32_t FirstKey() const { return m_tenths.empty() ? 0 : m_tenths.begin()->first; }
    int32_t LastKey() const { return m_tenths.empty() ? 0 : m_tenths.rbegin()->first; }

private:
    CTimeLineEntry Make(const CSheetDocument::Tenths::value_type& tenth) const
    {
        const CommandData& record = tenth.second.back();
        CTimeLineEntry entry;
        entry.key = tenth.first;
        entry.time = record.time;
        entry.pattern = record.pattern;
        entry.level = record.level;
        entry.selected = m_selected.count(tenth.first) != 0;
        return entry;
    }

    const CSheetDocument::Tenths& m_tenths;
    const std::set<int32_t>& m_selected;
};
