#include "timesheet/TimeLineButtonManager.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <iterator>

#include "base/file/ReplaceFile.h"
#include "controls/ButtonFace.h"
#include "editor/EditorContext.h"
#include "timesheet/DeviceSync.h"

CTimeLineButtonManager::CTimeLineButtonManager() : m_points(*this, *this)
{
    m_geometry.Compute(0, 0);
}

CTimeLineButtonManager::~CTimeLineButtonManager()
{
    DetachWindow();
}

// --- the entries ---

void CTimeLineButtonManager::StoreEntry(int32_t key, const CTimeLineButtonData& data, bool giveWindow)
{
    NoteBefore(key);
    EraseEntry(key);
    ++m_revision;
    m_entries[key].data = data;
    TouchFace(key);
    if (giveWindow && m_setUp)
        m_points.Give(key);
}

void CTimeLineButtonManager::TouchFace(int32_t key)
{
    const auto entry = m_entries.find(key);
    if (entry != m_entries.end())
        m_layer.Touch(entry->second.data);
}

void CTimeLineButtonManager::InsertEntry(double seconds, const CTimeLineButtonData& data)
{
    StoreEntry(EntryKey(seconds), data, true);
}

CTimeLineButtonData CTimeLineButtonManager::DataAt(double seconds, int32_t pattern, int32_t level,
                                                   bool snapToKey) const
{
    const CTimeLineGeometry& g = m_geometry;
    return CTimeLineButtonData(pattern, level, g.PointX(seconds * 10.0, snapToKey), g.EntryY(level), seconds * 10.0);
}

void CTimeLineButtonManager::AddEntryAtPoint(POINT point, int32_t pattern, double& seconds, int32_t& level)
{
    seconds = TimeAtX(point.x);
    level = LevelAtY(point.y);
    InsertEntry(seconds, DataAt(seconds, pattern, level, true));
}

bool CTimeLineButtonManager::IsFreeAt(int x, int /*y*/) const
{
    return m_entries.find(EntryKey(TimeAtX(x))) == m_entries.end();
}

bool CTimeLineButtonManager::HasEntry(double seconds) const
{
    return m_entries.find(EntryKey(seconds)) != m_entries.end();
}

void CTimeLineButtonManager::DeleteEntry(double seconds)
{
    EraseEntry(EntryKey(seconds));
}

void CTimeLineButtonManager::EraseEntry(int32_t key)
{
    NoteBefore(key);
    TouchFace(key);
    m_points.Forget(key);
    m_revision += m_entries.erase(key);
}

double CTimeLineButtonManager::TimeOfPointWindow(HWND window) const
{
    const int32_t key = KeyOfWindow(window);
    const auto entry = m_entries.find(key);
    if (key == INT32_MIN || entry == m_entries.end())
        return -1.0;
    return entry->second.data.time * 0.1;
}

void CTimeLineButtonManager::SetEntryPattern(HWND window, int32_t pattern, int32_t /*level*/, double seconds)
{
    const int32_t key = EntryKey(seconds);
    const auto entry = m_entries.find(key);
    if (entry == m_entries.end())
        return;
    NoteBefore(key);
    ++m_revision;
    entry->second.data.pattern = pattern;
    TouchFace(key);
    if (window == nullptr || KeyOfWindow(window) == key)
        m_points.UpdateTooltip(key);
}

void CTimeLineButtonManager::ClearEntries()
{
    m_points.ForgetAll();
    m_entries.clear();
    ++m_revision;
    m_layer.Invalidate();
}

bool CTimeLineButtonManager::HasEarlierEntry() const
{
    if (m_entries.empty())
        return false;
    const double key = m_entries.begin()->first;
    return key < m_now * 10.0 && key <= m_duration * 10.0;
}

bool CTimeLineButtonManager::HasLaterEntry() const
{
    // The first key beyond the playback position is the one that can lie within the medium.
    const auto next = m_entries.upper_bound(EntryKey(m_now));
    if (next == m_entries.end())
        return false;
    const double key = next->first;
    return key > m_now * 10.0 && key <= m_duration * 10.0;
}

