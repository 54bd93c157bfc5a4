#pragma once
#include <chrono>
#include <string>

namespace BenchSupport {

using Clock = std::chrono::steady_clock;

inline double Microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// A sheet of count entries, one per tenth of a second from 0, patterns and levels cycling.
std::string SheetText(int count);

} // namespace BenchSupport

// One full tick of the real editor in the simulated player, while playing (the timer: the
// player's state and position, the time line, the device; the ticker; the controls' tick;
// every control painting into the back buffer; the back buffer to the screen), for sheets of
// 100 and 36,000 entries on a one-minute and an hour-long movie, in zoom modes 0 and 2, with
// the pointer resting on the graph and away from it, beside a full redraw of every control in
// the same state, and paused with nothing changing. Returns false when a tick takes 20 ms or
// more, grows with the sheet or the movie, or misses what drawing only what changed promises.
bool MeasureEditorTicks(const std::string& scratchFolder);
