#include "timesheet/TimeLineButtonManager.h"

#include <algorithm>
#include <cmath>

#include "sheet/SheetTime.h"

CTimeLineButtonManager::CTimeLineButtonManager(CSheetDocument& document) : m_document(document), m_points(*this, *this)
{
    m_geometry.Compute(0, 0);
    m_document.AddObserver(this);
}

CTimeLineButtonManager::~CTimeLineButtonManager()
{
    m_document.RemoveObserver(this);
    DetachWindow();
}

// --- the entries ---

bool CTimeLineButtonManager::HasEarlierEntry() const
{
    if (m_document.TenthCount() == 0)
        return false;
    const double key = View().FirstKey();
    return key < m_now * 10.0 && key <= m_duration * 10.0;
}

bool CTimeLineButtonManager::HasLaterEntry() const
{
    // The first key beyond the playback position is the one that can lie within the medium.
    int32_t next = 0;
    if (!View().KeyAfter(TenthOf(m_now), next))
        return false;
    const double key = next;
    return key > m_now * 10.0 && key <= m_duration * 10.0;
}

bool CTimeLineButtonManager::PreviousEntryTime(double& seconds) const
{
    int32_t before = 0;
    if (!View().KeyBefore(TenthOf(m_now), before))
        return false;
    seconds = before / 10.0;
    return true;
}

bool CTimeLineButtonManager::NextEntryTime(double& seconds) const
{
    const CTimeLineEntries entries = View();
    if (entries.Empty())
        return false;
    int32_t next = 0;
    if (entries.KeyAfter(TenthOf(m_now), next)) {
        seconds = next / 10.0 + 0.1;
        return true;
    }
    seconds = entries.LastKey() / 10.0;
    return true;
}

std::vector<CTimeLineButtonManager::EntryView> CTimeLineButtonManager::Entries() const
{
    std::vector<EntryView> views;
    views.reserve(m_document.TenthCount());
    View().Walk(0, INT32_MAX, [&](const CTimeLineEntry& entry) {
        EntryView view;
        FindEntry(entry.key, view);
        views.push_back(view);
        return true;
    });
    return views;
}

bool CTimeLineButtonManager::FindEntry(int32_t key, EntryView& out) const
{
    CTimeLineEntry entry;
    if (!View().Find(key, entry))
        return false;
    const CTimeLineButtonData data(entry.pattern, entry.level, m_geometry.EntryX(key), m_geometry.EntryY(entry.level),
                                   entry.time / 1000.0);
    out = EntryView{key, data, entry.selected, m_points.WindowOf(key)};
    return true;
}

bool CTimeLineButtonManager::IsSelected(int32_t key) const
{
    return m_document.HasTenth(key) && m_selected.count(key) != 0;
}

int32_t CTimeLineButtonManager::PatternOf(int32_t key) const
{
    CommandData entry;
    return m_document.EntryOf(key, entry) ? entry.pattern : 0;
}

// --- the user's edits ---

void CTimeLineButtonManager::Made(int32_t key)
{
    m_selected.erase(key);
    TouchKeys({key});
    if (m_setUp)
        m_points.Give(key);
}

void CTimeLineButtonManager::InsertAt(double seconds, int32_t pattern, int32_t level)
{
    const int32_t time = CommandTimeOf(seconds);
    if (m_document.Insert(time, pattern, level))
        Made(TenthOfTime(time));
}

bool CTimeLineButtonManager::AddPointAt(POINT point, int32_t pattern)
{
    const int32_t time = CommandTimeOf(TimeAtX(point.x));
    if (m_document.Insert(time, pattern, LevelAtY(point.y)))
        Made(TenthOfTime(time));
    return true;
}

bool CTimeLineButtonManager::MovePoint(HWND window, POINT point)
{
    const int32_t key = KeyOfWindow(window);
    return key != INT32_MIN && MovePoint(key, point);
}

