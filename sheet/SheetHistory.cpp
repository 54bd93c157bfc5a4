#include "sheet/SheetHistory.h"

#include <utility>

void CSheetHistory::Push(SheetStep step)
{
    if (step.empty())
        return;
    while (m_steps.size() > m_position) {
        m_changes -= m_steps.back().size();
        m_steps.pop_back();
    }
    if (m_saved > static_cast<long long>(m_position))
        m_saved = -1;
    m_changes += step.size();
    m_steps.push_back(std::move(step));
    ++m_position;
    while (m_steps.size() > 1 && (m_steps.size() > kMostSteps || m_changes > kMostChanges))
        DropOldest();
}

void CSheetHistory::DropOldest()
{
    m_changes -= m_steps.front().size();
    m_steps.pop_front();
    --m_position;
    // The saved state was the one before the dropped step: no undo reaches it now.
    m_saved = m_saved > 0 ? m_saved - 1 : -1;
}

const SheetStep* CSheetHistory::Undo()
{
    if (!CanUndo())
        return nullptr;
    return &m_steps[--m_position];
}

const SheetStep* CSheetHistory::Redo()
{
    if (!CanRedo())
        return nullptr;
    return &m_steps[m_position++];
}

void CSheetHistory::Clear()
{
    m_steps.clear();
    m_position = 0;
    m_saved = 0;
    m_changes = 0;
}
