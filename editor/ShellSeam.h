#pragma once
#include "base/Win32.h"

// What the editor asks of the shell: opening a web page or a document with the program the
// user chose for it. The product binds it to the real ShellExecuteA; tests bind a recorder,
// so that no test ever starts a browser.
class IShell {
public:
    // As ShellExecuteA: a result above 32 means the file was opened.
    virtual HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                    INT show) = 0;

protected:
    // Bindings are never deleted through this interface.
    ~IShell() = default;
};

// The binding to the real shell; one per process.
IShell& ShellWin32();

// The process-wide binding that the editor's commands use; the real shell unless replaced.
// Used on the user-interface thread only.
IShell& BoundShell();
// Replaces the binding (null returns to the real shell) and returns the previous one, null
// when that was the real shell.
IShell* SetShell(IShell* shell);
