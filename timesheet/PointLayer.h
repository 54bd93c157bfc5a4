#pragma once
#include <cstdint>
#include <vector>

#include "base/Win32.h"
#include "editor/DibCanvas.h"
#include "timesheet/GraphPainter.h"
#include "timesheet/TimeLineEntry.h"
#include "timesheet/TimeLineGeometry.h"

// The faces of the shown points, drawn once into a layer and copied keyed into the back buffer
// on every tick. Every shown point moves by the same whole number of pixels as the graph
// scrolls (its x is its place at time 0 less the same truncated offset), so the layer is kept
// in time-0 columns and only copied further left: a tick redraws only the points that came
// into view or left it, and an edit only the rectangle of the points it touched. Hover and
// press are drawn over the copy by the caller. The layer holds the faces exactly as drawing
// every shown entry in key order would.
//
// The layer's pixels are written here, not through GDI: in zoom 2 a face overlaps some forty
// others, so a point leaving the view redraws that many faces, and three blits for each cost
// more than the rest of the tick. Each face is drawn once through GDI into a small capture and
// then applied with the same bitwise operations the blits perform, so the result is the same.
//
// The step line (the level in effect as the device plays it, a thin line beneath the faces)
// is kept in a second copy of the layer, beneath the faces: through every entry's centre, it
// too is the same at every tick but for where it is cut. In zoom 2 it has a vertex at nearly
// every column, and writing it anew at each tick cost as much as the rest of the time line.
// The graph shows it from its left edge at the level of the last entry before the shown
// points, with vertices at the shown points only; where an entry out of view lies within the
// graph's edges, or a shown one beyond them, the columns up to it are drawn from the faces
// alone with the line as the graph shows it written beneath.
class CPointLayer {
public:
    CPointLayer() = default;
    CPointLayer(const CPointLayer&) = delete;
    CPointLayer& operator=(const CPointLayer&) = delete;

    // Everything again at the next paint (a load, a zoom, a size change, another window).
    void Invalidate() { m_valid = false; }
    // The rectangle of a face whose centre lies at x when the playback position is 0 again
    // at the next paint: before it changes and after.
    void Touch(int x);
    // A tenth whose entry came, went or changed: its face and the step line on to the next
    // entry again at the next paint.
    void TouchTenth(int32_t key);
    // The memory goes with the editor window.
    void Release();

    // Brings the layer to the playback position now and copies it into dest, with the step
    // line beneath the faces. excluded is a key drawn elsewhere (a dragged point), INT32_MIN
    // for none; its place on the step line stays.
    void Paint(HDC dest, const CTimeLineEntries& entries, const CTimeLineGeometry& g, double now,
               CGraphPainter& painter, int32_t excluded);

private:
    struct Span {
        int left;
        int right; // excluded
    };
    // One face as the keyed blits leave it: colour on black, mask black where it is opaque.
    struct Face {
        bool captured = false;
        bool empty = true;
        std::vector<uint32_t> colour, mask;
    };

    // The screen columns of the graph [left, right) and how the layer goes there: with the
    // step line it keeps, or with the faces alone over the line as the graph shows it.
    struct Zone {
        int left, right;
        bool lined;
    };

    bool MakeBitmaps(HDC reference, int width, int height);
    size_t Index(int column, int row) const
    {
        return static_cast<size_t>(row) * static_cast<size_t>(m_width) + static_cast<size_t>(column);
    }
    // The layer's columns from column on, width of them, written straight into pixels whose
    // top-left is origin, from destLeft on, within what clipOf (when not null) is clipped to:
    // two blits over the whole graph cost more than the rest of the tick.
    void LayOver(const DibPixels& pixels, POINT origin, HDC clipOf, const CTimeLineEntries& entries,
                 const CTimeLineGeometry& g, int destLeft, int width, int column);
    // Where the step line the layer keeps is the one the graph shows, and the zones either side.
    void Zones(const CTimeLineEntries& entries, const CTimeLineGeometry& g, int destLeft, int width, Zone zones[3]) const;
    const Face& FaceOf(int32_t pattern, int32_t state, CGraphPainter& painter);
    // Layer columns [left, right) emptied.
    void Clear(int left, int right);
    // Into the faces alone, and when lined into the copy with the step line too.
    void DrawFace(const CTimeLineEntry& entry, const CTimeLineGeometry& g, CGraphPainter& painter, bool lined);
    // The copy with the step line made again in layer columns [left, right) from the faces.
    void Line(const CTimeLineEntries& entries, const CTimeLineGeometry& g, int left, int right);
    // Everything shown drawn again, the layer starting a little left of time-0 column left.
    void Rebuild(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter, int left);
    // The time-0 columns of the span drawn again from the shown entries.
    void Redraw(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter, Span columns);
    void RedrawDirty(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter);
    // Column 0 becomes time-0 column base.
    void MoveTo(int base);
    // The shown keys become [first, last]; false when too much changed to follow piece by piece.
    bool FollowShownKeys(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter,
                         int32_t first, int32_t last);

    CDibSurface m_colour;
    CDibSurface m_mask;
    // The same with the step line beneath the faces.
    std::vector<uint32_t> m_linedColour;
    std::vector<uint32_t> m_linedMask;
    // What a whitened mask pixel holds.
    uint32_t m_white = 0xFFFFFFFFu;
    // Faces by pattern column and by normal or pressed.
    Face m_faces[10][2];
    // Layer columns that face drawing is cut to.
    Span m_clip = {0, 0};
    int m_width = 0;
    int m_height = 0;
    // Time-0 x of layer column 0, and time-0 y of row 0.
    int m_base = 0;
    int m_top = 0;
    bool m_valid = false;
    // The keys the layer shows, and the one it leaves out.
    int32_t m_first = 0;
    int32_t m_last = -1;
    int32_t m_excluded = INT32_MIN;
    // What every shown point's x at time 0 is less on the screen, at this paint.
    int m_shift = 0;
    std::vector<Span> m_dirty;
    std::vector<int32_t> m_touchedTenths;
};
