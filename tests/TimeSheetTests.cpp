#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/TimeSheet.h"
#include "support/MemorySerializer.h"
#include "support/ReferenceTimeSheet.h"

namespace {

std::vector<CommandData> Commands(TimeSheet& sheet)
{
    std::vector<CommandData> out;
    CommandData c;
    for (int i = 0; sheet.CommandAt(i, c); ++i)
        out.push_back(c);
    return out;
}

std::vector<CommandData> Commands(const CReferenceTimeSheet& reference)
{
    return std::vector<CommandData>(reference.List().begin(), reference.List().end());
}

// Fills the sheet with commands in the given list order, as a load would.
void Load(TimeSheet& sheet, const std::vector<CommandData>& commands)
{
    CMemorySerializer s;
    for (int i = 0; i < TimeSheet::kHeaderLines; ++i)
        s.Strings().push_back("h" + std::to_string(i));
    s.Ints().push_back(static_cast<int32_t>(commands.size()));
    for (const CommandData& c : commands)
        s.Ints().insert(s.Ints().end(), {c.time, c.pattern, c.level, c.extra1, c.extra2});
    s.StartLoading();
    sheet.Serialize(s);
}

std::string Describe(const CommandData& c)
{
    return "{" + std::to_string(c.time) + "," + std::to_string(c.pattern) + "," + std::to_string(c.level) + "}";
}

// A small deterministic generator, so a failure replays.
struct Lcg {
    uint32_t state;
    uint32_t Next(uint32_t bound)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    }
};

} // namespace

// Every operation, on sheets loaded sorted and unsorted with many equal times, answers as
// the whole-list walk and bubble sort do, and leaves the same list behind.
TEST(TimeSheet, MatchesTheWholeListRulesOnRandomEdits)
{
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        Lcg rng{seed};
        const bool sorted = seed % 2 == 0;
        std::vector<CommandData> initial;
        int32_t time = 0;
        for (uint32_t i = 0, n = rng.Next(30); i < n; ++i) {
            time = sorted ? time + static_cast<int32_t>(rng.Next(3)) * 500 : static_cast<int32_t>(rng.Next(12)) * 500;
            initial.push_back(CommandData(time, static_cast<int32_t>(i), static_cast<int32_t>(rng.Next(11))));
        }
        TimeSheet sheet;
        CReferenceTimeSheet reference;
        Load(sheet, initial);
        for (const CommandData& c : initial)
            reference.Append(c);

        for (int step = 0; step < 200; ++step) {
            const int32_t t = static_cast<int32_t>(rng.Next(14)) * 500 - 500 + (rng.Next(4) == 0 ? 1 : 0);
            switch (rng.Next(5)) {
            case 0:
                sheet.AddCommand(t, 100 + step, step % 11);
                reference.AddCommand(t, 100 + step, step % 11);
                break;
            case 1:
                sheet.RemoveCommandAt(t);
                reference.RemoveCommandAt(t);
                break;
            case 2:
                ASSERT_EQ(sheet.HasCommandAt(t), reference.HasCommandAt(t)) << "seed " << seed << " t " << t;
                break;
            default: {
                CommandData got(-1, -1, -1), want(-1, -1, -1);
                const bool found = sheet.LatestAt(t, got);
                ASSERT_EQ(found, reference.LatestAt(t, want)) << "seed " << seed << " t " << t;
                if (found) {
                    ASSERT_EQ(got, want) << "seed " << seed << " t " << t << ": " << Describe(got) << " vs "
                                         << Describe(want);
                }
            }
            }
            ASSERT_EQ(Commands(sheet), Commands(reference)) << "seed " << seed << " step " << step;
        }
    }
}

TEST(TimeSheet, LatestAtFindsNothingAtOrBeforeZeroAndZeroBeforeTheFirstCommand)
{
    TimeSheet sheet;
    CommandData c;
    EXPECT_FALSE(sheet.LatestAt(50000, c)) << "empty sheet";
    sheet.AddCommand(0, 4, 4);
    sheet.AddCommand(50000, 1, 3);
    EXPECT_FALSE(sheet.LatestAt(0, c));
    EXPECT_FALSE(sheet.LatestAt(-5, c));
    ASSERT_TRUE(sheet.LatestAt(1, c));
    EXPECT_EQ(c, CommandData(0, 4, 4));

    TimeSheet late;
    late.AddCommand(50000, 1, 3);
    c = CommandData(9, 9, 9);
    ASSERT_TRUE(late.LatestAt(49999, c));
    EXPECT_EQ(c, CommandData()) << "before the first command the due command is the all-zero one";
}

TEST(TimeSheet, EqualTimesKeepTheOrderTheyWereAddedIn)
{
    TimeSheet sheet;
    sheet.AddCommand(20000, 1, 1);
    sheet.AddCommand(10000, 2, 2);
    sheet.AddCommand(20000, 3, 3);
    sheet.AddCommand(20000, 4, 4);
    CommandData c;
    ASSERT_TRUE(sheet.LatestAt(20000, c));
    EXPECT_EQ(c.pattern, 4) << "the one furthest down the list wins";
    sheet.RemoveCommandAt(20000);
    EXPECT_EQ(Commands(sheet), (std::vector<CommandData>{{10000, 2, 2}, {20000, 3, 3}, {20000, 4, 4}}))
        << "the first of the equal times goes";
}

TEST(TimeSheet, SerializesHeaderAndCommandsAndRefusesADamagedCount)
{
    TimeSheet sheet;
    Load(sheet, {{50000, 2, 5}, {20000, 1, 3, 7, 8}});
    CMemorySerializer store;
    sheet.Serialize(store);
    ASSERT_EQ(store.Strings().size(), 10u);
    EXPECT_EQ(store.Ints(), (std::vector<int32_t>{2, 50000, 2, 5, 0, 0, 20000, 1, 3, 7, 8}))
        << "the count, then each command's five integers in list order";

    store.StartLoading();
    TimeSheet copy;
    copy.Serialize(store);
    EXPECT_EQ(Commands(copy), Commands(sheet));
    EXPECT_FALSE(copy.IsSorted());

    for (int32_t count : {-1, INT32_MAX}) {
        CMemorySerializer damaged;
        damaged.Strings().assign(10, "h");
        damaged.Ints() = {count, 1, 2, 3, 0, 0};
        damaged.StartLoading();
        copy.Serialize(damaged);
        EXPECT_EQ(copy.Count(), 0) << count;
    }
}
