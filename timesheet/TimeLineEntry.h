#pragma once
#include <cstdint>
#include <map>

#include "timesheet/TimeLineButtonData.h"

// One entry of the time line and whether the user selected its point.
struct CTimeLineEntry {
    CTimeLineButtonData data;
    bool selected = false;
};

// The entries by key (tenths of a second), one per tenth.
using TimeLineEntries = std::map<int32_t, CTimeLineEntry>;
