#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"

#include "device/TimeSheetFile.h"
#include "timesheet/DropDrawButton.h"
#include "timesheet/EditHistory.h"
#include "timesheet/GraphPainter.h"
#include "timesheet/PointLayer.h"
#include "timesheet/PointWindows.h"
#include "timesheet/TimeLineButtonData.h"
#include "timesheet/TimeLineEntry.h"
#include "timesheet/TimeLineGeometry.h"

class CTervaneManager;
class CParentStaticObject;
namespace TervaneControl {
class ButtonData;
}

// The editor's model of the time sheet being edited: one entry per tenth of a second, each
// drawn as a point on the time-line graph, and the edits that keep the device manager's sheet
// in step with them. It outlives the editor window (the plug-in object owns it): the window
// attaches it when it is created and detaches it when it goes, and the entries stay.
//
// It is the front of four helpers: the geometry of the graph (TimeLineGeometry), the painter
// of grid and faces (CGraphPainter), the layer the shown faces are kept in (CPointLayer) and
// the points' windows (CPointWindows). Selection lives
// in the entries, so it survives a point's window going. A tick costs the same however long
// the sheet or the movie: it touches only what the pointer and the visible range reach.
// User-interface thread only.
class CTimeLineButtonManager : private IPointWindowsOwner, private IPointHost, private IDropHost {
public:
    static constexpr int32_t kFirstPointId = CPointWindows::kFirstId;
    static constexpr int kHeaderLines = CTimeSheetFileContent::kHeaderLines;
    // Entries this many tenths beyond either end of the visible range still count as shown
    // for their windows, so that a window is not handed on the moment its point leaves.
    static constexpr int32_t kWindowMarginKeys = 20;

    CTimeLineButtonManager();
    CTimeLineButtonManager(const CTimeLineButtonManager&) = delete;
    CTimeLineButtonManager& operator=(const CTimeLineButtonManager&) = delete;
    virtual ~CTimeLineButtonManager();

    // --- the entries ---
    void InsertEntry(double seconds, const CTimeLineButtonData& data);
    // Adds the entry a click at point of the graph means; returns its time (seconds) and level.
    void AddEntryAtPoint(POINT point, int32_t pattern, double& seconds, int32_t& level);
    bool IsFreeAt(int x, int y) const;
    bool HasEntry(double seconds) const;
    void DeleteEntry(double seconds);
    // Seconds of the entry whose point window this is; -1 for any other window.
    double TimeOfPointWindow(HWND window) const;
    void SetEntryPattern(HWND window, int32_t pattern, int32_t level, double seconds);
    void ClearEntries();
    bool HasEarlierEntry() const;
    bool HasLaterEntry() const;
    bool PreviousEntryTime(double& seconds) const;
    bool NextEntryTime(double& seconds) const;
    // Replaces the file only once the whole sheet is written and then clears the modified
    // flag; false (the old file and the flag as they were) when anything fails.
    bool SaveTimeSheet(const char* path);
    // The file a save writes; secondLine, when not empty, in place of the second header line's
    // placeholder.
    std::string SheetText(const std::string& secondLine = std::string()) const;
    bool LoadTimeSheet(const char* path);
    // Loading in two steps, so that a caller can let the device read the same file between
    // them: the read changes nothing here, the adoption replaces the entries and header.
    SheetRead ReadTimeSheetFile(const char* path, CTimeSheetFileContent& content) const;
    void AdoptTimeSheet(const CTimeSheetFileContent& content);

