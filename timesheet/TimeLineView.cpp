// The view side of the time line: the graph following the playback position, the pointer and
// the drop image, what the points' windows and the drop image ask of it, and the window it is
// attached to.
#include "timesheet/TimeLineButtonManager.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "controls/ButtonFace.h"
#include "editor/EditorContext.h"
#include "editor/PaintLook.h"
#include "editor/PluginMessages.h"
#include "editor/PointerSample.h"
#include "sheet/SheetTime.h"

namespace {

bool Contains(const RECT& rect, POINT at)
{
    return at.x >= rect.left && at.x < rect.right && at.y >= rect.top && at.y < rect.bottom;
}

} // namespace

void CTimeLineButtonManager::RecomputePositions()
{
    m_geometry.Compute(m_geometrySizeMode, m_zoomMode);
    m_layer.Invalidate();
    if (m_setUp)
        m_points.PlaceAll();
}

void CTimeLineButtonManager::SetZoomMode(int mode)
{
    m_zoomMode = mode >= 0 && mode <= 2 ? mode : 0;
    RecomputePositions();
}

void CTimeLineButtonManager::SetSizeMode(int mode)
{
    m_sizeMode = mode;
    if (mode == kSizeModeNormal || mode == kSizeModeWide)
        m_geometrySizeMode = mode;
    RecomputePositions();
}

void CTimeLineButtonManager::RefreshAt(double now)
{
    m_now = now;
    if (!m_setUp)
        return;
    m_points.Refresh();
    // The faces follow the position where they are drawn; the windows, which are the points'
    // tooltips and hand cursor, follow them under a pointer that rests on the graph.
    POINT cursor;
    if (now != m_trackedAt && CursorInParent(cursor)) {
        m_trackedAt = now;
        m_points.FollowAtRest(cursor);
    }
    UpdateDropButton();
}

void CTimeLineButtonManager::RepositionAt(double now)
{
    m_now = now;
    if (!m_setUp)
        return;
    m_points.Refresh();
    m_points.PlaceAll();
    TrackPointer();
}

void CTimeLineButtonManager::TrackPointer()
{
    POINT cursor;
    if (!m_setUp || !CursorInParent(cursor))
        return;
    m_trackedAt = m_now;
    m_points.Sync(cursor);
}

bool CTimeLineButtonManager::CursorInParent(POINT& point) const
{
    return m_parentStatic != nullptr && PointerInClient(m_parentStatic, point);
}

bool CTimeLineButtonManager::IsOverFreeSpot(POINT cursor) const
{
    int32_t key = 0;
    return IsOverGraph(m_geometry, cursor) && !TopmostKeyAt(cursor, key);
}

void CTimeLineButtonManager::UpdateDropButton()
{
    if (!m_dropButton)
        return;
    POINT cursor;
    m_dropButton->ShowImage(CursorInParent(cursor) && IsOverFreeSpot(cursor));
}

void CTimeLineButtonManager::PaintGraph(HDC dc, double now)
{
    POINT cursor;
    const bool over = CursorInParent(cursor);
    m_painter.PaintGrid(dc, m_geometry, m_zoomMode, now, over ? &cursor : nullptr);
}

namespace {

void AddGeometry(CLookDigest& digest, const CTimeLineGeometry& g)
{
    for (int value : {g.gridLeft, g.gridTop, g.gridRight, g.gridBottom, g.graphLeft, g.graphTop, g.graphRight,
                      g.graphBottom, g.keysBefore, g.keysAfter})
        digest.Add(static_cast<int32_t>(value));
    for (float value : {g.pixelsPerTenth, g.origin, g.pixelsPerLevel, g.baseline})
        digest.Add(static_cast<double>(value));
}

} // namespace

uint64_t CTimeLineButtonManager::GraphLook(double now) const
{
    CLookDigest digest;
    AddGeometry(digest, m_geometry);
    digest.Add(static_cast<int32_t>(m_zoomMode)).Add(now);
    POINT cursor;
    if (CursorInParent(cursor) && IsOverGraph(m_geometry, cursor))
        digest.Add(static_cast<int32_t>(cursor.x)).Add(static_cast<int32_t>(cursor.y));
    return digest.Value();
}

