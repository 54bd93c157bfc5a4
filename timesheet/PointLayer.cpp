#include "timesheet/PointLayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "controls/ButtonFace.h"
#include "editor/DibCanvas.h"
#include "sheet/CommandData.h"
#include "timesheet/StepLine.h"

namespace {

// Columns kept beyond what the graph shows: behind the playback position for a small step
// back, ahead of it so that the layer is moved only every so many pixels of playback.
constexpr int kBehind = 32;
constexpr int kAhead = 256;
// A face reaches this far beyond the graph: half a point, and a point inserted at the playback
// position sits up to a tenth right of its key.
constexpr int kReach = kPointSize + 2;
// More changes of the shown keys than this at once (a seek) redraw the whole layer.
constexpr size_t kMostChanges = 64;

// The uniform offset of every shown point: its x at time 0 less this is where it is drawn,
// as PointPosition truncates it.
int ShiftAt(const CTimeLineGeometry& g, double now)
{
    return SaturatedInt32(std::ceil(static_cast<double>(g.pixelsPerTenth) * (now * 10.0)));
}

int32_t FaceState(const CTimeLineEntry& entry)
{
    return entry.selected ? TervaneControl::kStatePressed : TervaneControl::kStateNormal;
}

constexpr int32_t kPatternColumns = 10;

// What SRCAND with the mask and then SRCPAINT with the colour leave: one pass the compiler
// can do four pixels at a time.
__attribute__((optimize("tree-vectorize"))) void LayRow(uint32_t* __restrict to, const uint32_t* __restrict mask,
                                                        const uint32_t* __restrict colour, int count)
{
    for (int x = 0; x < count; ++x)
        to[x] = (to[x] & mask[x]) | colour[x];
}

// A face's row cut into the layer's: what the keyed blits do to the colour and to the mask.
__attribute__((optimize("tree-vectorize"))) void LayFaceRow(uint32_t* __restrict colour, uint32_t* __restrict mask,
                                                            const uint32_t* __restrict faceColour,
                                                            const uint32_t* __restrict faceMask, int count)
{
    for (int x = 0; x < count; ++x) {
        colour[x] = (colour[x] & faceMask[x]) | faceColour[x];
        mask[x] &= faceMask[x];
    }
}

} // namespace

using StepLine::StepPen;
using StepLine::WalkLine;

void CPointLayer::Release()
{
    m_colour.Reset();
    m_mask.Reset();
    m_linedColour = std::vector<uint32_t>();
    m_linedMask = std::vector<uint32_t>();
    m_width = m_height = 0;
    m_valid = false;
    m_dirty.clear();
    m_touchedTenths.clear();
    for (auto& row : m_faces)
        for (Face& face : row)
            face = Face{};
}

const CPointLayer::Face& CPointLayer::FaceOf(int32_t pattern, int32_t state, CGraphPainter& painter)
{
    const int32_t column = std::max<int32_t>(0, std::min<int32_t>(kPatternColumns - 1, pattern));
    Face& face = m_faces[column][state == TervaneControl::kStatePressed ? 1 : 0];
    if (face.captured)
        return face;
    face.captured = true;
    CDibSurface colour, mask;
    if (!colour.Create(m_colour.Dc(), kPointSize, kPointSize) || !mask.Create(m_colour.Dc(), kPointSize, kPointSize))
        return face;
    PatBlt(colour.Dc(), 0, 0, kPointSize, kPointSize, BLACKNESS);
    PatBlt(mask.Dc(), 0, 0, kPointSize, kPointSize, WHITENESS);
    painter.PaintPointInto(colour.Dc(), mask.Dc(), 0, 0, column, state);
    GdiFlush();
    const size_t count = static_cast<size_t>(kPointSize) * kPointSize;
    face.colour.assign(colour.Row(0), colour.Row(0) + count);
    face.mask.assign(mask.Row(0), mask.Row(0) + count);
    face.empty = std::all_of(face.mask.begin(), face.mask.end(), [this](uint32_t m) { return m == m_white; }) &&
                 std::all_of(face.colour.begin(), face.colour.end(), [](uint32_t c) { return c == 0; });
    return face;
}

