#pragma once
// The sample session through every device fault (samples/device-faults.events on
// samples/demo.tms), played in the simulated player with the linked plug-in or a built DLL,
// on the simulated bus or the system's device.
#include <string>
#include <vector>

#include "sim/PlayerSession.h"

struct SessionRun {
    std::vector<std::string> device; // what the device received and what the user was asked
    std::vector<std::string> lines;
    size_t openDeviceHandles = 0;
    size_t openInfoSets = 0;
    int misuses = 0;
};

// The demo sheet as the session loads it.
extern const char kDemoSheet[];

// The product folder that the package holds for this architecture: the shipped DLL with its
// skins and address files. The test programs run in build/<arch>.
std::string ProductFolder();

// Plays the fault session; `leaveOut` names events ("fault open") that are not played.
SessionRun PlayFaultSession(PlayerOptions options, const std::vector<std::string>& leaveOut = {});

// The device lines (report, prompt or shell) that start so.
size_t CountLines(const SessionRun& run, const std::string& start);
inline bool HasLine(const SessionRun& run, const std::string& start)
{
    return CountLines(run, start) > 0;
}
// Whether any line of the session starts so.
bool Said(const SessionRun& run, const std::string& start);
