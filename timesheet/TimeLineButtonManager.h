#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/Win32.h"

#include "sheet/SheetDocument.h"
#include "timesheet/DropDrawButton.h"
#include "timesheet/GraphPainter.h"
#include "timesheet/FaceStack.h"
#include "timesheet/PointLayer.h"
#include "timesheet/PointWindows.h"
#include "timesheet/SelectionBand.h"
#include "timesheet/TimeLineButtonData.h"
#include "timesheet/TimeLineEntry.h"
#include "timesheet/TimeLineGeometry.h"

namespace TervaneControl {
class ButtonData;
}

// The time line: the sheet document drawn as points on the graph, one per tenth of a second
// (the last record of that tenth), and the user's edits of them, which it makes on the
// document. It outlives the editor window (the plug-in object owns it): the window attaches it
// when it is created and detaches it when it goes, and the sheet stays.
//
// It is the front of four helpers: the geometry of the graph (TimeLineGeometry), the painter
// of grid and faces (CGraphPainter), the layer the shown faces are kept in (CPointLayer) and
// the points' windows (CPointWindows). The selection is the view's own, kept by tenth, so it
// survives a point's window going (and a point deleted and brought back by undo). A tick costs
// the same however long the sheet or the movie: it touches only what the pointer and the
// visible range reach. User-interface thread only.
class CTimeLineButtonManager : private IPointWindowsOwner,
                               private IPointHost,
                               private IDropHost,
                               private ISelectionBandHost,
                               private ISheetObserver {
public:
    static constexpr int32_t kFirstPointId = CPointWindows::kFirstId;
    static constexpr int kHeaderLines = CSheetDocument::kHeaderLines;
    // Entries this many tenths beyond either end of the visible range still count as shown
    // for their windows, so that a window is not handed on the moment its point leaves.
    static constexpr int32_t kWindowMarginKeys = 20;

    explicit CTimeLineButtonManager(CSheetDocument& document);
    CTimeLineButtonManager(const CTimeLineButtonManager&) = delete;
    CTimeLineButtonManager& operator=(const CTimeLineButtonManager&) = delete;
    virtual ~CTimeLineButtonManager();

    CSheetDocument& Document() { return m_document; }
    const CSheetDocument& Document() const { return m_document; }

    // --- the entries ---
    bool HasEarlierEntry() const;
    bool HasLaterEntry() const;
    bool PreviousEntryTime(double& seconds) const;
    bool NextEntryTime(double& seconds) const;
    int EntryCount() const { return static_cast<int>(m_document.TenthCount()); }

    // --- the user's edits, each one step of the document's history ---
    // Insert at the playback position (the insert button).
    void InsertAt(double seconds, int32_t pattern, int32_t level);
    // A click on a free spot of the graph.
    bool AddPointAt(POINT point, int32_t pattern) override;
    // A point dropped with its centre at point. A drop whose horizontal travel from where the
    // point is drawn is under a tenth's width keeps the point's time (a drag up or down
    // changes only the level); a longer one moves it by the travel in tenths. It goes back to
    // its place, and nothing changes (false), when the drop lies off the graph, another entry
    // holds the tenth it would land on, or it would land on its own tenth and level. A
    // selected point takes every selected point with it, by the same time and level; those
    // land over unselected points, which go.
    bool MovePoint(HWND window, POINT point);
    bool MovePoint(int32_t key, POINT point) override;
    void ReturnPoint(int32_t key) override;
    // The delete request of a point window (right click), or of the entry of key.
    bool DeletePointWindow(HWND window);
    bool DeletePoint(int32_t key);
    // Every selected entry takes the pattern.
    void RepatternSelected(int32_t pattern) override;
    // A click on a point that did not move it.
    void ToggleSelected(HWND window);
    void ToggleSelected(int32_t key) override;
    void SetSelected(int32_t key, bool selected);
    // The selected points go, in one step (the Delete key); false when none was selected.
    bool DeleteSelected();
    void SelectAll();
    void ClearSelection();
    // Points selected, those out of view included.
    int SelectedCount() const;
    // Counts every change of the selection.
    uint64_t SelectionRevision() const { return m_selectionRevision; }
    // Escape: a press or a band is given up; else the selection is cleared.
    void Escape();
    // The selected points move by whole tenths, in one step, over unselected points.
    bool NudgeSelected(int32_t tenths);
    // The records of the selected points as sheet text, times from the first one's; empty
    // when none is selected.
    std::string SelectionText() const;
    // Records as sheet text (times from the first) placed with the first at seconds, over
    // the points of the tenths they land on, in one step; they become the selection. Nothing
    // changes when the text is not records, or when the sheet would hold more records than
    // its file may.
    enum class Paste { kPasted, kNotRecords, kTooMany };
    Paste PasteText(const std::string& text, double seconds);

    // Every entry goes, in one step that can be undone.
    void DeleteAll();
    bool Undo() { return m_document.Undo(); }
    bool Redo() { return m_document.Redo(); }
    bool CanUndo() const { return m_document.CanUndo(); }
    bool CanRedo() const { return m_document.CanRedo(); }
    bool IsModified() const { return m_document.IsModified(); }

    double GetDuration() const { return m_duration; }
    void SetDuration(double seconds) { m_duration = seconds; }

    struct EntryView {
        int32_t key;
        // Time in tenths with its fraction, and where the point sits at playback position 0.
        CTimeLineButtonData data;
        bool selected;
        HWND window; // null while the point has no window (far from the pointer)
    };
    // The entries in key order, for tools and tests.
    std::vector<EntryView> Entries() const;
    bool FindEntry(int32_t key, EntryView& out) const;
    // Where an entry's point is drawn now, on the graph's window; false when not shown.
    bool PointRect(int32_t key, RECT& rect) const { return FaceOf(key, rect); }
    bool IsSelected(int32_t key) const;
    int32_t PatternOf(int32_t key) const;

    // --- the view ---
    double TimeAtX(int x) const { return ::TimeAtX(m_geometry, m_now, x); }
    int32_t LevelAtY(int y) const { return ::LevelAtY(m_geometry, y); }
    void SetZoomMode(int mode);
    void SetSizeMode(int mode);
    int GetZoomMode() const { return m_zoomMode; }
    int GetSizeMode() const { return m_sizeMode; }
    const CTimeLineGeometry& Geometry() const { return m_geometry; }
    double GetNow() const { return m_now; }
    // The per-tick refresh: the graph follows the playback position, the drop image and the
    // points' windows the pointer.
    void RefreshAt(double now);
    // The same without the drop image, after the position was moved: the windows follow too.
    void RepositionAt(double now);
    // The grid with its labels, the playback line and the time under the cursor.
    void PaintGraph(HDC dc, double now);
    // What decides the pixels of the grid at now, and of the points; where both may paint.
    uint64_t GraphLook(double now) const;
    uint64_t PointsLook() const;
    RECT LookBounds() const;
    // True when the cursor is over the graph and over no point: the drop image shows there.
    bool IsOverFreeSpot(POINT cursor) const override;
    // The pointer moved, or the graph under it: the points near it get their windows in place.
    void TrackPointer();
    // The number of point windows alive, hidden ones included.
    int PointWindowCount() const { return m_points.Count(); }

    // --- the editor window ---
    // Hands over what the window provides. skinFolder holds "obj".
    void AttachWindow(HWND tooltip, HDC backBuffer, HWND parentStatic, const std::string& skinFolder);
    // Creates the pattern drop image as a hidden child of the parent static window; the caller
    // registers it in the control hook list.
    CDropDrawButton* CreateDropButton(const TervaneControl::ButtonData& data, HWND editor);
    // Pens, fonts, cursors and geometry (once); the points join the control hook list.
    void FinishSetUp();
    // The editor window is going: its point windows and drop image go with it, the sheet stays.
    void DetachWindow();

    CDropDrawButton* DropButton() const { return m_dropButton.get(); }
    HWND ParentWindow() const { return m_parentStatic; }
    HWND EditorWindow() const override { return m_editor; }
    HCURSOR HandCursor() const override { return m_painter.HandCursor(); }
    bool IsOnTopAt(int32_t key, POINT at) const override
    {
        int32_t top = 0;
        return TopmostKeyAt(at, top) && top == key;
    }
    int32_t KeyOfWindow(HWND window) const { return m_points.KeyOf(window); }
    // The cursor in graph coordinates.
    bool CursorInParent(POINT& point) const override;

private:
    // IPointWindowsOwner
    bool FaceOf(int32_t key, RECT& face) const override;
    bool TopmostKeyAt(POINT at, int32_t& key) const override;
    void KeysNear(POINT at, int reach, size_t most, std::vector<int32_t>& keys) const override;
    bool IsKeyShown(int32_t key) const override;
    bool HasPoint(int32_t key) const override { return m_document.HasTenth(key); }
    bool IsNearGraph(POINT at) const override;
    std::wstring TooltipOf(int32_t key) const override;
    void PaintPoints(HDC dc) override;
    // IDropHost
    void PaintDropImage(HDC dc, int x, int y, int32_t pattern) override;
    // ISheetObserver
    void OnTenthsChanged(const std::vector<int32_t>& tenths) override;
    void OnSheetReplaced() override;
    // ISelectionBandHost
    bool CanStartBandAt(POINT at) const override
    {
        const CTimeLineGeometry& g = m_geometry;
        return at.x >= g.gridLeft && at.x < g.gridRight && at.y >= g.gridTop && at.y < g.gridBottom;
    }
    void SelectWithin(const RECT& rect) override;
    void ToggleAt(POINT at) override;
    HWND GraphWindow() const override { return m_parentStatic; }

    // The selected points that are there, in key order.
    std::vector<int32_t> SelectedKeys() const;
    // The faces of these points are drawn again (all of them for many).
    void TouchKeys(const std::vector<int32_t>& keys);
    // Moves the selected points by tenths and levels in one step; the selection follows them.
    bool MoveSelected(int32_t tenths, int32_t levels);

    CTimeLineEntries View() const { return CTimeLineEntries(m_document, m_selected); }
    // A point the user just made: not selected, and its window at hand.
    void Made(int32_t key);
    // A face drawn over the layer in a state other than its own, with the faces above it.
    void PaintFaceOver(HDC dc, int32_t key, int32_t state);
    void RecomputePositions();
    void UpdateDropButton();

    CSheetDocument& m_document;
    // Tenths whose points the user selected; a tenth keeps its mark while its point is gone,
    // so that undo brings a deleted point back as it was.
    std::set<int32_t> m_selected;
    uint64_t m_selectionRevision = 0;
    CTimeLineGeometry m_geometry;
    int m_zoomMode = 0;
    int m_sizeMode = 0;
    // The mini window keeps the graph of the size mode before it.
    int m_geometrySizeMode = 0;
    double m_now = 0.0;
    double m_duration = 0.0;
    // Where the graph stood when the point windows were last brought to the pointer.
    double m_trackedAt = -1.0;

    HWND m_parentStatic = nullptr;
    HWND m_editor = nullptr;
    HDC m_backBuffer = nullptr;
    std::unique_ptr<CDropDrawButton> m_dropButton;
    CGraphPainter m_painter;
    CPointWindows m_points;
    CPointLayer m_layer;
    CFaceStack m_faceOver;
    CSelectionBand m_band{*this};
    bool m_setUp = false;
};
