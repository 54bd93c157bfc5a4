#pragma once
// The virtual Tervane device as a session or a test drives it: faults and the record through
// its control channel, in process; its node through tervane-usb, a 64-bit program, whatever
// this one is (device installation needs the prefix's own bitness).
//
//     CVirtualTervane device;                    // files in build/<arch>/usb
//     device.Ensure(said, error);                // installs it unless a search finds it
//     device.FailWrites(1, error);               // the next write fails at the device
//     device.Unplug(said, error);                // the node goes: open handles are dead
//     for (const VtRecordEntry& e : device.TakeNew()) ...
#include <cstdint>
#include <string>
#include <vector>

#include "sim/usb/VirtualTervaneProtocol.h"

class CVirtualTervane {
public:
    // `folder` holds tervane-usb.exe, the driver and its .inf.
    explicit CVirtualTervane(std::string folder = DefaultFolder());

    // build/<arch>/usb for a program in build/<arch>/tools or build/<arch>/tests.
    static std::string DefaultFolder();

    // `said` tells what was done, with the time it took.
    bool Ensure(std::string& said, std::string& error);
    bool Unplug(std::string& said, std::string& error);
    bool Replug(std::string& said, std::string& error);

    bool FailWrites(uint32_t count, std::string& error);
    bool HoldWrites(uint32_t count, std::string& error);
    bool ClearFaults(std::string& error);

    // Forgets what the device recorded before; TakeNew starts from the first write after.
    bool Restart(std::string& error);
    // What the device recorded since the last call, in order.
    std::vector<VtRecordEntry> TakeNew();

    // Runs tervane-usb with the arguments: its exit code, or -1 (with a reason as the output)
    // when it could not run or did not end; its output, trimmed.
    int Run(const std::string& arguments, std::string& output);

private:
    // A command that says what it did, or why it failed.
    bool Act(const std::string& arguments, std::string& said, std::string& error);

    std::string m_folder;
    uint32_t m_next = 0;
};
