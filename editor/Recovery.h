#pragma once
#include <string>
#include <vector>

#include "base/file/FilePath.h"
#include "editor/SettingsFile.h"

// The copy of unsaved changes that survives a crash of the player: a time sheet in the user's
// settings folder whose second header line (a placeholder in every other sheet) names the sheet
// it belongs to and that sheet's size and time as it was last loaded or saved. Written through
// the same safe replace as a save.
//
// One copy per running player: each claims a numbered copy of its own, and holds a lock file
// beside it open (and deleted when closed) for as long as it runs, so that the system lets go
// of it when the player dies, however it dies. A copy whose lock nobody holds was left by a
// player that is gone; one whose lock is held belongs to a player that runs, and is never
// offered, overwritten or deleted by another.
class CRecoveryCopy {
public:
    static constexpr char kQuestion[] = "前回保存されなかった編集内容があります。復元しますか？";
    // A copy is written at most this often while changes keep coming, or tried again after
    // one could not be written.
    static constexpr unsigned kIntervalMs = 30000;

    // A copy that a player that is gone left.
    struct Left {
        std::string path;
        // The sheet it belongs to (empty: one never saved), and whether that sheet changed
        // since the changes were made to it.
        std::string sheet;
        Quorvel::Base::File::FileStamp stamp;
        bool sheetChanged = false;
        // When the copy was written, as a local "YYYY/MM/DD HH:MM".
        std::string written;
        // Another program may hold it so that it cannot be read now.
        bool readable = true;
    };

    explicit CRecoveryCopy(const SettingsFiles& files);

    // This player's copy: text is the file a save would write with SecondLineFor(the sheet)
    // as its second line. The first write claims a copy no running player holds.
    bool Write(const std::string& text);
    // This player's copy goes (its claim stays).
    void Remove();
    // This player's copy; empty before it claimed one.
    static std::string OwnPath();

    // The copies left by players that are gone, newest first, that this player has not put
    // to the user yet.
    std::vector<Left> LeftBehind() const;
    // The copy was put to the user: it is not offered again by this player.
    static void MarkOffered(const std::string& path);
    // A copy left behind goes (only when no running player holds it).
    static void Discard(const std::string& path);
    // What the offer of a copy says.
    static std::string QuestionFor(const Left& left);

    // The player ends (or dies): its claim goes with it. Called when the module unloads, and
    // by tests that stand for a player that died.
    static void EndOfPlayer();

    // The second header line of a copy that names sheetPath, as loaded or saved with stamp
    // (empty path: a sheet never saved).
    static std::string SecondLineFor(const std::string& sheetPath, const Quorvel::Base::File::FileStamp& stamp);
    // The sheet a copy's second header line names; false when it names none. A line written
    // before stamps were recorded gives a zero stamp.
    static bool SheetOf(const std::string& headerLine, std::string& sheetPath, Quorvel::Base::File::FileStamp& stamp);

private:
    std::string m_folder;
};
