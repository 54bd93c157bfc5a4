#include "editor/ShellSeam.h"

#include <shellapi.h>

namespace {

class CShellWin32 : public IShell {
public:
    HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                            INT show) override
    {
        return ::ShellExecuteA(window, verb, file, parameters, directory, show);
    }
};

CShellWin32 s_shellWin32;
// Constant-initialized, so a binding made by another static object at load is never undone.
IShell* s_shell = nullptr;

} // namespace

IShell& ShellWin32()
{
    return s_shellWin32;
}

IShell& BoundShell()
{
    return s_shell != nullptr ? *s_shell : s_shellWin32;
}

IShell* SetShell(IShell* shell)
{
    IShell* const previous = s_shell;
    s_shell = shell;
    return previous;
}
