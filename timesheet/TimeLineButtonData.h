#pragma once
#include <cstdint>

#include "base/file/Serialize.h"

// One time-line entry: the pattern and level the device takes from its time on, where its
// point sits on the graph when the playback position is 0, and its time in tenths of a
// second with the fraction kept (the key is the truncated time).
class CTimeLineButtonData : public Quorvel::Base::File::ISerialize {
public:
    CTimeLineButtonData() = default;
    CTimeLineButtonData(int32_t pattern_, int32_t level_, int32_t x_, int32_t y_, double time_)
        : pattern(pattern_), level(level_), x(x_), y(y_), time(time_)
    {
    }

    void Serialize(Quorvel::Base::File::ISerializer& serializer) override
    {
        serializer.Serialize(time);
        serializer.Serialize(pattern);
        serializer.Serialize(level);
        serializer.Serialize(x);
        serializer.Serialize(y);
    }

    int32_t pattern = 0;
    int32_t level = 0;
    int32_t x = 0;
    int32_t y = 0;
    double time = 0.0;
};