    // --- edits that keep the device manager's sheet in step and mark the sheet changed ---
    // Insert at the playback position (the insert button).
    void InsertAt(double seconds, int32_t pattern, int32_t level);
    // A click on a free spot of the graph.
    bool AddPointAt(POINT point, int32_t pattern) override;
    // A point dropped with its centre at point: moved there unless the point lies off the
    // graph, another entry holds that tenth, or it names the point's own tenth and level;
    // then the point goes back to its place and nothing changes (false).
    bool MovePoint(HWND window, POINT point);
    bool MovePoint(int32_t key, POINT point) override;
    void ReturnPoint(int32_t key) override;
    // The delete request of a point window (right click), or of the entry of key.
    bool DeletePointWindow(HWND window);
    bool DeletePoint(int32_t key);
    // Every selected entry takes the pattern, in the editor and on the device.
    void RepatternSelected(int32_t pattern) override;
    // A click on a point that did not move it.
    void ToggleSelected(HWND window);
    void ToggleSelected(int32_t key) override;
    void SetSelected(int32_t key, bool selected);
    // The selected points go, in one step (the Delete key); false when none was selected.
    bool DeleteSelected();
    // Every entry goes, in one step that can be undone; the device's own sheet is the caller's.
    void DeleteAll();

    // --- undo and redo: every edit above is one step; loading a sheet clears them ---
    // The entries, and the device's commands of every tenth the step touched, as they were
    // before it (after it); the sheet is unmodified again where that is the state last saved
    // or loaded. False when there is nothing to undo (redo).
    bool Undo();
    bool Redo();
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }

    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    bool IsModified() const { return m_modified; }
    // Unmodified makes the entries as they are the saved state that undo comes back to.
    void SetModified(bool modified);
    const std::string& GetMoviePath() const { return m_moviePath; }
    void SetMoviePath(const std::string& path) { m_moviePath = path; }
    double GetDuration() const { return m_duration; }
    void SetDuration(double seconds) { m_duration = seconds; }
    const std::string& HeaderLine(int index) const;

    struct EntryView {
        int32_t key;
        CTimeLineButtonData data;
        bool selected;
        HWND window; // null while the point has no window (far from the pointer)
    };
    // The entries in key order, for tools and tests.
    std::vector<EntryView> Entries() const;
    const TimeLineEntries& EntriesByKey() const { return m_entries; }
    // Counts every change of what the entries hold (not of selection or layout), so that a
    // picture of the sheet is drawn again only when it changed.
    uint64_t Revision() const { return m_revision; }
    bool FindEntry(int32_t key, EntryView& out) const;
    // Where an entry's point is drawn now, on the graph's window; false when not shown.
    bool PointRect(int32_t key, RECT& rect) const { return FaceOf(key, rect); }

    // --- the view ---
    double TimeAtX(int x) const { return ::TimeAtX(m_geometry, m_now, x); }
    int32_t LevelAtY(int y) const { return ::LevelAtY(m_geometry, y); }
    void SetZoomMode(int mode);
    void SetSizeMode(int mode);
    int GetZoomMode() const { return m_zoomMode; }
    int GetSizeMode() const { return m_sizeMode; }
    const CTimeLineGeometry& Geometry() const { return m_geometry; }
    double GetNow() const { return m_now; }
    // The per-tick refresh: the graph follows the playback position, the drop image the pointer.
    void RefreshAt(double now);
    // The same without the drop image, after the position was moved: the windows follow too.
    void RepositionAt(double now);
    // The grid with its labels, the playback line and the time under the cursor.
    void PaintGraph(HDC dc, double now);
    // True when the cursor is over the graph and over no point: the drop image shows there.
    bool IsOverFreeSpot(POINT cursor) const override;
    // The pointer moved: the points near it get their windows in place.
    void TrackPointer();
    // The number of point windows alive, hidden ones included.
    int PointWindowCount() const { return m_points.Count(); }

    // --- the editor window ---
    // Hands over what the window provides. skinFolder holds "obj".
    void AttachWindow(HWND tooltip, HDC backBuffer, HWND parentStatic, CParentStaticObject* parent,
                      CTervaneManager* device, const std::string& skinFolder);
    // Creates the pattern drop image as a hidden child of the parent static window; the caller
    // registers it in the control hook list.
    CDropDrawButton* CreateDropButton(const TervaneControl::ButtonData& data, HWND editor);
    // Pens, fonts, cursors and geometry (once); the points join the control hook list.
    void FinishSetUp();
    // The editor window is going: its point windows and drop image go with it, entries stay.
    void DetachWindow();

    CDropDrawButton* DropButton() const { return m_dropButton.get(); }
    CTervaneManager* DeviceManager() const { return m_device; }
    HWND ParentWindow() const { return m_parentStatic; }
    HWND EditorWindow() const override { return m_editor; }
    HCURSOR HandCursor() const override { return m_painter.HandCursor(); }
    int32_t KeyOfWindow(HWND window) const { return m_points.KeyOf(window); }
    bool IsSelected(int32_t key) const;
    int32_t PatternOf(int32_t key) const;
    // The cursor in graph coordinates.
    bool CursorInParent(POINT& point) const override;

