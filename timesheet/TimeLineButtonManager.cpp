#include "timesheet/TimeLineButtonManager.h"
#include "editor/Font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <iterator>

#include "base/file/ReplaceFile.h"
#include "controls/ButtonFace.h"
#include "device/TervaneManager.h"
#include "editor/EditorContext.h"
#include "editor/PluginMessages.h"
#include "timesheet/DropDrawButton.h"
#include "timesheet/EntryTime.h"
#include "timesheet/TimeSheetButton.h"

namespace {

constexpr int32_t kPatternColumns = 10;
constexpr COLORREF kGraphInk = RGB(200, 212, 255);

void DrawLabel(HDC dc, int left, int top, int right, int bottom, const wchar_t* text)
{
    RECT rect = {left, top, right, bottom};
    DrawTextW(dc, text, -1, &rect, DT_SINGLELINE | DT_NOCLIP);
}

void DrawVertical(HDC dc, int x, int top, int bottom)
{
    MoveToEx(dc, x, top, nullptr);
    LineTo(dc, x, bottom);
}

// "%02d:%02d:%02d.%d" of a time: hours are not limited to two digits.
void FormatClock(wchar_t* out, size_t size, double seconds, int32_t tenthsDigit)
{
    const int s = static_cast<int>(std::trunc(seconds));
    std::swprintf(out, size, L"%02d:%02d:%02d.%d", s / 3600, s / 60 % 60, s % 60, static_cast<int>(tenthsDigit));
}

} // namespace

CTimeLineButtonManager::CTimeLineButtonManager()
{
    m_geometry.Compute(0, 0);
    m_toolInfo.cbSize = sizeof(m_toolInfo);
    m_toolInfo.uFlags = TTF_SUBCLASS;
    m_toolInfo.uId = 1;
}

CTimeLineButtonManager::~CTimeLineButtonManager()
{
    DetachWindow();
}

// --- the entries ---

void CTimeLineButtonManager::InsertEntry(double seconds, const CTimeLineButtonData& data)
{
    const int32_t key = EntryKey(seconds);
    EraseEntry(key);
    Entry& entry = m_entries[key];
    entry.data = data;
    if (m_setUp && InRange(key, m_now, kWindowMarginKeys))
        Materialize(key, entry);
}

CTimeLineButtonData CTimeLineButtonManager::DataAt(double seconds, int32_t pattern, int32_t level,
                                                   bool snapToKey) const
{
    const CTimeLineGeometry& g = m_geometry;
    CTimeLineButtonData data;
    data.pattern = pattern;
    data.level = level;
    // A point added on the graph sits on its tenth; one inserted at the playback position sits
    // at the position itself until the next zoom or size change lays the graph out again.
    data.x = snapToKey ? g.EntryX(seconds * 10.0) : static_cast<int32_t>(std::trunc(g.origin + seconds * 10.0 * g.pixelsPerTenth));
    data.y = g.EntryY(level);
    data.time = seconds * 10.0;
    return data;
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
    if (m_points.find(key) != m_points.end())
        Retire(key);
    m_entries.erase(key);
}

int32_t CTimeLineButtonManager::KeyOfWindow(HWND window) const
{
    if (window == nullptr)
        return INT32_MIN;
    for (const auto& point : m_points) {
        if (point.second->GetWindow() == window)
            return point.first;
    }
    return INT32_MIN;
}

double CTimeLineButtonManager::TimeOfPointWindow(HWND window) const
{
    const int32_t key = KeyOfWindow(window);
    const auto entry = m_entries.find(key);
    if (key == INT32_MIN || entry == m_entries.end())
        return -1.0;
    return entry->second.data.time * 0.1;
}

void CTimeLineButtonManager::SetEntryPattern(HWND window, int32_t pattern, int32_t level, double seconds)
{
    const auto entry = m_entries.find(EntryKey(seconds));
    if (entry == m_entries.end())
        return;
    CTimeLineButtonData shown = entry->second.data;
    shown.pattern = pattern;
    shown.level = level;
    if (window != nullptr && m_tooltip != nullptr && KeyOfWindow(window) != INT32_MIN) {
        const std::wstring text = TooltipText(shown, seconds);
        TOOLINFOW info = m_toolInfo;
        info.hwnd = window;
        info.lpszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        SendMessageW(window, WM_TOOLTIP_ATTACH, reinterpret_cast<WPARAM>(m_tooltip), 0);
    }
    entry->second.data.pattern = pattern;
}

