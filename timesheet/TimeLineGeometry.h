#pragma once
#include <cstdint>

// Where the time-line graph lies in the editor and how many tenths of a second it spans, for
// one size mode (normal or wide) and one zoom mode (0: 10 s, 1: 25 s, 2: 100 s across).
// Scale values are single precision on purpose: entry positions, clicks and grid lines are
// all truncated from them, and a point must land on the same pixel as the grid says it does.
struct CTimeLineGeometry {
    int gridLeft = 0;
    int gridTop = 0;
    int gridRight = 0;
    int gridBottom = 0;
    int graphLeft = 0;
    int graphTop = 0;
    int graphRight = 0;
    int graphBottom = 0;
    int graphWidth = 0;
    int graphHeight = 0;

    float tenthsAcross = 0.0f;
    float pixelsPerTenth = 0.0f;
    // x of the playback position.
    float origin = 0.0f;
    float pixelsPerLevel = 0.0f;
    float baseline = 0.0f;
    int pixelsPerTenthWhole = 0;
    int pixelsPerLevelWhole = 0;
    // The keys shown around the playback key: [now * 10 - before, now * 10 + after].
    int keysBefore = 0;
    int keysAfter = 0;

    // sizeMode 0 normal, 1 wide; zoomMode 0-2 (anything else counts as 0). The mini window
    // keeps the geometry it had, so the caller passes the last non-mini mode.
    void Compute(int sizeMode, int zoomMode);

    // Where an entry sits when the playback position is 0: x of its tenth (the time in tenths
    // truncated first), y of its level. A level outside 0 to 10, as a hand-made file may hold,
    // is drawn at the nearer end of the graph; the entry keeps the value it was given.
    int32_t EntryX(double tenths) const;
    int32_t EntryY(int32_t level) const;
};

// Point buttons are 20 x 20 and placed by their centre.
constexpr int kPointSize = 20;
constexpr float kPointHalf = 10.0f;