private:
    // IPointWindowsOwner
    bool FaceOf(int32_t key, RECT& face) const override;
    bool TopmostKeyAt(POINT at, int32_t& key) const override;
    void KeysNear(POINT at, int reach, size_t most, std::vector<int32_t>& keys) const override;
    bool IsKeyShown(int32_t key) const override;
    bool IsNearGraph(POINT at) const override;
    std::wstring TooltipOf(int32_t key) const override;
    void PaintPoints(HDC dc) override;
    // IDropHost
    void PaintDropImage(HDC dc, int x, int y, int32_t pattern) override;

    CTimeLineButtonData DataAt(double seconds, int32_t pattern, int32_t level, bool snapToKey) const;
    // Stores the entry; a shown one gets its window when asked (a user's edit) or later.
    void StoreEntry(int32_t key, const CTimeLineButtonData& data, bool giveWindow);
    void EraseEntry(int32_t key);
    // The entry's face is about to change or just changed: the layer draws its place again.
    void TouchFace(int32_t key);
    // A face drawn over the layer in a state other than its own, with the faces above it.
    void PaintFaceOver(HDC dc, int32_t key, int32_t state);
    // The entry a point of the graph means, on the device too, and the sheet marked changed.
    void AddAndPlayAt(POINT point, int32_t pattern);
    void RecomputePositions();
    void UpdateDropButton();

    // An edit's step: the tenths it touches are noted before they change, and what they hold
    // at the end of the outermost scope becomes one step of the history.
    class CStepScope {
    public:
        explicit CStepScope(CTimeLineButtonManager& manager);
        ~CStepScope();
        CStepScope(const CStepScope&) = delete;
        CStepScope& operator=(const CStepScope&) = delete;

    private:
        CTimeLineButtonManager& m_manager;
    };
    void NoteBefore(int32_t key);
    EntryState StateOf(int32_t key) const;
    // The tenth made to hold state, on the device too.
    void Restore(int32_t key, const EntryState& state);
    // False when there is no step (nothing to undo or redo).
    bool ApplyStep(const EditStep* step, bool forward);

    TimeLineEntries m_entries;
    CTimeLineGeometry m_geometry;
    int m_zoomMode = 0;
    int m_sizeMode = 0;
    // The mini window keeps the graph of the size mode before it.
    int m_geometrySizeMode = 0;
    double m_now = 0.0;
    double m_duration = 0.0;

    HWND m_parentStatic = nullptr;
    HWND m_editor = nullptr;
    HDC m_backBuffer = nullptr;
    CTervaneManager* m_device = nullptr;
    std::unique_ptr<CDropDrawButton> m_dropButton;
    POINT m_dropAt = {-1, -1};
    CGraphPainter m_painter;
    CPointWindows m_points;
    CPointLayer m_layer;
    CFaceStack m_faceOver;
    bool m_setUp = false;

    std::string m_moviePath;
    std::string m_header[kHeaderLines];
    bool m_modified = false;

    uint64_t m_revision = 0;
    CEditHistory m_history;
    int m_stepDepth = 0;
    std::map<int32_t, EntryState> m_stepBefore;
};
