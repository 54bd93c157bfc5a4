#include "sim/PlaybackSim.h"

#include <cstdio>

std::string FormatReportLine(double seconds, const uint8_t* report)
{
    char line[128];
    int n = std::snprintf(line, sizeof line, "report t=%.3f bytes=", seconds);
    for (int i = 0; i < 16; ++i)
        n += std::snprintf(line + n, sizeof line - n, i ? " %02X" : "%02X", report[i]);
    std::snprintf(line + n, sizeof line - n, " pattern=%c level=%c pause=%c", report[7], report[8],
                  report[6]);
    return line;
}

CPlaybackSim::CPlaybackSim(double duration, LineSink out)
    : m_out(std::move(out)),
      m_tervane(m_bus.AddTervane()),
      m_manager(new CTervaneManager(m_bus)),
      m_duration(duration)
{
}

CPlaybackSim::~CPlaybackSim()
{
    Close();
}

double CPlaybackSim::Position() const
{
    if (m_state != kPlaying)
        return m_base;
    return m_base + m_ticks * m_rate / 10;
}

void CPlaybackSim::Say(const std::string& what)
{
    char at[32];
    std::snprintf(at, sizeof at, " t=%.3f", Position());
    m_out(what + at);
}

// Reports are shown as soon as the step that wrote them is over, tagged with the position
// of that step.
void CPlaybackSim::Drain()
{
    const auto& reports = m_bus.Reports();
    for (; m_reportsShown < reports.size(); ++m_reportsShown)
        m_out(FormatReportLine(Position(), reports[m_reportsShown].bytes.data()));
}

void CPlaybackSim::Rebase(double position)
{
    m_base = position;
    m_ticks = 0;
}

void CPlaybackSim::MediaOpened()
{
    CTervane& device = m_manager->Device();
    device.Connect();
    if (device.HasHandle())
        m_manager->Start();
}

bool CPlaybackSim::Open(const std::string& sheetPath, std::string& error)
{
    if (!m_manager->LoadSheet(sheetPath.c_str(), true)) {
        error = "cannot read a time sheet from '" + sheetPath + "' (missing, unreadable or without a record line)";
        return false;
    }
    m_opened = true;
    m_manager->Start();
    MediaOpened();
    Say("open " + sheetPath + " commands=" + std::to_string(m_manager->Sheet().Count()));
    Drain();
    return true;
}

void CPlaybackSim::StoppedReachesDevice()
{
    if (m_manager->IsPreviewing())
        m_manager->SetStopPending();
    else
        m_manager->Device().Stop();
}

void CPlaybackSim::Play()
{
    if (m_state == kPlaying) {
        Say("event play ignored: already playing");
        return;
    }
    Rebase(Position());
    m_state = kPlaying;
    Say("event play");
    CTervane& device = m_manager->Device();
    if (device.IsPaused() && !m_manager->IsPreviewing())
        device.Resume();
}

void CPlaybackSim::Pause()
{
    if (m_state != kPlaying) {
        Say(m_state == kPaused ? "event pause ignored: already paused" : "event pause ignored: stopped");
        return;
    }
    Rebase(Position());
    m_state = kPaused;
    Say("event pause");
    CTervane& device = m_manager->Device();
    if (!device.IsPaused() && !m_manager->IsPreviewing())
        device.Pause();
}

void CPlaybackSim::Stop()
{
    if (m_state == kStopped) {
        Say("event stop ignored: already stopped");
        return;
    }
    Rebase(0.0);
    m_state = kStopped;
    Say("event stop");
    StoppedReachesDevice();
}

void CPlaybackSim::Load(const std::string& path)
{
    // A load by path: the device manager first; a failed load changes nothing.
    if (!m_manager->LoadSheet(path.c_str(), true)) {
        Say("event load " + path + " failed: nothing changes");
        return;
    }
    m_manager->Start();
    Say("event load " + path + " commands=" + std::to_string(m_manager->Sheet().Count()));
}

void CPlaybackSim::Apply(const SimEvent& e)
{
    switch (e.kind) {
    case SimEvent::kPlay:
        Play();
        break;
    case SimEvent::kPause:
        Pause();
        break;
    case SimEvent::kStop:
        Stop();
        break;
    case SimEvent::kSeek:
        Rebase(e.value < m_duration ? e.value : m_duration);
        Say("event " + e.text);
        break;
    case SimEvent::kRate:
        Rebase(Position());
        m_rate = e.value;
        Say("event " + e.text);
        break;
    case SimEvent::kWait:
        Say("event " + e.text);
        for (long long i = 0; i < e.ticks; ++i)
            Tick();
        break;
    case SimEvent::kPreview:
        Say("event " + e.text);
        m_manager->StartPreview(e.pattern, e.level);
        break;
    case SimEvent::kPreviewOff:
        Say("event " + e.text);
        m_manager->StopPreview();
        break;
    case SimEvent::kAdd:
        Say("event " + e.text);
        m_manager->Sheet().AddCommand(e.time, e.pattern, e.level);
        break;
    case SimEvent::kRemove:
        Say("event " + e.text);
        m_manager->Sheet().RemoveCommandAt(e.time);
        break;
    case SimEvent::kDeleteAll:
        Say("event " + e.text);
        m_manager->Reset();
        m_manager->Device().Stop();
        m_manager->Start();
        break;
    case SimEvent::kLoad:
        Load(e.path);
        break;
    case SimEvent::kUnplug:
        Say("event " + e.text);
        m_bus.Unplug(m_tervane);
        break;
    case SimEvent::kReplug:
        Say("event " + e.text);
        m_bus.Replug(m_tervane);
        break;
    }
    Drain();
}

void CPlaybackSim::Tick()
{
    if (m_state == kPlaying && Position() >= m_duration) {
        Say("player ended");
        Rebase(0.0);
        m_state = kStopped;
        Say("player stopped");
        StoppedReachesDevice();
        Drain();
    }
    if (m_state == kPaused || m_state == kPlaying) {
        CTervane& device = m_manager->Device();
        if (device.HasHandle()) {
            m_manager->UpdatePosition(Position());
        } else {
            device.Connect();
            if (device.HasHandle())
                m_manager->Start();
        }
        Drain();
    }
    if (m_state == kPlaying)
        ++m_ticks;
}

void CPlaybackSim::Close()
{
    if (!m_manager)
        return;
    if (m_opened)
        Say("player closes");
    m_manager.reset();
    Drain();
}
