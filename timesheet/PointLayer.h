#pragma once
#include <cstdint>
#include <vector>

#include "base/Win32.h"
#include "editor/GdiObjects.h"
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
class CPointLayer {
public:
    CPointLayer() = default;
    CPointLayer(const CPointLayer&) = delete;
    CPointLayer& operator=(const CPointLayer&) = delete;

    // Everything again at the next paint (a load, a zoom, a size change, another window).
    void Invalidate() { m_valid = false; }
    // The rectangle of this entry's face again at the next paint: before it changes and after.
    void Touch(const CTimeLineButtonData& data);
    // The memory goes with the editor window.
    void Release();

    // Brings the layer to the playback position now and copies it into dest. excluded is a
    // key drawn elsewhere (a dragged point), INT32_MIN for none.
    void Paint(HDC dest, const TimeLineEntries& entries, const CTimeLineGeometry& g, double now,
               CGraphPainter& painter, int32_t excluded);

private:
    struct Span {
        int left;
        int right; // excluded
    };

    bool MakeBitmaps(HDC reference, int width, int height);
    // Layer columns [left, right) emptied.
    void Clear(int left, int right);
    void DrawFace(const CTimeLineEntry& entry, CGraphPainter& painter);
    // Everything shown drawn again, the layer starting a little left of time-0 column left.
    void Rebuild(const TimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter, int left);
    // The time-0 columns of the span drawn again from the shown entries.
    void Redraw(const TimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter, Span columns);
    void RedrawDirty(const TimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter);
    // Column 0 becomes time-0 column base.
    void MoveTo(int base);
    // The shown keys become [first, last]; false when too much changed to follow piece by piece.
    bool FollowShownKeys(const TimeLineEntries& entries, CGraphPainter& painter, int32_t first, int32_t last);

    CMemoryBitmapDC m_colour;
    CMemoryBitmapDC m_mask;
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
    std::vector<Span> m_dirty;
};
