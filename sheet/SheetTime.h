#pragma once
#include <cmath>
#include <cstdint>

#include "sheet/CommandData.h"

// The three units of media time and the one way between them. A position or a click comes in
// seconds; it becomes a command time (ten-thousandths) once, and its tenth of a second follows
// from that command time, never from the seconds again: the point the graph shows and the
// command the device plays then always fall in the same tenth.

// Ten-thousandths of a second from seconds. A product of seconds and 10000 within floating-point
// noise of a whole number is that number (the player reports 0.8 s as 0.7999999999999999, and a
// record read as 287 comes back as 286.99999999999997 through tenths); anything else is
// truncated. Beyond the 32-bit range it saturates.
inline int32_t CommandTimeOf(double seconds)
{
    const double value = seconds * 10000.0;
    const double nearest = std::nearbyint(value);
    const double noise = std::fabs(value) * 1e-12 > 1e-9 ? std::fabs(value) * 1e-12 : 1e-9;
    return SaturatedInt32(std::fabs(value - nearest) <= noise ? nearest : std::trunc(value));
}

// The tenth of a second a command time falls in. The sheet holds no time before 0.
inline int32_t TenthOfTime(int32_t time)
{
    return time > 0 ? time / 1000 : 0;
}

// The tenth of a position or a click, by way of its command time.
inline int32_t TenthOf(double seconds)
{
    return TenthOfTime(CommandTimeOf(seconds));
}

// The first and last command time of a tenth.
inline int32_t FirstTimeOfTenth(int32_t tenth)
{
    return tenth > 0 ? (tenth > INT32_MAX / 1000 ? INT32_MAX : tenth * 1000) : 0;
}
inline int32_t LastTimeOfTenth(int32_t tenth)
{
    return tenth >= INT32_MAX / 1000 ? INT32_MAX : FirstTimeOfTenth(tenth) + 999;
}

// What the graph shows and the device plays of a value a hand-made file may hold out of range:
// the nearest of the ten patterns and of the eleven levels. The file keeps what it held.
inline int32_t ShownPattern(int32_t pattern)
{
    return pattern < 0 ? 0 : pattern > 9 ? 9 : pattern;
}
inline int32_t ShownLevel(int32_t level)
{
    return level < 0 ? 0 : level > 10 ? 10 : level;
}