uint64_t CTimeLineButtonManager::PointsLook() const
{
    CLookDigest digest;
    AddGeometry(digest, m_geometry);
    digest.Add(m_now).Add(m_setUp);
    // The entries and their selection by what changed them, not point by point: in zoom 2 a
    // dense sheet has a thousand points in view, and the layer follows the same changes.
    digest.Add(m_document.Revision()).Add(m_selectionRevision);
    const CTimeSheetButton* pressed = m_points.Pressed();
    if (pressed != nullptr) {
        digest.Add(pressed->Key()).Add(pressed->IsDragging());
        const POINT at = pressed->DragPosition();
        digest.Add(static_cast<int32_t>(at.x)).Add(static_cast<int32_t>(at.y));
    }
    RECT band;
    if (m_band.Rect(band))
        digest.Add(band);
    POINT cursor;
    int32_t key = 0;
    if (pressed == nullptr && CursorInParent(cursor) && TopmostKeyAt(cursor, key))
        digest.Add(key).Add(IsSelected(key));
    return digest.Value();
}

RECT CTimeLineButtonManager::LookBounds() const
{
    // The time labels above the grid (a label starts 5 pixels left of its line and may read
    // "3600s"; the time under the pointer spreads 25 pixels each way), and the points half
    // out of the graph at its levels 0 and 10. Not a row more: what lies just above and below
    // (the file buttons, the movie's slider) would paint again at every tick of playback.
    const CTimeLineGeometry& g = m_geometry;
    constexpr int kLabelReach = 40;
    return RECT{std::max(0, std::min(g.gridLeft, g.graphLeft) - kLabelReach),
                std::min(g.gridTop - kPointerTimeAbove, g.graphTop - kPointSize / 2),
                std::min(kBackBufferWidth, std::max(g.gridRight, g.graphRight) + kLabelReach),
                std::max(g.gridBottom, g.graphBottom + kPointSize / 2)};
}

// --- what the points' windows and the drop image ask ---

bool CTimeLineButtonManager::FaceOf(int32_t key, RECT& face) const
{
    CommandData entry;
    if (!IsKeyInRange(m_geometry, key, m_now, 0) || !m_document.EntryOf(key, entry))
        return false;
    const POINT at = PointPosition(m_geometry, key, entry.level, m_now);
    face = RECT{at.x, at.y, at.x + kPointSize, at.y + kPointSize};
    return true;
}

bool CTimeLineButtonManager::TopmostKeyAt(POINT at, int32_t& key) const
{
    int32_t first = 0, last = 0, visibleFirst = 0, visibleLast = 0;
    KeysAcrossColumns(m_geometry, m_now, at.x, at.x, first, last);
    KeysInRange(m_geometry, m_now, 0, visibleFirst, visibleLast);
    first = std::max(first, visibleFirst);
    last = std::min(last, visibleLast);
    bool found = false;
    View().Walk(first, last, [&](const CTimeLineEntry& entry) {
        const POINT corner = PointPosition(m_geometry, entry.key, entry.level, m_now);
        if (Contains(RECT{corner.x, corner.y, corner.x + kPointSize, corner.y + kPointSize}, at)) {
            key = entry.key;
            found = true;
        }
        return true;
    });
    return found;
}

