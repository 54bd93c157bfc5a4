#pragma once
#include <string>

#include "controls/EditBox.h"

namespace TervaneControl {

// The file name box: shows the full path of the current time sheet, and a path of a time
// sheet typed into it loads when Enter is pressed. The box is one line: a line break never
// gets in, typed or not.
class CFileEditBox : public CEditBox {
public:
    static EditBoxData MakeData(const std::string& moduleDirectory);

    CFileEditBox() = default;
    // Gives a window that is still there its own procedure back.
    ~CFileEditBox() override;

    // parent is the parent static window, which passes WM_PLUGIN_OPENPATH to the controls.
    bool Create(const EditBoxData& data, HWND parent, HWND editor);
    void OnFileName(LPARAM path) override;

    // A path as a user pastes it, made a path: its first line, without the blanks around it
    // and without the quotes a copied path comes in.
    static std::string CleanTypedPath(const std::string& text);

private:
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT EditProcGuarded(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnEnter();

    WNDPROC m_previousProc = nullptr;
};

} // namespace TervaneControl
