#pragma once
#include "base/Win32.h"
#include <commdlg.h>

// What the editor asks of the user: message boxes and the open and save dialogs. The product
// binds it to the real functions; scripted hosts and tests answer from a queue, so that
// nothing modal ever waits for a click that cannot come.
class IUserPrompts {
public:
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual BOOL GetOpenFileNameA(LPOPENFILENAMEA dialog) = 0;
    virtual BOOL GetSaveFileNameA(LPOPENFILENAMEA dialog) = 0;

protected:
    ~IUserPrompts() = default;
};

// The binding to the real functions; one per process.
IUserPrompts& UserPromptsWin32();

// The process-wide binding the editor uses; the real one unless replaced. User-interface
// thread only.
IUserPrompts& UserPrompts();
// Replaces the binding (null returns to the real one) and returns the previous one, null when
// that was the real one.
IUserPrompts* SetUserPrompts(IUserPrompts* prompts);
