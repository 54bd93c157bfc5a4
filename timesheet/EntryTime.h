#pragma once
#include <cmath>
#include <cstdint>

#include "timesheet/CommandData.h"

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