bool CTimeLineButtonManager::MovePoint(int32_t from, POINT point)
{
    CommandData entry;
    RECT face;
    if (!m_document.EntryOf(from, entry) || !FaceOf(from, face) || !IsOnGraph(m_geometry, point)) {
        ReturnPoint(from);
        return false;
    }
    // The travel from where the point is drawn now, in whole tenths: a drag up or down keeps
    // the point's time exactly, whatever the zoom.
    const double travel = point.x - (face.left + kPointSize / 2);
    const double ppt = m_geometry.pixelsPerTenth > 0.0f ? m_geometry.pixelsPerTenth : 1.0;
    const double tenths = std::fabs(travel) < ppt ? 0.0 : std::nearbyint(travel / ppt);
    const int32_t level = LevelAtY(point.y);
    if (IsSelected(from) && SelectedKeys().size() > 1) {
        const bool moved = MoveSelected(SaturatedInt32(tenths), level - ShownLevel(entry.level));
        if (!moved)
            ReturnPoint(from);
        return moved;
    }
    const int32_t time = SaturatedInt32(std::max(0.0, entry.time + tenths * 1000.0));
    const int32_t to = TenthOfTime(time);
    if (!m_document.Move(from, time, level)) {
        ReturnPoint(from);
        return false;
    }
    Made(to);
    return true;
}

bool CTimeLineButtonManager::MoveSelected(int32_t tenths, int32_t levels)
{
    const std::vector<int32_t> keys = SelectedKeys();
    if (keys.empty() || (tenths == 0 && levels == 0))
        return false;
    std::vector<int32_t> targets;
    for (int32_t key : keys) {
        CommandData entry;
        m_document.EntryOf(key, entry);
        targets.push_back(TenthOfTime(SaturatedInt32(std::max(0.0, entry.time + tenths * 1000.0))));
    }
    if (!m_document.MoveTenths(keys, SaturatedInt32(tenths * 1000.0), levels))
        return false;
    // The selection goes with the points; the tenths they left keep their mark for an undo.
    m_selected.insert(targets.begin(), targets.end());
    TouchKeys(targets);
    return true;
}

bool CTimeLineButtonManager::NudgeSelected(int32_t tenths)
{
    return MoveSelected(tenths, 0);
}

std::vector<int32_t> CTimeLineButtonManager::SelectedKeys() const
{
    std::vector<int32_t> keys;
    for (int32_t key : m_selected)
        if (m_document.HasTenth(key))
            keys.push_back(key);
    return keys;
}

int CTimeLineButtonManager::SelectedCount() const
{
    return static_cast<int>(SelectedKeys().size());
}

void CTimeLineButtonManager::TouchKeys(const std::vector<int32_t>& keys)
{
    ++m_selectionRevision;
    if (keys.size() > 64) {
        m_layer.Invalidate();
        return;
    }
    for (int32_t key : keys)
        m_layer.Touch(m_geometry.EntryX(key));
}

void CTimeLineButtonManager::SelectAll()
{
    std::vector<int32_t> keys;
    for (const auto& tenth : m_document.ByTenth())
        if (m_selected.insert(tenth.first).second)
            keys.push_back(tenth.first);
    TouchKeys(keys);
}

void CTimeLineButtonManager::ClearSelection()
{
    const std::vector<int32_t> keys = SelectedKeys();
    m_selected.clear();
    TouchKeys(keys);
}

void CTimeLineButtonManager::Escape()
{
    RECT band;
    if (m_band.Rect(band))
        m_band.Cancel();
    else if (!m_points.CancelPress())
        ClearSelection();
}

void CTimeLineButtonManager::SelectWithin(const RECT& rect)
{
    int32_t first = 0, last = 0, visibleFirst = 0, visibleLast = 0;
    KeysAcrossColumns(m_geometry, m_now, rect.left, rect.right, first, last);
    KeysInRange(m_geometry, m_now, 0, visibleFirst, visibleLast);
    std::vector<int32_t> keys;
    View().Walk(std::max(first, visibleFirst), std::min(last, visibleLast), [&](const CTimeLineEntry& entry) {
        const POINT corner = PointPosition(m_geometry, entry.key, entry.level, m_now);
        const POINT centre = {corner.x + kPointSize / 2, corner.y + kPointSize / 2};
        if (centre.x >= rect.left && centre.x < rect.right && centre.y >= rect.top && centre.y < rect.bottom &&
            m_selected.insert(entry.key).second)
            keys.push_back(entry.key);
        return true;
    });
    TouchKeys(keys);
}

