#include <gtest/gtest.h>

#include <vector>

#include "base/math/Counter.h"

using Quorvel::Base::Math::CLinearCounter;

namespace {
std::vector<int> WalkToEnd(CLinearCounter& c)
{
    std::vector<int> values{c.GetValue()};
    while (!c.IsEnd()) {
        c.Next();
        values.push_back(c.GetValue());
    }
    return values;
}
} // namespace

TEST(LinearCounter, StepsFromStartToEnd)
{
    struct Case {
        int from, to, steps;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {600, 585, 5, {600, 597, 594, 591, 588, 585}},
        {585, 600, 5, {585, 588, 591, 594, 597, 600}},
        {0, 10, 3, {0, 3, 6, 10}},
        {10, 0, -4, {10, 8, 5, 3, 0}},
        {0, 0, 0, {0, 0}},
        {-7, 7, 2, {-7, 0, 7}},
    };
    for (const Case& k : cases) {
        CLinearCounter c;
        c.Start(k.from, k.to, k.steps);
        EXPECT_TRUE(c.IsBegin()) << k.from << "->" << k.to;
        EXPECT_EQ(WalkToEnd(c), k.expected) << k.from << "->" << k.to << " in " << k.steps;
        c.Next();
        EXPECT_EQ(c.GetValue(), k.to);
        EXPECT_TRUE(c.IsEnd());
    }
}

TEST(LinearCounter, ZeroOrNegativeStepCounts)
{
    CLinearCounter c;
    c.Start(0, 0, 0);
    EXPECT_EQ(c.GetSteps(), 1);
    EXPECT_TRUE(c.IsBegin());
    EXPECT_FALSE(c.IsEnd());
    c.Next();
    EXPECT_TRUE(c.IsEnd());

    c.Start(10, 0, -4);
    EXPECT_EQ(c.GetSteps(), 4);
}

TEST(LinearCounter, SetStepTakesMagnitudeAndClamps)
{
    CLinearCounter c;
    c.Start(0, 100, 5);
    c.SetStep(-3);
    EXPECT_EQ(c.GetStep(), 3);
    EXPECT_EQ(c.GetValue(), 60);
    c.SetStep(99);
    EXPECT_EQ(c.GetStep(), 5);
    EXPECT_EQ(c.GetValue(), 100);
    c.Prev();
    EXPECT_EQ(c.GetStep(), 4);
    EXPECT_EQ(c.GetValue(), 80);
}

TEST(LinearCounter, PrevAtBeginChangesNothing)
{
    CLinearCounter c;
    c.Start(3, 9, 2);
    c.Prev();
    EXPECT_EQ(c.GetStep(), 0);
    EXPECT_EQ(c.GetValue(), 3);
    EXPECT_TRUE(c.IsBegin());
}

TEST(LinearCounter, NeverStartedIsBothBeginAndEnd)
{
    CLinearCounter c;
    EXPECT_EQ(c.GetSteps(), 0);
    EXPECT_TRUE(c.IsBegin());
    EXPECT_TRUE(c.IsEnd());
    EXPECT_EQ(c.GetValue(), 0);
    c.Next();
    EXPECT_EQ(c.GetStep(), 0);
    EXPECT_EQ(c.GetValue(), 0);
}