void CTimeLineButtonManager::KeysNear(POINT at, int reach, size_t most, std::vector<int32_t>& keys) const
{
    keys.clear();
    int32_t first = 0, last = 0, visibleFirst = 0, visibleLast = 0;
    KeysAcrossColumns(m_geometry, m_now, at.x - reach, at.x + reach, first, last);
    KeysInRange(m_geometry, m_now, 0, visibleFirst, visibleLast);
    first = std::max(first, visibleFirst);
    last = std::min(last, visibleLast);
    const RECT around = {at.x - reach - kPointSize, at.y - reach - kPointSize, at.x + reach, at.y + reach};
    // Each point with how far its centre lies from the pointer.
    std::vector<std::pair<long long, int32_t>> nearby;
    View().Walk(first, last, [&](const CTimeLineEntry& entry) {
        const POINT corner = PointPosition(m_geometry, entry.key, entry.level, m_now);
        if (Contains(around, corner)) {
            const long long dx = corner.x + kPointSize / 2 - at.x;
            const long long dy = corner.y + kPointSize / 2 - at.y;
            nearby.emplace_back(dx * dx + dy * dy, entry.key);
        }
        return true;
    });
    // Where there are too many (a dense sheet zoomed out), the nearest keep their windows,
    // and always the one drawn on top under the pointer.
    int32_t under = 0;
    const bool hasUnder = TopmostKeyAt(at, under);
    if (nearby.size() > most) {
        std::nth_element(nearby.begin(), nearby.begin() + static_cast<std::ptrdiff_t>(most), nearby.end());
        nearby.resize(most);
        if (hasUnder && std::none_of(nearby.begin(), nearby.end(), [under](const auto& n) { return n.second == under; }))
            nearby.back().second = under;
    }
    for (const auto& n : nearby)
        keys.push_back(n.second);
    // In drawing order, as the windows are stacked.
    std::sort(keys.begin(), keys.end());
}

bool CTimeLineButtonManager::IsKeyShown(int32_t key) const
{
    return IsKeyInRange(m_geometry, key, m_now, kWindowMarginKeys) && m_document.HasTenth(key);
}

bool CTimeLineButtonManager::IsNearGraph(POINT at) const
{
    // A point's window reaches half a point beyond the graph's edges.
    const CTimeLineGeometry& g = m_geometry;
    return at.x >= g.graphLeft - kPointSize && at.x < g.graphRight + kPointSize && at.y >= g.graphTop - kPointSize &&
           at.y < g.graphBottom + kPointSize;
}

std::wstring CTimeLineButtonManager::TooltipOf(int32_t key) const
{
    CommandData entry;
    if (!m_document.EntryOf(key, entry))
        return std::wstring();
    const std::wstring clock = FormatClock(entry.time / 10000.0, key % 10);
    wchar_t text[160];
    std::swprintf(text, 160, L"◆Time:: %ls\r\n■パターン:: %02d\r\n■レベル:: %02d", clock.c_str(),
                  static_cast<int>(entry.pattern), static_cast<int>(entry.level));
    return text;
}

void CTimeLineButtonManager::PaintPoints(HDC dc)
{
    if (dc == nullptr || !m_setUp)
        return;
    if (PaintLook::Recording(dc)) {
        // A dragged point goes where the pointer takes it, the graph's edges no limit.
        RECT bounds = LookBounds();
        const CTimeSheetButton* held = m_points.Pressed();
        if (held != nullptr && held->IsDragging()) {
            const POINT at = held->DragPosition();
            const RECT face = {at.x, at.y, at.x + kPointSize, at.y + kPointSize};
            UnionRect(&bounds, &bounds, &face);
        }
        RECT band;
        if (m_band.Rect(band))
            UnionRect(&bounds, &bounds, &band);
        PaintLook::Note(dc, bounds, PointsLook());
        return;
    }
    const CTimeSheetButton* pressed = m_points.Pressed();
    const bool dragging = pressed != nullptr && pressed->IsDragging();
    const int32_t pressedKey = pressed != nullptr ? pressed->Key() : INT32_MIN;
    // A dragged point is drawn last, where the pointer has it; a selection band over all.
    m_layer.Paint(dc, View(), m_geometry, m_now, m_painter, dragging ? pressedKey : INT32_MIN);
    RECT band;
    if (m_band.Rect(band))
        DrawFocusRect(dc, &band);
    if (dragging) {
        const POINT at = pressed->DragPosition();
        m_painter.PaintPoint(dc, at.x, at.y, PatternOf(pressedKey), TervaneControl::kStatePressed);
        return;
    }
    // The layer has every face in its own state (pressed when selected); the one under a
    // press or the pointer shows its state over it.
    POINT cursor;
    int32_t key = pressedKey;
    if (pressed == nullptr && !(CursorInParent(cursor) && TopmostKeyAt(cursor, key)))
        return;
    if (!IsSelected(key))
        PaintFaceOver(dc, key, pressed != nullptr ? TervaneControl::kStatePressed : TervaneControl::kStateHover);
}