void CTimeLineButtonManager::ClearEntries()
{
    while (!m_points.empty())
        Retire(m_points.begin()->first);
    m_entries.clear();
    m_nextId = kFirstPointId;
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

bool CTimeLineButtonManager::SaveTimeSheet(const char* path)
{
    m_staging.clear();
    m_staging.reserve(m_entries.size());
    int32_t index = 0;
    for (const auto& entry : m_entries) {
        const CTimeLineButtonData& data = entry.second.data;
        m_staging.emplace_back(EditorCommandTime(data.time / 10.0), data.pattern, data.level, index++, 0);
    }
    std::stable_sort(m_staging.begin(), m_staging.end(),
                     [](const CommandData& a, const CommandData& b) { return a.time < b.time; });

    // A text-mode stream turned every "\r\n" into "\r\r\n"; readers of the format expect it.
    std::string text;
    text.reserve(64 * (m_staging.size() + 10));
    text += m_moviePath.empty() ? std::string("111111") : m_moviePath;
    text += "\r\r\n";
    char line[96];
    for (int i = 2; i <= kHeaderLines; ++i) {
        std::snprintf(line, sizeof line, "%d%d%d%d%d%d\r\r\n", i, i, i, i, i, i);
        text += line;
    }
    for (const CommandData& command : m_staging) {
        std::snprintf(line, sizeof line, "%d\t%d\t%d\t%d\t%d\r\r\n", static_cast<int>(command.time),
                      static_cast<int>(command.pattern), static_cast<int>(command.level), 0, 0);
        text += line;
    }
    m_staging.clear();
    if (!Quorvel::Base::File::ReplaceFileContents(path, text.data(), text.size()))
        return false;
    m_modified = false;
    return true;
}

SheetRead CTimeLineButtonManager::ReadTimeSheetFile(const char* path, CTimeSheetFileContent& content) const
{
    return ReadEditorTimeSheet(path, content);
}

void CTimeLineButtonManager::AdoptTimeSheet(const CTimeSheetFileContent& content)
{
    ClearEntries();
    for (int i = 0; i < kHeaderLines; ++i)
        m_header[i] = content.header[i];
    for (const CommandData& record : content.records) {
        const double seconds = record.time / 10000.0;
        const double tenths = seconds * 10.0;
        InsertEntry(seconds, CTimeLineButtonData(record.pattern, record.level, m_geometry.EntryX(tenths),
                                                 m_geometry.EntryY(record.level), tenths));
    }
    // The entries are now what the file holds.
    m_modified = false;
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

namespace {

// The device commands of an entry, removed when the entry goes or is replaced: all of those
// within its tenth of a second, which a hand-made file may hold several of, so that the device
// never plays a command the graph does not show.
void RemoveDeviceCommands(CTervaneManager* device, int32_t key)
{
    if (device == nullptr)
        return;
    int32_t first = 0, last = 0;
    CommandTimesOfKey(key, first, last);
    device->Sheet().RemoveCommandsBetween(first, last);
}

void AddDeviceCommand(CTervaneManager* device, double seconds, int32_t pattern, int32_t level)
{
    if (device != nullptr)
        device->Sheet().AddCommand(EditorCommandTime(seconds), pattern, level);
}

} // namespace

void CTimeLineButtonManager::InsertAt(double seconds, int32_t pattern, int32_t level)
{
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
    RemoveDeviceCommands(m_device, EntryKey(TimeAtX(point.x)));
    AddAndPlayAt(point, pattern);
    return true;
}

bool CTimeLineButtonManager::MovePoint(HWND window, POINT point)
{
    const int32_t from = KeyOfWindow(window);
    const auto moved = m_entries.find(from);
    if (from == INT32_MIN || moved == m_entries.end())
        return false;
    const CTimeLineGeometry& g = m_geometry;
    const int32_t to = EntryKey(TimeAtX(point.x));
    // A drop off the graph takes the drag back, as does one on another entry's tenth; the
    // point's own tenth is free (a drag up or down only changes the level), but a drop on its
    // own tenth and level changes nothing at all.
    const bool onGraph = point.x >= g.graphLeft && point.x <= g.graphRight && point.y >= g.graphTop &&
                         point.y <= g.graphBottom;
    if (!onGraph || (to != from && m_entries.find(to) != m_entries.end()) ||
        (to == from && LevelAtY(point.y) == moved->second.data.level)) {
        ReturnPoint(from);
        return false;
    }
    const int32_t pattern = moved->second.data.pattern;
    RemoveDeviceCommands(m_device, from);
    RemoveDeviceCommands(m_device, to);
    EraseEntry(from);
    AddAndPlayAt(point, pattern);
    return true;
}

void CTimeLineButtonManager::ReturnPoint(int32_t key)
{
    const auto entry = m_entries.find(key);
    const auto point = m_points.find(key);
    if (entry == m_entries.end() || point == m_points.end())
        return;
    const POINT at = PointPosition(entry->second.data, m_now);
    point->second->Place(at.x, at.y, InRange(key, m_now, 0));
    point->second->SyncWindow();
}

bool CTimeLineButtonManager::DeletePointWindow(HWND window)
{
    const int32_t key = KeyOfWindow(window);
    const auto entry = m_entries.find(key);
    if (key == INT32_MIN || entry == m_entries.end())
        return false;
    RemoveDeviceCommands(m_device, key);
    EraseEntry(key);
    m_modified = true;
    return true;
}

void CTimeLineButtonManager::RepatternSelected(int32_t pattern)
{
    for (auto& item : m_entries) {
        Entry& entry = item.second;
        if (!entry.selected || entry.data.pattern == pattern)
            continue;
        const auto point = m_points.find(item.first);
        const HWND window = point != m_points.end() ? point->second->GetWindow() : nullptr;
        RemoveDeviceCommands(m_device, item.first);
        SetEntryPattern(window, pattern, entry.data.level, entry.data.time / 10.0);
        // The device plays what the graph shows.
        AddDeviceCommand(m_device, entry.data.time / 10.0, pattern, entry.data.level);
        m_modified = true;
    }
}

void CTimeLineButtonManager::ToggleSelected(HWND window)
{
    const auto entry = m_entries.find(KeyOfWindow(window));
    if (entry != m_entries.end())
        entry->second.selected = !entry->second.selected;
}

void CTimeLineButtonManager::SetSelected(int32_t key, bool selected)
{
    const auto entry = m_entries.find(key);
    if (entry != m_entries.end())
        entry->second.selected = selected;
}

std::vector<CTimeLineButtonManager::EntryView> CTimeLineButtonManager::Entries() const
{
    std::vector<EntryView> views;
    views.reserve(m_entries.size());
    for (const auto& item : m_entries) {
        const auto point = m_points.find(item.first);
        views.push_back(EntryView{item.first, item.second.data, item.second.selected,
                                  point != m_points.end() ? point->second->GetWindow() : nullptr});
    }
    return views;
}

bool CTimeLineButtonManager::FindEntry(int32_t key, EntryView& out) const
{
    const auto item = m_entries.find(key);
    if (item == m_entries.end())
        return false;
    const auto point = m_points.find(key);
    out = EntryView{key, item->second.data, item->second.selected,
                    point != m_points.end() ? point->second->GetWindow() : nullptr};
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

// --- the view ---

double CTimeLineButtonManager::TimeAtX(int x) const
{
    const CTimeLineGeometry& g = m_geometry;
    const double now = m_now;
    const float c = static_cast<float>(x);
    if (c >= g.origin && x <= g.graphRight)
        return now + std::trunc(c - g.origin) / g.pixelsPerTenth / 10.0f;
    if (x > g.graphRight || x < g.graphLeft)
        return now;
    // Left of the playback line. Within the first 5 s time 0 lies on the graph and a click
    // left of it means 0; later, a click so far left that it means a time before 0 (zoom
    // modes 1 and 2 show 10 s there) also means 0, for nothing can be played before 0.
    if (now < 5.0) {
        const float zero = g.origin - g.pixelsPerTenth * static_cast<float>(now * 10.0);
        if (zero <= c && c <= g.origin)
            return std::trunc(c - zero) / g.pixelsPerTenth / 10.0f;
        return 0.0;
    }
    const double seconds = now - std::trunc(g.origin - c) / g.pixelsPerTenth / 10.0f;
    return seconds < 0.0 ? 0.0 : seconds;
}

int32_t CTimeLineButtonManager::LevelAtY(int y) const
{
    const CTimeLineGeometry& g = m_geometry;
    if (y < g.graphTop || y > g.graphBottom)
        return 0;
    for (int32_t i = 0; i < 10; ++i) {
        const int lo = static_cast<int>(std::trunc(g.baseline - static_cast<float>(i + 1) * g.pixelsPerLevel));
        const int hi = static_cast<int>(std::trunc(g.baseline - static_cast<float>(i) * g.pixelsPerLevel));
        if (lo <= y && y <= hi)
            return g.pixelsPerLevel * 0.5f >= static_cast<float>(hi - y) ? i : i + 1;
    }
    return 0;
}

void CTimeLineButtonManager::RecomputePositions()
{
    m_geometry.Compute(m_geometrySizeMode, m_zoomMode);
    const CTimeLineGeometry& g = m_geometry;
    for (auto& item : m_entries) {
        CTimeLineButtonData& data = item.second.data;
        data.x = g.EntryX(data.time);
        data.y = g.EntryY(data.level);
    }
    if (m_setUp)
        Reposition(m_now, false);
}

void CTimeLineButtonManager::SetZoomMode(int mode)
{
    m_zoomMode = mode >= 0 && mode <= 2 ? mode : 0;
    RecomputePositions();
}

void CTimeLineButtonManager::SetSizeMode(int mode)
{
    m_sizeMode = mode;
    if (mode == kSizeModeNormal || mode == kSizeModeWide)
        m_geometrySizeMode = mode;
    RecomputePositions();
}

bool CTimeLineButtonManager::InRange(int32_t key, double now, int32_t margin) const
{
    const double n = now * 10.0;
    return key >= 0 && key >= n - m_geometry.keysBefore - margin && key <= n + m_geometry.keysAfter + margin;
}

POINT CTimeLineButtonManager::PointPosition(const CTimeLineButtonData& data, double now) const
{
    const double n = now * 10.0;
    POINT at;
    at.x = static_cast<LONG>(std::trunc(std::trunc(data.x - m_geometry.pixelsPerTenth * n) - kPointHalf));
    at.y = static_cast<LONG>(std::trunc(data.y - kPointHalf));
    return at;
}

void CTimeLineButtonManager::Reposition(double now, bool skipPressed)
{
    FlushRetired();
    m_now = now;
    if (!m_setUp)
        return;
    std::vector<int32_t> leaving;
    for (const auto& point : m_points) {
        if (!InRange(point.first, now, kWindowMarginKeys) && !point.second->IsPressed())
            leaving.push_back(point.first);
    }
    for (int32_t key : leaving)
        Retire(key);

    const double first = std::ceil(now * 10.0 - m_geometry.keysBefore - kWindowMarginKeys);
    const int32_t from = first <= 0.0 ? 0 : first >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(first);
    for (auto it = m_entries.lower_bound(from); it != m_entries.end(); ++it) {
        if (!InRange(it->first, now, kWindowMarginKeys))
            break;
        const auto point = m_points.find(it->first);
        if (point == m_points.end()) {
            Materialize(it->first, it->second);
            continue;
        }
        if (skipPressed && point->second->IsPressed())
            continue;
        const POINT at = PointPosition(it->second.data, now);
        point->second->Place(at.x, at.y, InRange(it->first, now, 0));
    }
    if (IsPointerNearGraph())
        SyncPointWindows();
    // No point's own handler is running here, so what scrolled away goes at once.
    FlushRetired();
}

bool CTimeLineButtonManager::IsPointerNearGraph() const
{
    for (const auto& point : m_points) {
        if (point.second->IsPressed())
            return true;
    }
    POINT cursor;
    if (!CursorInParent(cursor))
        return false;
    // A point's window reaches half a point beyond the graph's edges.
    const CTimeLineGeometry& g = m_geometry;
    return cursor.x >= g.graphLeft - kPointSize && cursor.x < g.graphRight + kPointSize &&
           cursor.y >= g.graphTop - kPointSize && cursor.y < g.graphBottom + kPointSize;
}

void CTimeLineButtonManager::SyncPointWindows()
{
    for (auto& point : m_points)
        point.second->SyncWindow();
}

void CTimeLineButtonManager::TrackPointer()
{
    if (m_setUp && IsPointerNearGraph())
        SyncPointWindows();
}

void CTimeLineButtonManager::RepositionAt(double now)
{
    Reposition(now, false);
}

void CTimeLineButtonManager::RefreshAt(double now)
{
    Reposition(now, true);
    UpdateDropButton();
}

bool CTimeLineButtonManager::CursorInParent(POINT& point) const
{
    if (m_parentStatic == nullptr || !GetCursorPos(&point))
        return false;
    return ScreenToClient(m_parentStatic, &point) != FALSE;
}

bool CTimeLineButtonManager::IsOverFreeSpot(POINT cursor) const
{
    const CTimeLineGeometry& g = m_geometry;
    if (cursor.x < g.graphLeft || cursor.x >= g.graphRight || cursor.y < g.graphTop || cursor.y >= g.graphBottom)
        return false;
    for (const auto& point : m_points) {
        const CTimeSheetButton& button = *point.second;
        if (button.IsVisible() && cursor.x >= button.GetX() && cursor.x < button.GetX() + kPointSize &&
            cursor.y >= button.GetY() && cursor.y < button.GetY() + kPointSize)
            return false;
    }
    return true;
}

void CTimeLineButtonManager::UpdateDropButton()
{
    if (!m_dropButton)
        return;
    const HWND drop = m_dropButton->GetWindow();
    if (drop == nullptr)
        return;
    POINT cursor;
    if (!CursorInParent(cursor) || !IsOverFreeSpot(cursor)) {
        ShowWindow(drop, SW_HIDE);
        EnableWindow(drop, FALSE);
        return;
    }
    if (!IsWindowEnabled(drop))
        EnableWindow(drop, TRUE);
    SetWindowPos(drop, nullptr, cursor.x - static_cast<int>(kPointHalf), cursor.y - static_cast<int>(kPointHalf), 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(drop, nullptr, FALSE);
    UpdateWindow(drop);
}

void CTimeLineButtonManager::PaintGraph(HDC dc, double now)
{
    if (dc == nullptr)
        return;
    const CTimeLineGeometry& g = m_geometry;
    if (!(now >= 0.0))
        now = 0.0;
    SetBkMode(dc, TRANSPARENT);
    const COLORREF oldInk = SetTextColor(dc, kGraphInk);
    CScopedSelect font(dc, m_font10.Get());
    const long long s = static_cast<long long>(std::trunc(now));
    const long long k = static_cast<long long>(std::trunc(now * 10.0));
    const float ppt = g.pixelsPerTenth;
    wchar_t text[32];
    auto label = [&](int x, long long seconds) {
        std::swprintf(text, 32, L"%ds", static_cast<int>(seconds));
        DrawLabel(dc, x - 5, g.gridTop - 14, x + 15, g.gridTop - 5, text);
    };

    {
        CScopedSelect pen(dc, m_majorPen.Get());
        if (m_zoomMode == 0) {
            const int x = s % 10 <= 4 ? static_cast<int>(std::trunc(g.origin - static_cast<float>(k % 100) * ppt))
                                      : static_cast<int>(std::trunc(g.gridRight - static_cast<float>(k % 50) * ppt));
            DrawVertical(dc, x, g.gridTop, g.gridBottom);
            label(x, now <= 5.0 ? 0 : 10 * static_cast<long long>(std::trunc((now + 5.0) / 10.0)));
        } else {
            const float step = 100.0f * ppt;
            const float off = static_cast<float>(k % 100) * ppt;
            const float base = g.origin + 10.0f * step;
            const long long tens = 10 * static_cast<long long>(std::trunc(now / 10.0));
            for (int i = 0; i < 12; ++i) {
                const int x = static_cast<int>(std::trunc(base - static_cast<float>(i) * step - off + 0.5f));
                if (g.gridLeft < x && x <= g.gridRight)
                    DrawVertical(dc, x, g.gridTop, g.gridBottom);
                if (g.gridLeft <= x && x <= g.gridRight)
                    label(x, tens + 100 - 10 * i);
            }
        }
    }
    {
        CScopedSelect pen(dc, m_minorPen.Get());
        if (m_zoomMode == 0) {
            const int x = static_cast<int>(std::trunc(g.gridRight - static_cast<float>(k % 100) * ppt));
            DrawVertical(dc, x, g.gridTop, g.gridBottom);
            label(x, now <= 5.0 ? 5 : 10 * static_cast<long long>(std::trunc(now / 10.0)) + 5);
        } else {
            const float step = 100.0f * ppt;
            const float off = static_cast<float>(k % 100) * ppt;
            const float base = g.origin - 50.0f * ppt + 10.0f * step;
            const long long tens = 10 * static_cast<long long>(std::trunc(now / 10.0));
            for (int i = 0; i < 12; ++i) {
                const int x = static_cast<int>(std::trunc(base - static_cast<float>(i) * step - off + 0.5f));
                if (g.gridLeft < x && x <= g.gridRight)
                    DrawVertical(dc, x, g.gridTop, g.gridBottom);
                if (m_zoomMode == 1 && g.gridLeft <= x && x <= g.gridRight)
                    label(x, std::max(0LL, tens + 95 - 10 * i));
            }
        }
    }
    {
        CScopedSelect pen(dc, m_playbackPen.Get());
        DrawVertical(dc, static_cast<int>(std::trunc(g.origin)), g.gridTop, g.gridBottom);
    }
    POINT cursor;
    if (CursorInParent(cursor) && cursor.x >= g.graphLeft && cursor.x < g.graphRight && cursor.y >= g.graphTop &&
        cursor.y < g.graphBottom) {
        const double t = TimeAtX(cursor.x);
        FormatClock(text, 32, t, static_cast<int32_t>(static_cast<long long>(std::trunc(t * 10.0)) % 10));
        RECT rect = {cursor.x - 25, g.gridTop - 22, cursor.x + 25, g.gridTop - 9};
        DrawTextW(dc, text, -1, &rect, DT_SINGLELINE | DT_NOCLIP);
    }
    SetTextColor(dc, oldInk);
}

// --- point windows ---

std::wstring CTimeLineButtonManager::TooltipText(const CTimeLineButtonData& data, double seconds) const
{
    wchar_t clock[40];
    FormatClock(clock, 40, seconds, static_cast<int32_t>(static_cast<long long>(std::trunc(data.time)) % 10));
    wchar_t text[160];
    std::swprintf(text, 160, L"◆Time:: %ls\r\n■パターン:: %02d\r\n■レベル:: %02d", clock,
                  static_cast<int>(data.pattern), static_cast<int>(data.level));
    return text;
}

void CTimeLineButtonManager::AddTooltip(HWND window, const std::wstring& text)
{
    if (m_tooltip == nullptr)
        return;
    TOOLINFOW info = m_toolInfo;
    info.hwnd = window;
    info.hinst = EditorContext().instance;
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    GetClientRect(window, &info.rect);
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(100, 0));
    SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
    SendMessageW(window, WM_TOOLTIP_ATTACH, reinterpret_cast<WPARAM>(m_tooltip), 0);
}

void CTimeLineButtonManager::Materialize(int32_t key, const Entry& entry)
{
    if (m_parentStatic == nullptr)
        return;
    std::unique_ptr<CTimeSheetButton> button(new CTimeSheetButton(*this, key));
    const POINT at = PointPosition(entry.data, m_now);
    const uint32_t id = static_cast<uint32_t>(m_nextId);
    // Identifiers stay within the 16 bits a command message carries.
    m_nextId = m_nextId >= 0xFFFF ? kFirstPointId : m_nextId + 1;
    if (!button->Create(m_parentStatic, at.x, at.y, id, InRange(key, m_now, 0)))
        return;
    button->SetDrawContext(m_backBuffer, EditorContext().scratchDC);
    AddTooltip(button->GetWindow(), TooltipText(entry.data, entry.data.time / 10.0));
    ControlHookList().Add(button.get());
    m_points[key] = std::move(button);
}

void CTimeLineButtonManager::Retire(int32_t key)
{
    const auto point = m_points.find(key);
    if (point == m_points.end())
        return;
    ControlHookList().Remove(point->second.get());
    point->second->Hide();
    m_retired.push_back(std::move(point->second));
    m_points.erase(point);
}

void CTimeLineButtonManager::FlushRetired()
{
    for (auto& button : m_retired)
        button->DestroyWindowNow(m_tooltip);
    m_retired.clear();
}

// --- the editor window ---

void CTimeLineButtonManager::AttachWindow(HWND tooltip, HDC backBuffer, HWND parentStatic,
                                          CParentStaticObject* parent, CTervaneManager* device,
                                          const std::string& skinFolder)
{
    m_tooltip = tooltip;
    m_backBuffer = backBuffer;
    m_parentStatic = parentStatic;
    m_parentObject = parent;
    m_device = device;
    m_skinFolder = skinFolder;
    if (m_tooltip != nullptr)
        SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    EditorContext().deletePoint = [this](HWND window) { DeletePointWindow(window); };
    m_pointStrip.Load((skinFolder + "\\obj\\a002_000.bmp").c_str());
    StateCell cells[kButtonStateCount];
    for (int32_t row = 0; row < kButtonStateCount; ++row)
        cells[row] = StateCell{0, row};
    m_pointStrip.Place(backBuffer, 0, 0, kPatternColumns, kButtonStateCount, cells);
}

CDropDrawButton* CTimeLineButtonManager::CreateDropButton(const TervaneControl::ButtonData& data, HWND editor)
{
    m_editor = editor;
    m_dropButton.reset(new CDropDrawButton(*this));
    m_dropButton->Create(data, m_parentStatic, editor);
    m_dropButton->SetDrawContext(m_backBuffer, EditorContext().scratchDC);
    return m_dropButton.get();
}

void CTimeLineButtonManager::MakeDrawingObjects()
{
    if (m_playbackPen)
        return;
    m_plainPen.Reset(CreatePen(PS_SOLID, 0, RGB(0, 0, 0)));
    m_playbackPen.Reset(CreatePen(PS_SOLID, 1, RGB(255, 51, 0)));
    m_majorPen.Reset(CreatePen(PS_SOLID, 0, kGraphInk));
    m_minorPen.Reset(CreatePen(PS_SOLID, 0, kGraphInk));
    m_font10.Reset(CreateEditorFont(10, kGothicFace));
    m_font12.Reset(CreateEditorFont(12, kGothicFace));
    m_popFont10.Reset(CreateEditorFont(10, kPopFace));
    m_handCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    m_arrowCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

void CTimeLineButtonManager::FinishSetUp()
{
    MakeDrawingObjects();
    m_setUp = true;
    RecomputePositions();
}

void CTimeLineButtonManager::DetachWindow()
{
    CEditorContext& context = EditorContext();
    if (m_setUp || m_parentStatic != nullptr)
        context.deletePoint = nullptr;
    while (!m_points.empty())
        Retire(m_points.begin()->first);
    FlushRetired();
    if (m_dropButton) {
        ControlHookList().Remove(m_dropButton.get());
        m_dropButton.reset();
    }
    m_setUp = false;
    m_parentStatic = nullptr;
    m_editor = nullptr;
    m_backBuffer = nullptr;
    m_parentObject = nullptr;
    m_device = nullptr;
    m_tooltip = nullptr;
    m_nextId = kFirstPointId;
    // The skin goes with the window: the graphics library it was read with stops then.
    m_pointStrip.Unload();
}
