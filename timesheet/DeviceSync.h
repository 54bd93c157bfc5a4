#pragma once
#include <cstdint>

#include "device/TervaneManager.h"
#include "timesheet/EntryTime.h"

// The device commands of an entry, removed when the entry goes or is replaced: all of those
// within its tenth of a second, which a hand-made file may hold several of, so that the device
// never plays a command the graph does not show.
inline void RemoveDeviceCommands(CTervaneManager* device, int32_t key)
{
    if (device == nullptr)
        return;
    int32_t first = 0, last = 0;
    CommandTimesOfKey(key, first, last);
    device->Sheet().RemoveCommandsBetween(first, last);
}

inline void AddDeviceCommand(CTervaneManager* device, double seconds, int32_t pattern, int32_t level)
{
    if (device != nullptr)
        device->Sheet().AddCommand(EditorCommandTime(seconds), pattern, level);
}