void CPointLayer::Touch(int x)
{
    if (m_valid)
        m_dirty.push_back(Span{x - kPointSize / 2, x + kPointSize / 2});
}

void CPointLayer::TouchTenth(int32_t key)
{
    if (m_valid)
        m_touchedTenths.push_back(key);
}

bool CPointLayer::MakeBitmaps(HDC reference, int width, int height)
{
    if (m_colour && m_mask && width == m_width && height == m_height)
        return true;
    Release();
    if (!m_colour.Create(reference, width, height) || !m_mask.Create(reference, width, height)) {
        Release();
        return false;
    }
    PatBlt(m_mask.Dc(), 0, 0, 1, 1, WHITENESS);
    GdiFlush();
    m_white = m_mask.Row(0)[0];
    m_width = width;
    m_height = height;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    m_linedColour.assign(count, 0u);
    m_linedMask.assign(count, m_white);
    m_clip = Span{0, width};
    return true;
}

void CPointLayer::Clear(int left, int right)
{
    left = std::max(0, left);
    right = std::min(m_width, right);
    for (int y = 0; y < m_height && left < right; ++y) {
        std::fill(m_colour.Row(y) + left, m_colour.Row(y) + right, 0u);
        std::fill(m_mask.Row(y) + left, m_mask.Row(y) + right, m_white);
    }
}

void CPointLayer::Line(const CTimeLineEntries& entries, const CTimeLineGeometry& g, int left, int right)
{
    left = std::max(0, left);
    right = std::min(m_width, right);
    if (left >= right)
        return;
    for (int y = 0; y < m_height; ++y) {
        std::copy(m_colour.Row(y) + left, m_colour.Row(y) + right, m_linedColour.data() + Index(left, y));
        std::copy(m_mask.Row(y) + left, m_mask.Row(y) + right, m_linedMask.data() + Index(left, y));
    }
    // Every entry of the sheet is a vertex, the silent level before the first: the faces go
    // over the line as their keyed blits would.
    const StepPen silent = {left, g.EntryY(0) - m_top, DibPixel(kSilentColour)};
    WalkLine(entries, g, 0, INT32_MAX, silent, POINT{m_base, m_top}, left, right, right,
             [&](int x, int y, int dy, int count, uint32_t pixel) {
                 for (int i = 0; i < count; ++i, x += dy == 0 ? 1 : 0, y += dy) {
                     if (y < 0 || y >= m_height)
                         continue;
                     const size_t at = Index(x, y);
                     m_linedColour[at] = (pixel & m_mask.Row(y)[x]) | m_colour.Row(y)[x];
                     m_linedMask[at] = 0;
                 }
             });
}

void CPointLayer::DrawFace(const CTimeLineEntry& entry, const CTimeLineGeometry& g, CGraphPainter& painter,
                           bool lined)
{
    const Face& face = FaceOf(entry.pattern, FaceState(entry), painter);
    if (face.empty)
        return;
    // What the keyed blits do, pixel by pixel: the colour cut out by the mask and the face's
    // colour put in; the mask cut out too.
    const int x0 = g.EntryX(entry.key) - kPointSize / 2 - m_base;
    const int y0 = g.EntryY(entry.level) - kPointSize / 2 - m_top;
    const int left = std::max({x0, m_clip.left, 0});
    const int right = std::min({x0 + kPointSize, m_clip.right, m_width});
    const int top = std::max(y0, 0);
    const int bottom = std::min(y0 + kPointSize, m_height);
    if (left >= right)
        return;
    for (int y = top; y < bottom; ++y) {
        const size_t from = static_cast<size_t>((y - y0) * kPointSize + (left - x0));
        LayFaceRow(m_colour.Row(y) + left, m_mask.Row(y) + left, face.colour.data() + from, face.mask.data() + from,
                   right - left);
        // A face keyed over the line and the faces beneath it leaves what drawing them all
        // over the line would.
        const size_t at = Index(left, y);
        if (lined)
            LayFaceRow(m_linedColour.data() + at, m_linedMask.data() + at, face.colour.data() + from,
                       face.mask.data() + from, right - left);
    }
}

