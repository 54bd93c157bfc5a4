#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Win32.h"
#include <commctrl.h>

#include "editor/GdiObjects.h"
#include "editor/GdiTexture.h"
#include "timesheet/CommandData.h"
#include "timesheet/TimeLineButtonData.h"
#include "timesheet/TimeLineGeometry.h"
#include "timesheet/TimeSheetFile.h"

class CTervaneManager;
class CParentStaticObject;
class CDropDrawButton;
class CTimeSheetButton;
namespace TervaneControl {
class ButtonData;
}

// The editor's model of the time sheet being edited: one entry per tenth of a second, each
// drawn as a point button on the time-line graph, plus the graph's geometry, pens and fonts.
// It outlives the editor window (the plug-in object owns it): the window attaches it when it
// is created and detaches it when it goes, and the entries stay.
//
// Every entry behaves as if it had its point window, but windows exist only for the entries
// near the visible part of the graph: an hour-long sheet holds 36,000 entries, more than the
// window handles a process may have. Selection lives in the entries, so it survives a point
// scrolling out of view and back. The windows follow the scrolling graph only while the
// pointer is near it (or a point is pressed): elsewhere no click can reach them, and the
// faces are drawn from the entries. User-interface thread only.
class CTimeLineButtonManager {
public:
    static constexpr int32_t kFirstPointId = 50;
    static constexpr int kHeaderLines = 10;
    // Entries this many tenths beyond either end of the visible range keep their (hidden)
    // windows, so that a playing graph creates one point at a time, not one per tick.
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
    bool LoadTimeSheet(const char* path);
    // Loading in two steps, so that a caller can let the device read the same file between
    // them: the read changes nothing here, the adoption replaces the entries and header.
    SheetRead ReadTimeSheetFile(const char* path, CTimeSheetFileContent& content) const;
    void AdoptTimeSheet(const CTimeSheetFileContent& content);

    // --- edits that keep the device manager's sheet in step and mark the sheet changed ---
    // Insert at the playback position (the insert button).
    void InsertAt(double seconds, int32_t pattern, int32_t level);
    // A click on a free spot of the graph; false when the spot is not free.
    bool AddPointAt(POINT point, int32_t pattern);
    // A dragged point dropped with its centre at point: moves it there unless the point lies
    // off the graph, another entry holds that tenth, or it names the point's own tenth and
    // level; then the point goes back to its place and nothing changes (false).
    bool MovePoint(HWND window, POINT point);
    // A point whose drag was given up goes back to where its entry puts it.
    void ReturnPoint(int32_t key);
    // The delete request of a point window (right click, or the old place after a move).
    bool DeletePointWindow(HWND window);
    // Every selected entry takes the pattern, in the editor and on the device.
    void RepatternSelected(int32_t pattern);
    // A click on a point that did not move it.
    void ToggleSelected(HWND window);
    void SetSelected(int32_t key, bool selected);

    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    const std::string& GetMoviePath() const { return m_moviePath; }
    void SetMoviePath(const std::string& path) { m_moviePath = path; }
    double GetDuration() const { return m_duration; }
    void SetDuration(double seconds) { m_duration = seconds; }
    const std::string& HeaderLine(int index) const;

    struct EntryView {
        int32_t key;
        CTimeLineButtonData data;
        bool selected;
        HWND window; // null while the entry is far from the visible range
    };
    // The entries in key order, for tools and tests.
    std::vector<EntryView> Entries() const;
    bool FindEntry(int32_t key, EntryView& out) const;

    // --- the view ---
    double TimeAtX(int x) const;
    int32_t LevelAtY(int y) const;
    void SetZoomMode(int mode);
    void SetSizeMode(int mode);
    int GetZoomMode() const { return m_zoomMode; }
    int GetSizeMode() const { return m_sizeMode; }
    const CTimeLineGeometry& Geometry() const { return m_geometry; }
    double GetNow() const { return m_now; }
    // The per-tick refresh: points follow the playback position, the drop image the pointer.
    void RefreshAt(double now);
    // The same without the drop image, after the position was moved.
    void RepositionAt(double now);
    // The grid with its labels, the playback line and the time under the cursor.
    void PaintGraph(HDC dc, double now);
    // True when the cursor is over the graph and over no point: the drop image shows there.
    bool IsOverFreeSpot(POINT cursor) const;
    // The pointer moved: point windows, which lag behind while it is away from the graph,
    // catch up before it can reach one.
    void TrackPointer();
    // The number of point windows alive, hidden ones included.
    int PointWindowCount() const { return static_cast<int>(m_points.size()); }

