#pragma once
#include <string>

#include "editor/SettingsFile.h"

// The copy of unsaved changes that survives a crash of the player: a time sheet in the user's
// settings folder whose second header line (a placeholder in every other sheet) names the
// sheet it belongs to. Written through the same safe replace as a save.
class CRecoveryCopy {
public:
    static constexpr char kFileName[] = "\\recovery.tms";
    static constexpr char kQuestion[] = "前回保存されなかった編集内容があります。復元しますか？";
    // A copy is written at most this often while changes keep coming.
    static constexpr unsigned kIntervalMs = 30000;

    explicit CRecoveryCopy(const SettingsFiles& files);

    const std::string& Path() const { return m_path; }
    // text is the file a save would write with SecondLineFor(the sheet) as its second line.
    bool Write(const std::string& text);
    void Remove();
    // A copy left by an earlier run that is newer than its sheet (or whose sheet is gone),
    // and that this process neither wrote nor offered already; sheetPath names its sheet.
    bool IsWaiting(std::string& sheetPath) const;
    // The copy was put to the user: it is not offered again.
    void MarkOffered() const;

    // The second header line of a copy that names sheetPath (empty for a sheet never saved).
    static std::string SecondLineFor(const std::string& sheetPath);
    // The sheet a copy's second header line names; false when it names none.
    static bool SheetOf(const std::string& headerLine, std::string& sheetPath);

private:
    std::string m_path;
};
