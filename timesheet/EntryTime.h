#pragma once
#include <cmath>
#include <cstdint>

// The key of a time-line entry: its tenth of a second, trunc(seconds x 10). Out-of-range
// times saturate and NaN gives 0, so no double is ever converted out of range.
inline int32_t EntryKey(double seconds)
{
    const double key = std::trunc(seconds * 10.0);
    if (!(key == key))
        return 0;
    if (key >= 2147483647.0)
        return INT32_MAX;
    if (key <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(key);
}

// The command time (ten-thousandths of a second) of a time the editor holds. An entry keeps
// its time in tenths as a double, so a record read as 287 comes back as 286.99999999999997:
// a value within floating-point noise of a whole number is that number, anything else is
// truncated. Every place where the editor names a device command uses this, so that saving,
// deleting and re-patterning find the command that loading or inserting made.
inline int32_t EditorCommandTime(double seconds)
{
    const double value = seconds * 10000.0;
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    const double nearest = std::nearbyint(value);
    const double noise = std::fabs(value) * 1e-12 > 1e-9 ? std::fabs(value) * 1e-12 : 1e-9;
    return static_cast<int32_t>(std::fabs(value - nearest) <= noise ? nearest : std::trunc(value));
}