bool CTimeLineButtonManager::PreviousEntryTime(double& seconds) const
{
    if (m_entries.empty())
        return false;
    const auto after = m_entries.lower_bound(EntryKey(m_now));
    if (after == m_entries.begin())
        return false;
    seconds = std::prev(after)->first / 10.0;
    return true;
}

bool CTimeLineButtonManager::NextEntryTime(double& seconds) const
{
    if (m_entries.empty())
        return false;
    const auto next = m_entries.upper_bound(EntryKey(m_now));
    if (next != m_entries.end()) {
        seconds = next->first / 10.0 + 0.1;
        return true;
    }
    seconds = m_entries.rbegin()->first / 10.0;
    return true;
}

std::string CTimeLineButtonManager::SheetText(const std::string& secondLine) const
{
    std::vector<CommandData> records;
    records.reserve(m_entries.size());
    int32_t index = 0;
    for (const auto& entry : m_entries) {
        const CTimeLineButtonData& data = entry.second.data;
        records.emplace_back(EditorCommandTime(data.time / 10.0), data.pattern, data.level, index++, 0);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const CommandData& a, const CommandData& b) { return a.time < b.time; });
    return FormatTimeSheet(m_moviePath, records, secondLine);
}

bool CTimeLineButtonManager::SaveTimeSheet(const char* path)
{
    const std::string text = SheetText();
    if (!Quorvel::Base::File::ReplaceFileContents(path, text.data(), text.size()))
        return false;
    SetModified(false);
    return true;
}

SheetRead CTimeLineButtonManager::ReadTimeSheetFile(const char* path, CTimeSheetFileContent& content) const
{
    return ::ReadTimeSheetFile(path, content);
}

void CTimeLineButtonManager::AdoptTimeSheet(const CTimeSheetFileContent& content)
{
    ClearEntries();
    for (int i = 0; i < kHeaderLines; ++i)
        m_header[i] = content.header[i];
    for (const CommandData& record : content.records) {
        const double seconds = record.time / 10000.0;
        const double tenths = seconds * 10.0;
        // A record whose tenth is taken already replaces the earlier one.
        ++m_revision;
        m_entries[EntryKey(seconds)].data = CTimeLineButtonData(
            record.pattern, record.level, m_geometry.EntryX(tenths), m_geometry.EntryY(record.level), tenths);
    }
    // The entries are now what the file holds, and no undo goes behind them.
    m_history.Clear();
    m_modified = false;
    TrackPointer();
}

bool CTimeLineButtonManager::LoadTimeSheet(const char* path)
{
    CTimeSheetFileContent content;
    if (ReadTimeSheetFile(path, content) != SheetRead::kRead)
        return false;
    AdoptTimeSheet(content);
    return true;
}

const std::string& CTimeLineButtonManager::HeaderLine(int index) const
{
    static const std::string none;
    return index >= 0 && index < kHeaderLines ? m_header[index] : none;
}

// --- edits that keep the device in step ---

void CTimeLineButtonManager::InsertAt(double seconds, int32_t pattern, int32_t level)
{
    const CStepScope step(*this);
    RemoveDeviceCommands(m_device, EntryKey(seconds));
    InsertEntry(seconds, DataAt(seconds, pattern, level, false));
    AddDeviceCommand(m_device, seconds, pattern, level);
    m_modified = true;
}

void CTimeLineButtonManager::AddAndPlayAt(POINT point, int32_t pattern)
{
    double seconds = 0.0;
    int32_t level = 0;
    AddEntryAtPoint(point, pattern, seconds, level);
    AddDeviceCommand(m_device, seconds, pattern, level);
    m_modified = true;
}

bool CTimeLineButtonManager::AddPointAt(POINT point, int32_t pattern)
{
    const CStepScope step(*this);
    RemoveDeviceCommands(m_device, EntryKey(TimeAtX(point.x)));
    AddAndPlayAt(point, pattern);
    return true;
}

