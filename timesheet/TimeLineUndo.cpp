// The time line's edits as steps that can be undone and redone, and the edits that act on
// many points at once.
#include "timesheet/TimeLineButtonManager.h"

#include <cmath>
#include <vector>

#include "timesheet/DeviceSync.h"

CTimeLineButtonManager::CStepScope::CStepScope(CTimeLineButtonManager& manager) : m_manager(manager)
{
    if (m_manager.m_stepDepth++ == 0)
        m_manager.m_stepBefore.clear();
}

CTimeLineButtonManager::CStepScope::~CStepScope()
{
    if (--m_manager.m_stepDepth != 0)
        return;
    EditStep step;
    for (const auto& item : m_manager.m_stepBefore) {
        EntryChange change = {item.first, item.second, m_manager.StateOf(item.first)};
        if (!change.before.SameAs(change.after))
            step.push_back(change);
    }
    m_manager.m_stepBefore.clear();
    if (step.empty())
        return;
    m_manager.m_history.Push(std::move(step));
    m_manager.m_modified = !m_manager.m_history.AtSaved();
}

void CTimeLineButtonManager::NoteBefore(int32_t key)
{
    if (m_stepDepth > 0 && m_stepBefore.find(key) == m_stepBefore.end())
        m_stepBefore.emplace(key, StateOf(key));
}

EntryState CTimeLineButtonManager::StateOf(int32_t key) const
{
    EntryState state;
    const auto entry = m_entries.find(key);
    if (entry == m_entries.end())
        return state;
    state.present = true;
    state.data = entry->second.data;
    state.snapped = state.data.x == m_geometry.EntryX(state.data.time);
    state.selected = entry->second.selected;
    return state;
}

void CTimeLineButtonManager::Restore(int32_t key, const EntryState& state)
{
    // The device plays what the graph shows: every command of the tenth goes, and the
    // entry's own comes back, as after the edit itself.
    RemoveDeviceCommands(m_device, key);
    const auto existing = m_entries.find(key);
    const bool wasSelected = existing != m_entries.end() && existing->second.selected;
    const bool existed = existing != m_entries.end();
    EraseEntry(key);
    if (!state.present)
        return;
    CTimeLineButtonData data = state.data;
    // Laid out for the zoom and size of now, which may not be those of the edit.
    data.x = m_geometry.PointX(data.time, state.snapped);
    data.y = m_geometry.EntryY(data.level);
    StoreEntry(key, data, false);
    // A point that stayed keeps the selection it has now; one that comes back, the one it had.
    SetSelected(key, existed ? wasSelected : state.selected);
    AddDeviceCommand(m_device, data.time / 10.0, data.pattern, data.level);
}

bool CTimeLineButtonManager::ApplyStep(const EditStep* step, bool forward)
{
    if (step == nullptr)
        return false;
    for (const EntryChange& change : *step)
        Restore(change.key, forward ? change.after : change.before);
    m_modified = !m_history.AtSaved();
    TrackPointer();
    return true;
}

bool CTimeLineButtonManager::Undo()
{
    return ApplyStep(m_history.Undo(), false);
}

bool CTimeLineButtonManager::Redo()
{
    return ApplyStep(m_history.Redo(), true);
}

void CTimeLineButtonManager::SetModified(bool modified)
{
    m_modified = modified;
    if (modified)
        m_history.ForgetSaved();
    else
        m_history.MarkSaved();
}

bool CTimeLineButtonManager::DeleteSelected()
{
    std::vector<int32_t> keys;
    for (const auto& item : m_entries)
        if (item.second.selected)
            keys.push_back(item.first);
    if (keys.empty())
        return false;
    const CStepScope step(*this);
    for (int32_t key : keys)
        DeletePoint(key);
    return true;
}

void CTimeLineButtonManager::DeleteAll()
{
    const CStepScope step(*this);
    for (const auto& item : m_entries)
        NoteBefore(item.first);
    ClearEntries();
}
