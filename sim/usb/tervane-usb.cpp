// tervane-usb: installs, removes, unplugs and plugs in again the virtual Tervane device of a
// 64-bit Wine prefix, sets its faults and prints what it recorded. The driver and its .inf
// are taken from this program's folder. Exit codes: 0 done, 1 failed, 2 bad arguments;
// status exits 1 when the device is not there.
//
//   tervane-usb install | remove | unplug | replug | status
//   tervane-usb fault write N|timeout N|none      (N: a count or "all")
//   tervane-usb record [FIRST]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Win32.h"
#include "device/HIDController.h"
#include "sim/usb/VirtualTervaneChannel.h"
#include "sim/usb/VirtualTervaneNode.h"

namespace {

const char kUsage[] = "usage: tervane-usb install | remove | unplug | replug | status\n"
                      "       tervane-usb fault write N|timeout N|none   (N: a count or \"all\")\n"
                      "       tervane-usb record [FIRST]\n";
// Long enough for the driver host to start the device; a fresh prefix boots first.
const DWORD kSettleMilliseconds = 30000;

int Usage(const std::string& message)
{
    std::fprintf(stderr, "tervane-usb: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tervane-usb: %s\n", message.c_str());
    return 1;
}

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string own(path, length);
    const size_t slash = own.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : own.substr(0, slash);
}

// Whether an ordinary search of the system's HID interfaces finds the device, as the
// product's transport searches.
bool Found()
{
    HIDController hid(HidSystemWin32());
    return hid.Connect();
}

// Waits until a search finds the device (or no longer does); false when it does not come to that.
bool SettlesTo(bool present)
{
    const DWORD start = GetTickCount();
    while (Found() != present) {
        if (GetTickCount() - start > kSettleMilliseconds)
            return false;
        Sleep(20);
    }
    return true;
}

double SecondsSince(DWORD start)
{
    return (GetTickCount() - start) / 1000.0;
}

int Plug(const char* done)
{
    const DWORD start = GetTickCount();
    std::string error;
    if (!VirtualTervaneNode::Add(OwnFolder() + "\\TervaneHid.inf", error))
        return Fail(error);
    if (!SettlesTo(true))
        return Fail("the device node is there but no search finds the device: does this Wine load the driver?");
    std::printf("%s in %.1f s\n", done, SecondsSince(start));
    return 0;
}

int Install()
{
    if (VirtualTervaneNode::Count() > 0 && Found()) {
        std::printf("the virtual Tervane device is installed already\n");
        return 0;
    }
    std::string error;
    if (VirtualTervaneNode::RemoveAll(error) < 0)
        return Fail(error);
    return Plug("the virtual Tervane device installed");
}

int Unplug()
{
    const DWORD start = GetTickCount();
    std::string error;
    const int removed = VirtualTervaneNode::RemoveAll(error);
    if (removed < 0)
        return Fail(error);
    if (removed == 0)
        return Fail("the virtual Tervane device is not plugged in");
    if (!SettlesTo(false))
        return Fail("the device node is gone but a search still finds the device");
    std::printf("unplugged in %.1f s\n", SecondsSince(start));
    return 0;
}

int Replug()
{
    if (VirtualTervaneNode::Count() > 0)
        return Fail("the virtual Tervane device is plugged in already");
    return Plug("plugged in again");
}

int Remove()
{
    std::string error;
    if (!VirtualTervaneNode::Uninstall(error))
        return Fail(error);
    std::printf("the virtual Tervane device is removed (its driver stays loaded until the prefix restarts)\n");
    return 0;
}

int Status()
{
    const int nodes = VirtualTervaneNode::Count();
    const bool found = Found();
    std::printf("nodes=%d found=%s record=%u\n", nodes, found ? "yes" : "no", VirtualTervaneChannel::RecordCount());
    return found ? 0 : 1;
}

// A decimal number below VT_EVERY_WRITE, from `least` on.
bool ParseNumber(const std::string& text, uint32_t least, uint32_t& number)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || value < least || value >= VT_EVERY_WRITE)
        return false;
    number = static_cast<uint32_t>(value);
    return true;
}

bool ParseCount(const std::string& text, uint32_t& count)
{
    if (text == "all") {
        count = VT_EVERY_WRITE;
        return true;
    }
    return ParseNumber(text, 1, count);
}

int Fault(int argc, char** argv)
{
    const std::string kind = argc > 2 ? argv[2] : "";
    std::string error;
    if (kind == "none" && argc == 3)
        return VirtualTervaneChannel::ClearFaults(error) ? 0 : Fail(error);
    uint32_t count = 0;
    if ((kind != "write" && kind != "timeout") || argc != 4 || !ParseCount(argv[3], count))
        return Usage("fault needs write N, timeout N or none");
    const bool set = kind == "write" ? VirtualTervaneChannel::SetFailWrites(count, error)
                                     : VirtualTervaneChannel::SetHoldWrites(count, error);
    return set ? 0 : Fail(error);
}

int Record(int argc, char** argv)
{
    uint32_t first = 0;
    if (argc > 3 || (argc == 3 && !ParseNumber(argv[2], 0, first)))
        return Usage("record takes the number of the first entry");
    uint32_t index = first;
    for (const VtRecordEntry& entry : VirtualTervaneChannel::ReadRecord(first)) {
        std::printf("%u arrived=%llu %s length=%u bytes=", index++, entry.arrived,
                    VirtualTervaneChannel::OutcomeName(entry.outcome), entry.length);
        for (int i = 0; i < VT_REPORT_BYTES; ++i)
            std::printf(i ? " %02X" : "%02X", entry.bytes[i]);
        std::printf("\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    const bool alone = argc == 2;
    if (command == "install" && alone)
        return Install();
    if (command == "remove" && alone)
        return Remove();
    if (command == "unplug" && alone)
        return Unplug();
    if (command == "replug" && alone)
        return Replug();
    if (command == "status" && alone)
        return Status();
    if (command == "fault")
        return Fault(argc, argv);
    if (command == "record")
        return Record(argc, argv);
    return Usage(command.empty() ? "no command" : "bad command '" + command + "'");
}
