#pragma once
#include <cstdint>

#include "base/Win32.h"

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

    // Where an entry's point sits when the playback position is 0: x of its tenth, y of its
    // level. A level outside 0 to 10, as a hand-made file may hold, is drawn at the nearer end
    // of the graph; the entry keeps the value it was given.
    int32_t EntryX(int32_t key) const;
    int32_t EntryY(int32_t level) const;
};

// Point buttons are 20 x 20 and placed by their centre.
constexpr int kPointSize = 20;
constexpr float kPointHalf = 10.0f;

// The mappings of the graph as plain functions of the geometry and the playback position
// (seconds). A time left of 0 is never named: before 5 s a click left of time 0 means 0, and
// later a click so far left that it would mean a time before 0 means 0 too.
double TimeAtX(const CTimeLineGeometry& g, double now, int x);
// The nearest level line to y, a half step going to the lower level; 0 off the graph.
int32_t LevelAtY(const CTimeLineGeometry& g, int y);
// The top-left corner of the point of an entry of key and level with the playback position at now.
POINT PointPosition(const CTimeLineGeometry& g, int32_t key, int32_t level, double now);
// Whether key lies within the visible range widened by margin keys on each side (compared in
// floating point; no negative key ever is).
bool IsKeyInRange(const CTimeLineGeometry& g, int32_t key, double now, int32_t margin);
// The keys of that range, [first, last]; first > last when there are none.
void KeysInRange(const CTimeLineGeometry& g, double now, int32_t margin, int32_t& first, int32_t& last);
// The keys whose points can reach the columns [left, right]: a superset, checked point by point.
void KeysAcrossColumns(const CTimeLineGeometry& g, double now, int left, int right, int32_t& first, int32_t& last);
// The graph area as clicks and drops see it (edges included) and as the pointer does (right
// and bottom edges excluded).
bool IsOnGraph(const CTimeLineGeometry& g, POINT at);
bool IsOverGraph(const CTimeLineGeometry& g, POINT at);
