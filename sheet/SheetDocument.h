#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sheet/CommandData.h"
#include "sheet/SheetHistory.h"
#include "sheet/TimeSheetFile.h"

// What follows a sheet document: the device's playing sheet and the time line.
class ISheetObserver {
public:
    // The records of these tenths (ascending, each once) changed: an edit, an undo or a redo.
    virtual void OnTenthsChanged(const std::vector<int32_t>& tenths) = 0;
    // Everything may have changed: another sheet was read.
    virtual void OnSheetReplaced() = 0;

protected:
    ~ISheetObserver() = default;
};

// The time sheet being played and edited, held once: the header lines and every record as
// read, each at or after 0 s, in time order with the records of one time in the order they
// came. Records are kept by their tenth of a second: the editor shows the last record of a
// tenth as that tenth's point, the device plays every one of them. Every edit is a step on the
// records of the tenths it touches, and can be undone; the sheet is modified exactly when the
// history stands elsewhere than where it was last loaded or saved. No windows, no pixels.
// User-interface thread only.
class CSheetDocument {
public:
    static constexpr int kHeaderLines = CTimeSheetFileContent::kHeaderLines;
    using Records = std::vector<CommandData>;
    using Tenths = std::map<int32_t, Records>;

    CSheetDocument() = default;
    CSheetDocument(const CSheetDocument&) = delete;
    CSheetDocument& operator=(const CSheetDocument&) = delete;

    // --- reading and writing ---
    // A file that cannot be read (anything but kRead) changes nothing.
    SheetRead Load(const char* path);
    // The file's content becomes the sheet: no step, no history, unmodified.
    void Replace(const CTimeSheetFileContent& content);
    // The file a save writes; secondLine, when not empty, in place of the second header
    // line's placeholder.
    std::string Text(const std::string& secondLine = std::string()) const;
    // Replaces the file only once the whole sheet is written, then marks the sheet saved (it
    // names the movie it was saved with from then on); false (the old file and the mark as
    // they were) when anything fails.
    bool Save(const char* path);
    // A new, empty sheet that names no movie: no step, no history, unmodified.
    void Clear();

    // --- what it holds ---
    const Tenths& ByTenth() const { return m_tenths; }
    // The last record of the tenth: what the graph shows there.
    bool EntryOf(int32_t tenth, CommandData& entry) const;
    bool HasTenth(int32_t tenth) const { return m_tenths.count(tenth) != 0; }
    size_t TenthCount() const { return m_tenths.size(); }
    size_t RecordCount() const { return m_recordCount; }
    // Every record, in time order.
    Records AllRecords() const;
    // As read from the file; the first names the movie the sheet was made for.
    const std::string& HeaderLine(int index) const;
    // The movie open in the player, which a save names on the first line.
    const std::string& MoviePath() const { return m_moviePath; }
    void SetMoviePath(const std::string& path) { m_moviePath = path; }

    // --- edits: each is one step, or part of the step a CStep holds open ---
    // The tenth of time holds this record alone; no edit when its point already shows this
    // pattern and level. Times before 0 s are taken as 0 s.
    bool Insert(int32_t time, int32_t pattern, int32_t level);
    bool Delete(int32_t tenth);
    // The point of tenth from, with its pattern, to time and level; refused when another
    // point holds that tenth, no edit when nothing would change.
    bool Move(int32_t from, int32_t time, int32_t level);
    // The tenth's point takes the pattern (and its tenth holds that one record).
    bool Repattern(int32_t tenth, int32_t pattern);
    bool DeleteAll();
    // The points of the tenths move by time (ten-thousandths) and level (each kept within 0 to
    // 10), each with its pattern; points of other tenths where they land go. Each moved tenth
    // holds its point's one record afterwards.
    bool MoveTenths(const std::vector<int32_t>& tenths, int32_t time, int32_t level);
    // The records become those of the tenths they fall in (times before 0 s at 0 s); the
    // other records of those tenths go. False, nothing changed, when the sheet would hold
    // more records than a sheet file may.
    bool PlaceRecords(const Records& records);
    // Whether PlaceRecords would keep the sheet within what a sheet file may hold.
    bool CanPlace(const Records& records) const;

    // Edits made while one is alive become one step, told to the observers when it ends.
    class CStep {
    public:
        explicit CStep(CSheetDocument& document);
        ~CStep();
        CStep(const CStep&) = delete;
        CStep& operator=(const CStep&) = delete;

    private:
        CSheetDocument& m_document;
    };

    // Edits made under a CRunEdit while a run is open (the levels recorded while the movie
    // plays, ticks apart) are one step of the history; each is still told to the observers as
    // it is made. Any other edit, an undo or a redo, and a save end the run first, so it never
    // takes in what the user did by other means.
    class CRunEdit {
    public:
        explicit CRunEdit(CSheetDocument& document);
        ~CRunEdit();
        CRunEdit(const CRunEdit&) = delete;
        CRunEdit& operator=(const CRunEdit&) = delete;

    private:
        CSheetDocument& m_document;
    };
    void EndRun();
    bool InRun() const { return m_runOpen; }

    // False when there is nothing to undo (redo).
    bool Undo();
    bool Redo();
    // An open run is a step to undo, and leaves nothing to redo once it is closed.
    bool CanUndo() const { return m_history.CanUndo() || m_runChanged; }
    bool CanRedo() const { return m_history.CanRedo() && !m_runChanged; }

    bool IsModified() const { return !m_history.AtSaved() || m_runChanged; }
    // The sheet as it is now is what its file holds.
    void MarkSaved()
    {
        EndRun();
        m_history.MarkSaved();
    }
    // The sheet as it is now differs from its file (a recovered copy of unsaved changes).
    void MarkUnsaved() { m_history.ForgetSaved(); }
    // Counts every change of the records.
    uint64_t Revision() const { return m_revision; }

    void AddObserver(ISheetObserver* observer);
    void RemoveObserver(ISheetObserver* observer);

private:
    // The tenth holds records from now on (none: it is empty); the step notes what it held.
    void SetTenth(int32_t tenth, Records records);
    void BeginStep();
    void EndStep();
    // The history's step applied one way; false when there is none.
    bool Apply(const SheetStep* step, bool forward);
    void TellChanged(const std::vector<int32_t>& tenths);
    // One step of the history from what tenths held before and hold now; false when none changed.
    bool PushStep(std::map<int32_t, Records>& before);
    static std::map<int32_t, Records> TenthsOf(const Records& records);
    bool HoldsTooMany(const std::map<int32_t, Records>& placed) const;

    Tenths m_tenths;
    size_t m_recordCount = 0;
    std::string m_header[kHeaderLines];
    std::string m_moviePath;
    CSheetHistory m_history;
    uint64_t m_revision = 0;
    int m_stepDepth = 0;
    // What each tenth the open step touched held before it.
    std::map<int32_t, Records> m_stepBefore;
    // Whether the last step that ended changed anything.
    bool m_stepChanged = false;
    // What each tenth the open run touched held before it.
    bool m_runOpen = false;
    bool m_runChanged = false; // a step of the open run changed the records
    bool m_joinRun = false;    // the next outermost step belongs to the open run
    bool m_stepJoins = false;  // the step being made does
    std::map<int32_t, Records> m_runBefore;
    std::vector<ISheetObserver*> m_observers;
};