void CTimeLineButtonManager::ToggleAt(POINT at)
{
    int32_t key = 0;
    if (TopmostKeyAt(at, key))
        ToggleSelected(key);
}

std::string CTimeLineButtonManager::SelectionText() const
{
    CSheetDocument::Records records;
    for (int32_t key : SelectedKeys()) {
        const CSheetDocument::Records& tenth = m_document.ByTenth().at(key);
        records.insert(records.end(), tenth.begin(), tenth.end());
    }
    if (records.empty())
        return std::string();
    const int32_t origin = records.front().time;
    for (CommandData& record : records)
        record = CommandData(record.time - origin, record.pattern, record.level);
    return FormatRecordLines(records);
}

CTimeLineButtonManager::Paste CTimeLineButtonManager::PasteText(const std::string& text, double seconds)
{
    CSheetDocument::Records records;
    if (!ParseRecordLines(text, records))
        return Paste::kNotRecords;
    int32_t origin = records.front().time;
    for (const CommandData& record : records)
        origin = std::min(origin, record.time);
    const double at = CommandTimeOf(seconds);
    std::vector<int32_t> keys;
    for (CommandData& record : records) {
        record = CommandData(SaturatedInt32(std::max(0.0, at + (static_cast<double>(record.time) - origin))),
                             record.pattern, record.level);
        keys.push_back(TenthOfTime(record.time));
    }
    if (!m_document.CanPlace(records))
        return Paste::kTooMany;
    ClearSelection();
    m_document.PlaceRecords(records);
    m_selected.insert(keys.begin(), keys.end());
    TouchKeys(keys);
    return Paste::kPasted;
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
    return m_document.Delete(key);
}

void CTimeLineButtonManager::RepatternSelected(int32_t pattern)
{
    const CSheetDocument::CStep step(m_document);
    for (int32_t key : m_selected)
        m_document.Repattern(key, pattern);
}

void CTimeLineButtonManager::ToggleSelected(HWND window)
{
    ToggleSelected(KeyOfWindow(window));
}

void CTimeLineButtonManager::ToggleSelected(int32_t key)
{
    SetSelected(key, !IsSelected(key));
}

void CTimeLineButtonManager::SetSelected(int32_t key, bool selected)
{
    if (!m_document.HasTenth(key) || IsSelected(key) == selected)
        return;
    if (selected)
        m_selected.insert(key);
    else
        m_selected.erase(key);
    TouchKeys({key});
}

bool CTimeLineButtonManager::DeleteSelected()
{
    std::vector<int32_t> keys;
    for (int32_t key : m_selected)
        if (m_document.HasTenth(key))
            keys.push_back(key);
    if (keys.empty())
        return false;
    const CSheetDocument::CStep step(m_document);
    for (int32_t key : keys)
        m_document.Delete(key);
    return true;
}

void CTimeLineButtonManager::DeleteAll()
{
    m_document.DeleteAll();
}

// --- what the document tells ---

void CTimeLineButtonManager::OnTenthsChanged(const std::vector<int32_t>& tenths)
{
    // A tenth's point lies at the same x whatever it holds: one touch covers before and after.
    if (tenths.size() > 64) {
        m_layer.Invalidate();
    } else {
        for (int32_t key : tenths)
            m_layer.TouchTenth(key);
    }
    // An emptied sheet starts its points' identifiers over, as a new one does.
    if (m_document.TenthCount() == 0)
        m_points.ForgetAll();
    else
        m_points.Follow([&tenths](int32_t key) { return std::binary_search(tenths.begin(), tenths.end(), key); });
    TrackPointer();
}

void CTimeLineButtonManager::OnSheetReplaced()
{
    m_selected.clear();
    ++m_selectionRevision;
    m_points.ForgetAll();
    m_layer.Invalidate();
    TrackPointer();
}