bool CTimeLineButtonManager::MovePoint(HWND window, POINT point)
{
    const int32_t key = KeyOfWindow(window);
    return key != INT32_MIN && MovePoint(key, point);
}

bool CTimeLineButtonManager::MovePoint(int32_t from, POINT point)
{
    const auto moved = m_entries.find(from);
    if (moved == m_entries.end())
        return false;
    const int32_t to = EntryKey(TimeAtX(point.x));
    // A drop off the graph takes the drag back, as does one on another entry's tenth; the
    // point's own tenth is free (a drag up or down only changes the level), but a drop on its
    // own tenth and level changes nothing at all.
    if (!IsOnGraph(m_geometry, point) || (to != from && m_entries.find(to) != m_entries.end()) ||
        (to == from && LevelAtY(point.y) == moved->second.data.level)) {
        ReturnPoint(from);
        return false;
    }
    const int32_t pattern = moved->second.data.pattern;
    const CStepScope step(*this);
    RemoveDeviceCommands(m_device, from);
    RemoveDeviceCommands(m_device, to);
    EraseEntry(from);
    AddAndPlayAt(point, pattern);
    return true;
}

void CTimeLineButtonManager::ReturnPoint(int32_t key)
{
    m_points.Place(key);
}

bool CTimeLineButtonManager::DeletePointWindow(HWND window)
{
    const int32_t key = KeyOfWindow(window);
    return key != INT32_MIN && DeletePoint(key);
}

bool CTimeLineButtonManager::DeletePoint(int32_t key)
{
    if (m_entries.find(key) == m_entries.end())
        return false;
    const CStepScope step(*this);
    RemoveDeviceCommands(m_device, key);
    EraseEntry(key);
    m_modified = true;
    return true;
}

void CTimeLineButtonManager::RepatternSelected(int32_t pattern)
{
    const CStepScope step(*this);
    for (auto& item : m_entries) {
        CTimeLineEntry& entry = item.second;
        if (!entry.selected || entry.data.pattern == pattern)
            continue;
        RemoveDeviceCommands(m_device, item.first);
        SetEntryPattern(nullptr, pattern, entry.data.level, entry.data.time / 10.0);
        // The device plays what the graph shows.
        AddDeviceCommand(m_device, entry.data.time / 10.0, pattern, entry.data.level);
        m_modified = true;
    }
}

void CTimeLineButtonManager::ToggleSelected(HWND window)
{
    ToggleSelected(KeyOfWindow(window));
}

void CTimeLineButtonManager::ToggleSelected(int32_t key)
{
    const auto entry = m_entries.find(key);
    if (entry != m_entries.end()) {
        entry->second.selected = !entry->second.selected;
        TouchFace(key);
    }
}

void CTimeLineButtonManager::SetSelected(int32_t key, bool selected)
{
    const auto entry = m_entries.find(key);
    if (entry != m_entries.end() && entry->second.selected != selected) {
        entry->second.selected = selected;
        TouchFace(key);
    }
}

std::vector<CTimeLineButtonManager::EntryView> CTimeLineButtonManager::Entries() const
{
    std::vector<EntryView> views;
    views.reserve(m_entries.size());
    for (const auto& item : m_entries)
        views.push_back(EntryView{item.first, item.second.data, item.second.selected, m_points.WindowOf(item.first)});
    return views;
}

bool CTimeLineButtonManager::FindEntry(int32_t key, EntryView& out) const
{
    const auto item = m_entries.find(key);
    if (item == m_entries.end())
        return false;
    out = EntryView{key, item->second.data, item->second.selected, m_points.WindowOf(key)};
    return true;
}

bool CTimeLineButtonManager::IsSelected(int32_t key) const
{
    const auto entry = m_entries.find(key);
    return entry != m_entries.end() && entry->second.selected;
}

int32_t CTimeLineButtonManager::PatternOf(int32_t key) const
{
    const auto entry = m_entries.find(key);
    return entry != m_entries.end() ? entry->second.data.pattern : 0;
}