void CTimeLineButtonManager::PaintFaceOver(HDC dc, int32_t key, int32_t state)
{
    RECT face;
    if (!FaceOf(key, face))
        return;
    std::vector<CFaceStack::Face> stack = {{0, 0, PatternOf(key), state}};
    // Faces of later keys lie above it, as in the layer.
    int32_t first = 0, last = 0, visibleFirst = 0, visibleLast = 0;
    KeysAcrossColumns(m_geometry, m_now, face.left, face.right, first, last);
    KeysInRange(m_geometry, m_now, 0, visibleFirst, visibleLast);
    last = std::min(last, visibleLast);
    if (key < INT32_MAX) {
        View().Walk(key + 1, last, [&](const CTimeLineEntry& entry) {
            const POINT at = PointPosition(m_geometry, entry.key, entry.level, m_now);
            if (at.x < face.right && at.x + kPointSize > face.left && at.y < face.bottom &&
                at.y + kPointSize > face.top)
                stack.push_back(CFaceStack::Face{static_cast<int>(at.x - face.left),
                                                 static_cast<int>(at.y - face.top), entry.pattern,
                                                 entry.selected ? TervaneControl::kStatePressed
                                                                : TervaneControl::kStateNormal});
            return true;
        });
    }
    m_faceOver.Paint(dc, face.left, face.top, stack, m_painter);
}

void CTimeLineButtonManager::PaintDropImage(HDC dc, int x, int y, int32_t pattern)
{
    m_painter.PaintPoint(dc, x, y, pattern, TervaneControl::kStateNormal);
}

// --- the editor window ---

void CTimeLineButtonManager::AttachWindow(HWND tooltip, HDC backBuffer, HWND parentStatic,
                                          const std::string& skinFolder)
{
    m_backBuffer = backBuffer;
    m_parentStatic = parentStatic;
    m_points.Attach(parentStatic, tooltip);
    EditorContext().deletePoint = [this](HWND window) { DeletePointWindow(window); };
    m_painter.LoadStrip(skinFolder, backBuffer);
    m_faceOver.Release();
}

CDropDrawButton* CTimeLineButtonManager::CreateDropButton(const TervaneControl::ButtonData& data, HWND editor)
{
    m_editor = editor;
    m_dropButton.reset(new CDropDrawButton(*this));
    m_dropButton->Create(data, m_parentStatic, editor);
    m_dropButton->SetDrawContext(m_backBuffer, EditorContext().scratchDC);
    return m_dropButton.get();
}

void CTimeLineButtonManager::FinishSetUp()
{
    m_painter.MakeDrawingObjects();
    m_setUp = true;
    m_layer.Invalidate();
    // The band sees a Shift+press before the points do.
    ControlHookList().Add(&m_band);
    ControlHookList().Add(&m_points);
    RecomputePositions();
    TrackPointer();
}

void CTimeLineButtonManager::DetachWindow()
{
    CEditorContext& context = EditorContext();
    if (m_setUp || m_parentStatic != nullptr)
        context.deletePoint = nullptr;
    m_band.Cancel();
    ControlHookList().Remove(&m_band);
    ControlHookList().Remove(&m_points);
    m_points.Detach();
    if (m_dropButton) {
        ControlHookList().Remove(m_dropButton.get());
        m_dropButton.reset();
    }
    m_setUp = false;
    m_parentStatic = nullptr;
    m_editor = nullptr;
    m_backBuffer = nullptr;
    m_trackedAt = -1.0;
    m_painter.UnloadStrip();
    m_layer.Release();
    m_faceOver.Release();
}