void CPointLayer::Rebuild(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter,
                          int left)
{
    m_base = left - kBehind;
    m_top = g.graphTop - kPointSize;
    // The skin may have changed with whatever made the layer draw everything again.
    for (auto& row : m_faces)
        for (Face& face : row)
            face = Face{};
    Clear(0, m_width);
    entries.Walk(m_first, m_last, [&](const CTimeLineEntry& entry) {
        if (entry.key != m_excluded)
            DrawFace(entry, g, painter, false);
        return true;
    });
    Line(entries, g, 0, m_width);
    m_dirty.clear();
    m_touchedTenths.clear();
    m_valid = true;
}

void CPointLayer::Redraw(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter,
                         Span columns)
{
    const int left = std::max(columns.left, m_base);
    const int right = std::min(columns.right, m_base + m_width);
    if (left >= right)
        return;
    Clear(left - m_base, right - m_base);
    // Every shown face that reaches the span, in key order, cut to the span: the span then
    // looks as drawing all of them would leave it.
    const double ppt = g.pixelsPerTenth > 0.0f ? g.pixelsPerTenth : 1.0;
    const int32_t first = std::max(m_first, SaturatedInt32(std::floor((left - kReach - g.origin) / ppt)) - 1);
    const int32_t last = std::min(m_last, SaturatedInt32(std::ceil((right + kReach - g.origin) / ppt)) + 1);
    m_clip = Span{left - m_base, right - m_base};
    entries.Walk(first, last, [&](const CTimeLineEntry& entry) {
        const int x = g.EntryX(entry.key) - kPointSize / 2;
        if (entry.key != m_excluded && x < right && x + kPointSize > left)
            DrawFace(entry, g, painter, false);
        return true;
    });
    m_clip = Span{0, m_width};
    Line(entries, g, left - m_base, right - m_base);
}

void CPointLayer::MoveTo(int base)
{
    const int step = base - m_base;
    // A step back, or one past the whole layer, draws it all again: a blit onto itself is
    // only safe towards its left edge.
    if (step <= 0 || step >= m_width) {
        m_dirty.push_back(Span{base, base + m_width});
        m_base = base;
        return;
    }
    // The columns still covered move left within the bitmaps; the uncovered ones are drawn anew.
    const int kept = m_width - step;
    for (int y = 0; y < m_height; ++y) {
        const size_t bytes = static_cast<size_t>(kept) * sizeof(uint32_t);
        std::memmove(m_colour.Row(y), m_colour.Row(y) + step, bytes);
        std::memmove(m_mask.Row(y), m_mask.Row(y) + step, bytes);
        std::memmove(m_linedColour.data() + Index(0, y), m_linedColour.data() + Index(step, y), bytes);
        std::memmove(m_linedMask.data() + Index(0, y), m_linedMask.data() + Index(step, y), bytes);
    }
    m_base = base;
    m_dirty.push_back(Span{base + kept, base + m_width});
}

bool CPointLayer::FollowShownKeys(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter,
                                  int32_t first, int32_t last)
{
    if (first > m_last || last < m_first)
        return false;
    // Keys that left, and keys that came in below the others, change what lies under other
    // faces: their spans are drawn again. Keys that came in above every shown one are drawn
    // over the layer as they are.
    struct Range {
        int32_t from, to;
    };
    const Range gone[2] = {{m_first, std::min(m_last, first - 1)}, {std::max(m_first, last + 1), m_last}};
    const Range below = {first, std::min(last, m_first - 1)};
    const Range above = {std::max(first, m_last + 1), last};
    size_t changes = 0;
    std::vector<CTimeLineEntry> drawnOver;
    const auto visit = [&](Range range, bool over) {
        return entries.Walk(range.from, range.to, [&](const CTimeLineEntry& entry) {
            if (++changes > kMostChanges)
                return false;
            if (over && entry.key != m_excluded)
                drawnOver.push_back(entry);
            else if (!over)
                Touch(g.EntryX(entry.key));
            return true;
        });
    };
    if (!visit(gone[0], false) || !visit(gone[1], false) || !visit(below, false) || !visit(above, true))
        return false;
    m_first = first;
    m_last = last;
    for (const CTimeLineEntry& entry : drawnOver)
        DrawFace(entry, g, painter, true);
    return true;
}

