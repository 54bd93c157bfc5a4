#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "device/SortedCommandList.h"

// Thousands of commands on a few dozen distinct times: blocks split, and runs of equal times
// straddle block boundaries, where the first, the last and the insertion point of a run are
// easiest to get wrong. A flat vector with the same rules is the yardstick.
TEST(SortedCommandList, AgreesWithAFlatSortedListAcrossBlockSplits)
{
    CSortedCommandList list;
    std::vector<CommandData> flat;
    uint32_t state = 99;
    auto next = [&state](uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    auto byTime = [](int32_t t, const CommandData& c) { return t < c.time; };
    auto timeBelow = [](const CommandData& c, int32_t t) { return c.time < t; };

    for (int step = 0; step < 6000; ++step) {
        const int32_t t = static_cast<int32_t>(next(40)) * 10 - 20;
        if (next(5) == 0) {
            auto at = std::lower_bound(flat.begin(), flat.end(), t, timeBelow);
            const bool present = at != flat.end() && at->time == t;
            if (present)
                flat.erase(at);
            ASSERT_EQ(list.RemoveFirst(t), present) << step;
        } else {
            const CommandData c(t, step, step % 11);
            flat.insert(std::upper_bound(flat.begin(), flat.end(), t, byTime), c);
            list.Insert(c);
        }
        const int32_t probe = static_cast<int32_t>(next(42)) * 10 - 30;
        auto after = std::upper_bound(flat.begin(), flat.end(), probe, byTime);
        const CommandData* last = list.LastAtOrBefore(probe);
        if (after == flat.begin()) {
            ASSERT_EQ(last, nullptr) << step;
        } else {
            ASSERT_NE(last, nullptr) << step;
            ASSERT_EQ(*last, *(after - 1)) << step << " probe " << probe;
        }
        auto first = std::lower_bound(flat.begin(), flat.end(), probe, timeBelow);
        ASSERT_EQ(list.Contains(probe), first != flat.end() && first->time == probe) << step;
    }
    ASSERT_GT(flat.size(), 2000u) << "enough to split blocks many times";
    EXPECT_EQ(list.ToVector(), flat);
    EXPECT_EQ(list.Size(), flat.size());
    ASSERT_NE(list.At(flat.size() - 1), nullptr);
    EXPECT_EQ(*list.At(flat.size() - 1), flat.back());
    EXPECT_EQ(list.At(flat.size()), nullptr);

    CSortedCommandList assigned;
    assigned.Assign(flat);
    EXPECT_EQ(assigned.ToVector(), flat);
    const CommandData* last = assigned.LastAtOrBefore(flat[700].time);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(*last, *(std::upper_bound(flat.begin(), flat.end(), flat[700].time, byTime) - 1));
}
