#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/file/Serialize.h"

// A whole number held in a double as a 32-bit integer: beyond the range it saturates and NaN
// gives 0, so no caller ever converts an out-of-range double to an integer.
inline int32_t SaturatedInt32(double whole)
{
    if (!(whole == whole))
        return 0;
    if (whole >= 2147483647.0)
        return INT32_MAX;
    if (whole <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(whole);
}

// Media time in ten-thousandths of a second: trunc(seconds x 10000), the product taken in
// double precision. A time outside the 32-bit range (about 59 hours) saturates.
inline int32_t CommandTimeFromSeconds(double seconds)
{
    return SaturatedInt32(std::trunc(seconds * 10000.0));
}

// A record field of a *.tms file read as "%d" reads it: optional white space and sign, then
// decimal digits up to the first other character. No digits give 0; a value past the 32-bit
// range saturates instead of wrapping.
inline int32_t ParseRecordField(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) {
            value = 2147483648LL;
            break;
        }
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

// One time-sheet command as the device manager plays it and the *.tms file stores it.
// time is media time in ten-thousandths of a second; the two further integers are 0 except
// while a save is being prepared (the first then holds the command's running index).
class CommandData : public Quorvel::Base::File::ISerialize {
public:
    CommandData() = default;
    CommandData(int32_t time_, int32_t pattern_, int32_t level_, int32_t extra1_ = 0,
                int32_t extra2_ = 0)
        : time(time_), pattern(pattern_), level(level_), extra1(extra1_), extra2(extra2_)
    {
    }

    void Serialize(Quorvel::Base::File::ISerializer& serializer) override
    {
        serializer.Serialize(time);
        serializer.Serialize(pattern);
        serializer.Serialize(level);
        serializer.Serialize(extra1);
        serializer.Serialize(extra2);
    }

    bool operator==(const CommandData& other) const
    {
        return time == other.time && pattern == other.pattern && level == other.level &&
               extra1 == other.extra1 && extra2 == other.extra2;
    }
    bool operator!=(const CommandData& other) const { return !(*this == other); }

    int32_t time = 0;
    int32_t pattern = 0;
    int32_t level = 0;
    int32_t extra1 = 0;
    int32_t extra2 = 0;
};
