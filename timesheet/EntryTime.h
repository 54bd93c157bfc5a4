#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "device/CommandData.h"

// The key of a time-line entry: its tenth of a second, trunc(seconds x 10), saturated.
inline int32_t EntryKey(double seconds)
{
    return SaturatedInt32(std::trunc(seconds * 10.0));
}

// The command time (ten-thousandths of a second) of a time the editor holds. An entry keeps
// its time in tenths as a double, so a record read as 287 comes back as 286.99999999999997:
// a value within floating-point noise of a whole number is that number, anything else is
// truncated. Every place where the editor names a device command uses this, so that saving,
// deleting and re-patterning find the command that loading or inserting made.
inline int32_t EditorCommandTime(double seconds)
{
    const double value = seconds * 10000.0;
    const double nearest = std::nearbyint(value);
    const double noise = std::fabs(value) * 1e-12 > 1e-9 ? std::fabs(value) * 1e-12 : 1e-9;
    return SaturatedInt32(std::fabs(value - nearest) <= noise ? nearest : std::trunc(value));
}

// The key a device command's time falls into, as loading a sheet files its record.
inline int32_t KeyOfCommandTime(int32_t time)
{
    return EntryKey(time / 10000.0);
}

// Every command time whose key is key, [first, last]: what the device plays within the tenth
// of a second that one entry stands for. Times truncate toward zero, so key 0 reaches from
// -0.0999 s to 0.0999 s; floating-point noise moves an end by a step at most.
inline void CommandTimesOfKey(int32_t key, int32_t& first, int32_t& last)
{
    const int64_t base = static_cast<int64_t>(key) * 1000;
    int64_t lo = key > 0 ? base : base - 999;
    int64_t hi = key < 0 ? base : base + 999;
    auto keyOf = [](int64_t t) {
        return KeyOfCommandTime(static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, t))));
    };
    for (int step = 0; step < 3 && keyOf(lo - 1) == key && lo - 1 >= INT32_MIN; ++step)
        --lo;
    for (int step = 0; step < 3 && keyOf(lo) != key && lo < hi; ++step)
        ++lo;
    for (int step = 0; step < 3 && keyOf(hi + 1) == key && hi + 1 <= INT32_MAX; ++step)
        ++hi;
    for (int step = 0; step < 3 && keyOf(hi) != key && hi > lo; ++step)
        --hi;
    first = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, lo));
    last = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, hi));
}
