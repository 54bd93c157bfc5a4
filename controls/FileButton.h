#pragma once
#include <string>

#include "controls/CommandButton.h"
#include "sheet/TimeSheetFile.h"

namespace TervaneControl {

// Load and save. Every load goes through LoadByPath (the open dialog, a path typed into the
// file name box, files dropped on the editor, the settings file at start); the current path
// lives in the plug-in object. Unsaved changes are never dropped without asking: a load over
// them and the closing editor offer to save first, and a save that fails says so and lets
// the user choose another name. The closing editor also remembers the current path.
class CFileButton : public CCommandButton {
public:
    enum class LoadResult {
        kLoaded,
        kNotLoaded, // the device manager could not read it, or it is no file
        kKept,      // the user kept the unsaved changes instead
    };

    explicit CFileButton(IPluginHost& host);

    // tell: a sheet that cannot be loaded is told to the user, with why (not at start, when
    // the remembered sheet may be on a drive that is not there).
    LoadResult LoadByPath(const std::string& path, bool tell = true);
    // The save dialog until a file is written (true) or the user gives up (false, and the
    // modified flag as it was). It proposes the sheet's own name, or the movie's with ".tms".
    bool SaveWithDialog();
    // The sheet saved to its own file without a question (the dialog only for a sheet that has
    // none, or when its file cannot be written).
    bool SaveToOwnFile();
    // A new, empty sheet, unsaved changes asked about first as a load does.
    void NewSheet();
    // The file a name chosen in the save dialog is saved as: with ".tms" when it has no
    // extension.
    static std::string SaveNameOf(const std::string& chosen);

    void OnSizeMode(WPARAM request) override;
    void OnDraw(HDC dc) override;
    void OnClicked(size_t index) override;
    void OnDropFiles(HWND window, HDROP drop, LPARAM lParam) override;
    void OnOpenPath(HWND window, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    void Load();
    bool AskFileName(bool save, std::string& name);
    bool AllowLoadOverChanges();
    void TellNotLoaded(const std::string& path, SheetRead why);
    void AnnouncePath();
};

} // namespace TervaneControl
