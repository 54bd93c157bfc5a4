#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/Win32.h"
#include "editor/GdiObjects.h"
#include "editor/GdiTexture.h"
#include "timesheet/TimeLineGeometry.h"

// Draws the time-line graph into the back buffer: the grid lines every 5 s with their labels,
// the playback line and the time under the pointer, and the faces of the points, all from
// the geometry, the playback position and the entries. Its pens, fonts and the point strip
// (10 pattern columns by 5 states) are made once and live as long as the time line; the strip
// goes with the editor window, as the graphics library it was read with stops then.
class CGraphPainter {
public:
    CGraphPainter() = default;
    CGraphPainter(const CGraphPainter&) = delete;
    CGraphPainter& operator=(const CGraphPainter&) = delete;

    // Pens, fonts and cursors, once.
    void MakeDrawingObjects();
    void LoadStrip(const std::string& skinFolder, HDC reference);
    void UnloadStrip() { m_strip.Unload(); }
    CGdiTexture& Strip() { return m_strip; }
    HCURSOR HandCursor() const { return m_handCursor; }

    // The grid with its labels and the playback line; cursor (null: off the graph) gets the
    // time under it printed above the grid.
    void PaintGrid(HDC dc, const CTimeLineGeometry& g, int zoomMode, double now, const POINT* cursor) const;
    // One point's face, its top-left corner at (x, y), in the column of its pattern (a pattern
    // outside 0 to 9 from a hand-made file takes the nearer column) and the row of its state.
    void PaintPoint(HDC dc, int x, int y, int32_t pattern, int32_t state);
    // The same face into a layer: its colour keyed into colour, its mask into mask.
    void PaintPointInto(HDC colour, HDC mask, int x, int y, int32_t pattern, int32_t state);

private:
    bool SelectFace(int x, int y, int32_t pattern, int32_t state);

    enum class Labels { kNone, kAll, kNotBelowZero };
    // The x of grid lines drawn in one go.
    struct GridLines {
        static constexpr size_t kMost = 24;
        int xs[kMost];
        size_t count = 0;
        void Add(int x)
        {
            if (count < kMost)
                xs[count++] = x;
        }
    };
    // Twelve lines 10 s apart from base leftwards, the first labelled firstLabel seconds: the
    // labels drawn, the lines added.
    void AddLines(HDC dc, const CTimeLineGeometry& g, float base, float off, long long firstLabel, Labels labels,
                  GridLines& lines) const;
    // From the grid's top to its bottom, left out as a pen leaves it.
    static void DrawLines(HDC dc, const CTimeLineGeometry& g, const GridLines& lines, HPEN pen, COLORREF ink);

    CGdiObject<HPEN> m_plainPen;
    CGdiObject<HPEN> m_playbackPen;
    CGdiObject<HPEN> m_majorPen;
    CFontHandle m_font10;
    CFontHandle m_font12;
    CFontHandle m_popFont10;
    HCURSOR m_handCursor = nullptr;
    HCURSOR m_arrowCursor = nullptr;
    CGdiTexture m_strip;
    int32_t m_stripColumn = -1;
};

// The colour the skin gives the points of a pattern (one outside 0 to 9 takes the nearer one),
// and the colour of a stretch where no point is in effect.
COLORREF PatternColour(int32_t pattern);
constexpr COLORREF kSilentColour = RGB(70, 70, 84);
// How far above the grid's top the time labels and the time under the pointer stand.
constexpr int kLabelAbove = 14;
constexpr int kPointerTimeAbove = 22;

// "%02d:%02d:%02d.%d" of a time (hours not limited to two digits) with the tenths digit given.
std::wstring FormatClock(double seconds, int32_t tenthsDigit);