    // --- the editor window ---
    // Hands over what the window provides. skinFolder holds "obj".
    void AttachWindow(HWND tooltip, HDC backBuffer, HWND parentStatic, CParentStaticObject* parent,
                      CTervaneManager* device, const std::string& skinFolder);
    // Creates the pattern drop image as a hidden child of the parent static window; the caller
    // registers it in the control hook list.
    CDropDrawButton* CreateDropButton(const TervaneControl::ButtonData& data, HWND editor);
    // Pens, fonts, cursors and geometry (once), then the points of the current range.
    void FinishSetUp();
    // The editor window is going: its point windows and drop image go with it, entries stay.
    void DetachWindow();

    CDropDrawButton* DropButton() const { return m_dropButton.get(); }
    CTervaneManager* DeviceManager() const { return m_device; }
    HWND ParentWindow() const { return m_parentStatic; }
    HWND EditorWindow() const { return m_editor; }
    // The shared strip every point is drawn with (10 pattern columns x 5 states).
    CGdiTexture& PointStrip() { return m_pointStrip; }
    HCURSOR HandCursor() const { return m_handCursor; }
    int32_t KeyOfWindow(HWND window) const;
    bool IsSelected(int32_t key) const;
    int32_t PatternOf(int32_t key) const;

    // The point button asks the manager for the cursor in graph coordinates.
    bool CursorInParent(POINT& point) const;

private:
    struct Entry {
        CTimeLineButtonData data;
        bool selected = false;
    };

    CTimeLineButtonData DataAt(double seconds, int32_t pattern, int32_t level, bool snapToKey) const;
    void EraseEntry(int32_t key);
    // The entry a point of the graph means, on the device too, and the sheet marked changed.
    void AddAndPlayAt(POINT point, int32_t pattern);
    void RecomputePositions();
    void Reposition(double now, bool skipPressed);
    bool InRange(int32_t key, double now, int32_t margin) const;
    POINT PointPosition(const CTimeLineButtonData& data, double now) const;
    void Materialize(int32_t key, const Entry& entry);
    void Retire(int32_t key);
    void FlushRetired();
    void UpdateDropButton();
    bool IsPointerNearGraph() const;
    void SyncPointWindows();
    std::wstring TooltipText(const CTimeLineButtonData& data, double seconds) const;
    void AddTooltip(HWND window, const std::wstring& text);
    void MakeDrawingObjects();

    std::vector<CommandData> m_staging;
    std::map<int32_t, Entry> m_entries;
    // The point buttons that have windows now, by key; the windows are their children.
    std::map<int32_t, std::unique_ptr<CTimeSheetButton>> m_points;
    // Points deleted while one of them may still be handling the message that deleted it;
    // they are destroyed at the next refresh.
    std::vector<std::unique_ptr<CTimeSheetButton>> m_retired;
    int32_t m_nextId = kFirstPointId;

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
    CParentStaticObject* m_parentObject = nullptr;
    CTervaneManager* m_device = nullptr;
    HWND m_tooltip = nullptr;
    TOOLINFOW m_toolInfo = {};
    std::string m_skinFolder;
    std::unique_ptr<CDropDrawButton> m_dropButton;
    CGdiTexture m_pointStrip;
    bool m_setUp = false;

    CGdiObject<HPEN> m_plainPen;
    CGdiObject<HPEN> m_playbackPen;
    CGdiObject<HPEN> m_majorPen;
    CGdiObject<HPEN> m_minorPen;
    CFontHandle m_font10;
    CFontHandle m_font12;
    CFontHandle m_popFont10;
    HCURSOR m_handCursor = nullptr;
    HCURSOR m_arrowCursor = nullptr;

    std::string m_moviePath;
    std::string m_header[kHeaderLines];
    bool m_modified = false;
};
