#include "sheet/SheetDocument.h"

#include <algorithm>
#include <utility>

#include "base/file/ReplaceFile.h"
#include "sheet/SheetTime.h"

namespace {

int32_t NotBeforeZero(int32_t time)
{
    return time < 0 ? 0 : time;
}

} // namespace

// --- reading and writing ---

SheetRead CSheetDocument::Load(const char* path)
{
    CTimeSheetFileContent content;
    const SheetRead read = ReadTimeSheetFile(path, content);
    if (read == SheetRead::kRead)
        Replace(content);
    return read;
}

void CSheetDocument::Replace(const CTimeSheetFileContent& content)
{
    for (int i = 0; i < kHeaderLines; ++i)
        m_header[i] = content.header[i];
    Records records = content.records;
    for (CommandData& record : records)
        record = CommandData(NotBeforeZero(record.time), record.pattern, record.level);
    // A hand-made sheet may list its records in any order: it plays, and is shown, in time
    // order, the records of one time in the order of the file.
    std::stable_sort(records.begin(), records.end(),
                     [](const CommandData& a, const CommandData& b) { return a.time < b.time; });
    m_tenths.clear();
    for (const CommandData& record : records)
        m_tenths[TenthOfTime(record.time)].push_back(record);
    m_recordCount = records.size();
    m_history.Clear();
    m_stepBefore.clear();
    m_runBefore.clear();
    m_runOpen = false;
    m_runChanged = false;
    ++m_revision;
    const std::vector<ISheetObserver*> observers = m_observers;
    for (ISheetObserver* observer : observers)
        observer->OnSheetReplaced();
}

std::string CSheetDocument::Text(const std::string& secondLine) const
{
    return FormatTimeSheet(m_moviePath, AllRecords(), secondLine);
}

bool CSheetDocument::Save(const char* path)
{
    const std::string text = Text();
    if (path == nullptr || !Quorvel::Base::File::ReplaceFileContents(path, text.data(), text.size()))
        return false;
    m_header[0] = m_moviePath.empty() ? std::string("111111") : m_moviePath;
    MarkSaved();
    return true;
}

void CSheetDocument::Clear()
{
    EndRun();
    Replace(CTimeSheetFileContent());
}

// --- what it holds ---

bool CSheetDocument::EntryOf(int32_t tenth, CommandData& entry) const
{
    const auto found = m_tenths.find(tenth);
    if (found == m_tenths.end() || found->second.empty())
        return false;
    entry = found->second.back();
    return true;
}

CSheetDocument::Records CSheetDocument::AllRecords() const
{
    Records all;
    all.reserve(m_recordCount);
    for (const auto& tenth : m_tenths)
        all.insert(all.end(), tenth.second.begin(), tenth.second.end());
    return all;
}

const std::string& CSheetDocument::HeaderLine(int index) const
{
    static const std::string none;
    return index >= 0 && index < kHeaderLines ? m_header[index] : none;
}

// --- edits ---

CSheetDocument::CStep::CStep(CSheetDocument& document) : m_document(document)
{
    m_document.BeginStep();
}

CSheetDocument::CStep::~CStep()
{
    m_document.EndStep();
}

void CSheetDocument::BeginStep()
{
    if (m_stepDepth == 0) {
        // A run is closed before anything else touches the records: its step holds only what
        // the run did.
        if (m_runOpen && !m_joinRun)
            EndRun();
        m_stepJoins = m_joinRun;
        m_joinRun = false;
        m_stepBefore.clear();
    }
    ++m_stepDepth;
}

void CSheetDocument::EndStep()
{
    if (--m_stepDepth != 0)
        return;
    std::vector<int32_t> tenths;
    for (const auto& item : m_stepBefore) {
        const auto now = m_tenths.find(item.first);
        if (now != m_tenths.end() ? now->second != item.second : !item.second.empty())
            tenths.push_back(item.first);
    }
    m_stepChanged = !tenths.empty();
    if (m_runOpen && m_stepJoins) {
        m_runChanged = m_runChanged || m_stepChanged;
        // The run keeps what each tenth held before its first edit.
        for (auto& item : m_stepBefore)
            m_runBefore.emplace(item.first, std::move(item.second));
        m_stepBefore.clear();
    } else {
        PushStep(m_stepBefore);
    }
    if (m_stepChanged)
        TellChanged(tenths);
}

bool CSheetDocument::PushStep(std::map<int32_t, Records>& before)
{
    SheetStep step;
    for (auto& item : before) {
        const auto now = m_tenths.find(item.first);
        Records after = now != m_tenths.end() ? now->second : Records();
        if (after != item.second)
            step.push_back(TenthChange{item.first, std::move(item.second), std::move(after)});
    }
    before.clear();
    if (step.empty())
        return false;
    m_history.Push(std::move(step));
    return true;
}

CSheetDocument::CRunEdit::CRunEdit(CSheetDocument& document) : m_document(document)
{
    m_document.m_runOpen = true;
    m_document.m_joinRun = true;
}

CSheetDocument::CRunEdit::~CRunEdit()
{
    // An edit that changed nothing made no step: the flag is not left for the next one.
    m_document.m_joinRun = false;
}

void CSheetDocument::EndRun()
{
    if (!m_runOpen)
        return;
    m_runOpen = false;
    m_runChanged = false;
    PushStep(m_runBefore);
}

void CSheetDocument::SetTenth(int32_t tenth, Records records)
{
    const auto found = m_tenths.find(tenth);
    if (m_stepDepth > 0 && m_stepBefore.find(tenth) == m_stepBefore.end())
        m_stepBefore.emplace(tenth, found != m_tenths.end() ? found->second : Records());
    const size_t count = records.size();
    if (found != m_tenths.end()) {
        m_recordCount -= found->second.size();
        if (records.empty())
            m_tenths.erase(found);
        else
            found->second = std::move(records);
    } else if (!records.empty()) {
        m_tenths.emplace(tenth, std::move(records));
    }
    m_recordCount += count;
    ++m_revision;
}

