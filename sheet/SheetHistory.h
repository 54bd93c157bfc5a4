#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sheet/CommandData.h"

// One tenth of the sheet as an edit found it and left it: every record of it, in time order.
struct TenthChange {
    int32_t tenth;
    std::vector<CommandData> before;
    std::vector<CommandData> after;
};

// What one user action changed, tenth by tenth (each tenth once, ascending).
using SheetStep = std::vector<TenthChange>;

// The edits that can be undone and redone, and which state of them was last saved or loaded.
// Bounded both in steps and in the tenths they hold, so that deleting an hour-long sheet a
// few times over cannot take the player's memory: the oldest steps go first, the newest one
// always stays.
class CSheetHistory {
public:
    static constexpr size_t kMostSteps = 1000;
    static constexpr size_t kMostChanges = 500000;

    // A new step after the current one; whatever could be redone is gone.
    void Push(SheetStep step);
    // The step to undo (and the history one step back), or null.
    const SheetStep* Undo();
    // The step to redo (and the history one step on), or null.
    const SheetStep* Redo();
    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position < m_steps.size(); }
    // No steps; the state now counts as saved.
    void Clear();
    void MarkSaved() { m_saved = static_cast<long long>(m_position); }
    // The saved state can no longer be reached by undo or redo.
    void ForgetSaved() { m_saved = -1; }
    bool AtSaved() const { return m_saved == static_cast<long long>(m_position); }
    size_t StepCount() const { return m_steps.size(); }

private:
    void DropOldest();

    std::deque<SheetStep> m_steps;
    // Steps before this one are done.
    size_t m_position = 0;
    // The position last saved or loaded, -1 when it is gone.
    long long m_saved = 0;
    size_t m_changes = 0;
};
