#pragma once
// The sample session through every device fault (samples/device-faults.events on
// samples/demo.tms), played in the simulated player with the linked plug-in or a built DLL,
// on the simulated bus or the system's device.
#include <string>
#include <vector>

#include "sim/PlayerSession.h"
#include "support/ScratchFile.h"
#include "support/SkinFiles.h"

struct SessionRun {
    std::vector<std::string> device; // what the device received and what the user was asked
    std::vector<std::string> lines;
    size_t openDeviceHandles = 0;
    size_t openInfoSets = 0;
    int misuses = 0;
};

// The product folder that the package holds: both shipped DLLs with their skins and address
// files. The test programs run in build/<arch>.
std::string ProductFolder();
// The DLL of this program's pointer size in a product folder: the 32-bit one beside the
// resources, the 64-bit one in the x64 subfolder.
std::string ShippedDllOf(const std::string& folder);

// The demo sheet and a settings folder of the test's own, and the two ways to play the
// session: the linked plug-in with the product folder's skins, and the product folder's DLL.
class CFaultSessionSetup {
public:
    CFaultSessionSetup();
    const std::string& Folder() const { return m_folder; }
    // The product folder holds the DLL (scripts/package.sh makes it).
    bool HasDll() const;
    PlayerOptions Linked() const;
    PlayerOptions Shipped() const;

private:
    std::string m_folder;
    CScratchFile m_sheet;
    TestSupport::CTempDir m_settings;
};

// Plays the fault session; `leaveOut` names events ("fault open") that are not played.
SessionRun PlayFaultSession(PlayerOptions options, const std::vector<std::string>& leaveOut = {});
// Plays a script of events (as tervane-player reads them) in one session.
SessionRun PlaySession(PlayerOptions options, const std::string& script, const std::vector<std::string>& leaveOut = {});

// The device lines (report, prompt or shell) that start so.
size_t CountLines(const SessionRun& run, const std::string& start);
inline bool HasLine(const SessionRun& run, const std::string& start)
{
    return CountLines(run, start) > 0;
}
// Whether any line of the session starts so.
bool Said(const SessionRun& run, const std::string& start);
