#include "support/FaultSession.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char kDemoSheet[] =
#include "sample_demo_tms.inc"
    ;

const char kFaultSession[] =
#include "sample_device_faults_events.inc"
    ;

bool StartsWith(const std::string& line, const std::string& start)
{
    return line.compare(0, start.size(), start) == 0;
}

} // namespace

std::string ProductFolder()
{
    return "..\\package\\TervanePlugin";
}

std::string ShippedDllOf(const std::string& folder)
{
    return folder + (sizeof(void*) == 8 ? "\\x64" : "") + "\\TervanePlugin.dll";
}

CFaultSessionSetup::CFaultSessionSetup() : m_folder(ProductFolder()), m_sheet(kDemoSheet) {}

bool CFaultSessionSetup::HasDll() const
{
    return GetFileAttributesA(ShippedDllOf(m_folder).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The movie the sample sheet is made for, named as the sheet names it.
const char kDemoMovie[] = "demo.wmv";

PlayerOptions CFaultSessionSetup::Linked() const
{
    PlayerOptions options;
    options.movie = kDemoMovie;
    options.sheet = m_sheet.Path();
    options.settings = m_settings.Path();
    options.moduleFolder = m_folder;
    return options;
}

PlayerOptions CFaultSessionSetup::Shipped() const
{
    PlayerOptions options;
    options.movie = kDemoMovie;
    options.sheet = m_sheet.Path();
    options.dll = ShippedDllOf(m_folder);
    return options;
}

SessionRun PlayFaultSession(PlayerOptions options, const std::vector<std::string>& leaveOut)
{
    return PlaySession(options, kFaultSession, leaveOut);
}

SessionRun PlaySession(PlayerOptions options, const std::string& script, const std::vector<std::string>& leaveOut)
{
    std::vector<SimEvent> events;
    std::string error;
    EXPECT_TRUE(ParseSimEvents(script, events, error, true)) << error;
    SessionRun run;
    CPlayerSession session(options, [&run](const std::string& line) {
        run.lines.push_back(line);
        if (StartsWith(line, "report ") || StartsWith(line, "prompt ") || StartsWith(line, "shell "))
            run.device.push_back(line);
    });
    EXPECT_TRUE(session.Start(error)) << error;
    for (const SimEvent& e : events)
        if (std::find(leaveOut.begin(), leaveOut.end(), e.text) == leaveOut.end())
            session.Apply(e);
    session.Finish();
    run.openDeviceHandles = session.Bus().OpenDeviceHandles();
    run.openInfoSets = session.Bus().OpenDeviceInfoSets();
    run.misuses = session.Bus().Misuses();
    return run;
}

size_t CountLines(const SessionRun& run, const std::string& start)
{
    return std::count_if(run.device.begin(), run.device.end(),
                         [&start](const std::string& line) { return StartsWith(line, start); });
}

bool Said(const SessionRun& run, const std::string& start)
{
    for (const std::string& line : run.lines)
        if (StartsWith(line, start))
            return true;
    return false;
}