void CPointLayer::RedrawDirty(const CTimeLineEntries& entries, const CTimeLineGeometry& g, CGraphPainter& painter)
{
    // A tenth that changed changes the step line on to the next entry's vertex.
    for (int32_t key : m_touchedTenths) {
        const int x = g.EntryX(key);
        int32_t after = 0;
        const int next = entries.KeyAfter(key, after) ? std::min(g.EntryX(after), m_base + m_width) : m_base + m_width;
        m_dirty.push_back(Span{x - kPointSize / 2, std::max(x + kPointSize / 2, next + 1)});
    }
    m_touchedTenths.clear();
    std::sort(m_dirty.begin(), m_dirty.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
    size_t i = 0;
    while (i < m_dirty.size()) {
        Span merged = m_dirty[i++];
        while (i < m_dirty.size() && m_dirty[i].left <= merged.right)
            merged.right = std::max(merged.right, m_dirty[i++].right);
        Redraw(entries, g, painter, merged);
    }
    m_dirty.clear();
}

void CPointLayer::Paint(HDC dest, const CTimeLineEntries& entries, const CTimeLineGeometry& g, double now,
                        CGraphPainter& painter, int32_t excluded)
{
    if (dest == nullptr || !(now >= 0.0))
        return;
    const int shift = ShiftAt(g, now);
    const int screenLeft = std::max(0, g.graphLeft - kReach);
    const int screenRight = g.graphRight + kReach;
    const int left = screenLeft + shift;
    const int right = screenRight + shift;
    if (!MakeBitmaps(dest, (screenRight - screenLeft) + kBehind + kAhead, g.graphHeight + 2 * kPointSize))
        return;

    int32_t first = 0, last = 0;
    KeysInRange(g, now, 0, first, last);
    if (!m_valid || m_top != g.graphTop - kPointSize) {
        m_first = first;
        m_last = last;
        m_excluded = excluded;
        Rebuild(entries, g, painter, left);
    } else {
        if (left < m_base || right > m_base + m_width)
            MoveTo(left - kBehind);
        if (excluded != m_excluded) {
            for (int32_t key : {m_excluded, excluded}) {
                CTimeLineEntry entry;
                if (entries.Find(key, entry))
                    Touch(g.EntryX(key));
            }
            m_excluded = excluded;
        }
        if (!FollowShownKeys(entries, g, painter, first, last)) {
            m_first = first;
            m_last = last;
            Rebuild(entries, g, painter, left);
        }
        RedrawDirty(entries, g, painter);
    }

    const int width = screenRight - screenLeft;
    m_shift = shift;
    GdiFlush();
    DibPixels pixels;
    if (SelectedDibPixels(dest, pixels)) {
        LayOver(pixels, POINT{0, 0}, dest, entries, g, screenLeft, width, left - m_base);
        return;
    }
    // A DC of unknown layout: through a section of the graph's size, with what dest holds
    // there, and back within dest's clip.
    CDibSurface through;
    if (!through.Create(dest, width, m_height))
        return;
    BitBlt(through.Dc(), 0, 0, width, m_height, dest, screenLeft, m_top, SRCCOPY);
    GdiFlush();
    LayOver(DibPixels{through.Row(0), width, m_height}, POINT{screenLeft, m_top}, nullptr, entries, g, screenLeft,
            width, left - m_base);
    BitBlt(dest, screenLeft, m_top, width, m_height, through.Dc(), 0, 0, SRCCOPY);
}

void CPointLayer::Zones(const CTimeLineEntries& entries, const CTimeLineGeometry& g, int destLeft, int width,
                        Zone zones[3]) const
{
    // The kept line has a vertex at every entry, the graph's only at the shown ones, from its
    // left edge to its right: they are the same from past the last entry before the shown ones
    // to short of the first one after them, within the edges.
    int left = g.graphLeft, right = g.graphRight;
    int32_t key = 0;
    if (entries.KeyBefore(m_first, key))
        left = std::max(left, g.EntryX(key) - m_shift + 1);
    if (entries.KeyAfter(m_last, key))
        right = std::min(right, g.EntryX(key) - m_shift);
    const int end = destLeft + width;
    left = std::min(std::max(left, destLeft), end);
    right = std::min(std::max(right, left), end);
    zones[0] = Zone{destLeft, left, false};
    zones[1] = Zone{left, right, true};
    zones[2] = Zone{right, end, false};
}

void CPointLayer::LayOver(const DibPixels& pixels, POINT origin, HDC clipOf, const CTimeLineEntries& entries,
                          const CTimeLineGeometry& g, int destLeft, int width, int column)
{
    // Within the pixels, and within what clipOf is clipped to, as a pen and blits would be.
    const RECT area = {std::max<int>(origin.x, destLeft), std::max<int>(origin.y, m_top),
                       std::min<int>(origin.x + pixels.width, destLeft + width),
                       std::min<int>(origin.y + pixels.height, m_top + m_height)};
    if (area.left >= area.right || area.top >= area.bottom)
        return;
    const auto at = [&pixels, origin](int x, int y) {
        return pixels.bits + static_cast<ptrdiff_t>(y - origin.y) * pixels.width + (x - origin.x);
    };
    const std::vector<RECT> rects = clipOf != nullptr ? ClipRects(clipOf, area) : std::vector<RECT>{area};
    Zone zones[3];
    Zones(entries, g, destLeft, width, zones);
    // The graph's line from its left edge at the level before the shown points.
    int32_t before = 0;
    CTimeLineEntry previous;
    StepPen start = {g.graphLeft, g.EntryY(0), DibPixel(kSilentColour)};
    if (entries.KeyBefore(m_first, before) && entries.Find(before, previous))
        start = StepPen{g.graphLeft, g.EntryY(previous.level), DibPixel(PatternColour(previous.pattern))};
    for (const Zone& zone : zones) {
        if (zone.left >= zone.right)
            continue;
        if (!zone.lined) {
            // The line beneath the faces; walked once for all the rectangles.
            WalkLine(entries, g, m_first, m_last, start, POINT{m_shift, 0}, zone.left, zone.right, g.graphRight,
                     [&](int x, int y, int dy, int count, uint32_t pixel) {
                         for (const RECT& r : rects) {
                             if (dy == 0) {
                                 const int from = std::max<int>(x, r.left), to = std::min<int>(x + count, r.right);
                                 if (y >= r.top && y < r.bottom && from < to)
                                     std::fill(at(from, y), at(to, y), pixel);
                                 continue;
                             }
                             if (x < r.left || x >= r.right)
                                 continue;
                             const int from = dy > 0 ? std::max<int>(0, r.top - y) : std::max<int>(0, y - r.bottom + 1);
                             const int to = dy > 0 ? std::min<int>(count, r.bottom - y) : std::min<int>(count, y - r.top + 1);
                             for (int i = from; i < to; ++i)
                                 *at(x, y + i * dy) = pixel;
                         }
                     });
        }
        for (const RECT& r : rects) {
            const int left = std::max<int>(r.left, zone.left), right = std::min<int>(r.right, zone.right);
            for (int y = r.top; y < r.bottom && left < right; ++y) {
                const int from = column + (left - destLeft);
                if (zone.lined)
                    LayRow(at(left, y), m_linedMask.data() + Index(from, y - m_top),
                           m_linedColour.data() + Index(from, y - m_top), right - left);
                else
                    LayRow(at(left, y), m_mask.Row(y - m_top) + from, m_colour.Row(y - m_top) + from, right - left);
            }
        }
    }
}