bool CSheetDocument::Insert(int32_t time, int32_t pattern, int32_t level)
{
    time = NotBeforeZero(time);
    const int32_t tenth = TenthOfTime(time);
    CommandData entry;
    // The point shows what it showed before: nothing for undo to take back.
    if (EntryOf(tenth, entry) && entry.pattern == pattern && entry.level == level)
        return false;
    const CStep step(*this);
    SetTenth(tenth, Records{CommandData(time, pattern, level)});
    return true;
}

bool CSheetDocument::Delete(int32_t tenth)
{
    if (!HasTenth(tenth))
        return false;
    const CStep step(*this);
    SetTenth(tenth, Records());
    return true;
}

bool CSheetDocument::Move(int32_t from, int32_t time, int32_t level)
{
    CommandData entry;
    if (!EntryOf(from, entry))
        return false;
    time = NotBeforeZero(time);
    const int32_t to = TenthOfTime(time);
    if ((to != from && HasTenth(to)) || (to == from && level == entry.level))
        return false;
    const CStep step(*this);
    SetTenth(from, Records());
    SetTenth(to, Records{CommandData(time, entry.pattern, level)});
    return true;
}

bool CSheetDocument::Repattern(int32_t tenth, int32_t pattern)
{
    CommandData entry;
    if (!EntryOf(tenth, entry) || entry.pattern == pattern)
        return false;
    const CStep step(*this);
    SetTenth(tenth, Records{CommandData(entry.time, pattern, entry.level)});
    return true;
}

bool CSheetDocument::MoveTenths(const std::vector<int32_t>& tenths, int32_t time, int32_t level)
{
    Records moved;
    for (int32_t tenth : tenths) {
        CommandData entry;
        if (!EntryOf(tenth, entry))
            continue;
        const int32_t shown = entry.level + level;
        moved.push_back(CommandData(NotBeforeZero(SaturatedInt32(static_cast<double>(entry.time) + time)),
                                    entry.pattern, shown < 0 ? 0 : shown > 10 ? 10 : shown));
    }
    if (moved.empty())
        return false;
    {
        const CStep step(*this);
        for (int32_t tenth : tenths)
            SetTenth(tenth, Records());
        PlaceRecords(moved);
    }
    // Inside a step of the caller's, whether it changed anything is known when that ends.
    return m_stepDepth > 0 || m_stepChanged;
}

std::map<int32_t, CSheetDocument::Records> CSheetDocument::TenthsOf(const Records& records)
{
    std::map<int32_t, Records> byTenth;
    Records sorted = records;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const CommandData& a, const CommandData& b) { return a.time < b.time; });
    for (const CommandData& record : sorted) {
        const int32_t time = NotBeforeZero(record.time);
        byTenth[TenthOfTime(time)].push_back(CommandData(time, record.pattern, record.level));
    }
    return byTenth;
}

bool CSheetDocument::HoldsTooMany(const std::map<int32_t, Records>& placed) const
{
    size_t after = m_recordCount;
    for (const auto& tenth : placed) {
        const auto held = m_tenths.find(tenth.first);
        after = after - (held != m_tenths.end() ? held->second.size() : 0) + tenth.second.size();
    }
    return after > static_cast<size_t>(kMostSheetRecords);
}

bool CSheetDocument::CanPlace(const Records& records) const
{
    return !HoldsTooMany(TenthsOf(records));
}

bool CSheetDocument::PlaceRecords(const Records& records)
{
    if (records.empty())
        return false;
    std::map<int32_t, Records> byTenth = TenthsOf(records);
    // A sheet its own file could not be read back from is refused whole.
    if (HoldsTooMany(byTenth))
        return false;
    {
        const CStep step(*this);
        for (auto& tenth : byTenth)
            SetTenth(tenth.first, std::move(tenth.second));
    }
    return m_stepDepth > 0 || m_stepChanged;
}

bool CSheetDocument::DeleteAll()
{
    if (m_tenths.empty())
        return false;
    std::vector<int32_t> tenths;
    tenths.reserve(m_tenths.size());
    for (const auto& item : m_tenths)
        tenths.push_back(item.first);
    const CStep step(*this);
    for (int32_t tenth : tenths)
        SetTenth(tenth, Records());
    return true;
}

// --- undo and redo ---

bool CSheetDocument::Apply(const SheetStep* step, bool forward)
{
    if (step == nullptr)
        return false;
    std::vector<int32_t> tenths;
    tenths.reserve(step->size());
    for (const TenthChange& change : *step) {
        SetTenth(change.tenth, forward ? change.after : change.before);
        tenths.push_back(change.tenth);
    }
    TellChanged(tenths);
    return true;
}

bool CSheetDocument::Undo()
{
    EndRun();
    return m_stepDepth == 0 && Apply(m_history.Undo(), false);
}

bool CSheetDocument::Redo()
{
    EndRun();
    return m_stepDepth == 0 && Apply(m_history.Redo(), true);
}

// --- observers ---

void CSheetDocument::AddObserver(ISheetObserver* observer)
{
    if (observer != nullptr && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CSheetDocument::RemoveObserver(ISheetObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CSheetDocument::TellChanged(const std::vector<int32_t>& tenths)
{
    // An observer may stop observing while it is told.
    const std::vector<ISheetObserver*> observers = m_observers;
    for (ISheetObserver* observer : observers)
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end())
            observer->OnTenthsChanged(tenths);
}
