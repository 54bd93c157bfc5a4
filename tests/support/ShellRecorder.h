#pragma once
#include <string>
#include <vector>

#include "editor/ShellSeam.h"

namespace TestSupport {

// Stands in for the shell: records what the editor asked it to open and opens nothing.
class CShellRecorder : public IShell {
public:
    struct SCall {
        HWND window;
        bool hasVerb;
        std::string file;
        bool hasParameters;
        bool hasDirectory;
        INT show;
    };
    HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                            INT show) override;
    std::vector<std::string> Files() const;

    std::vector<SCall> calls;
};

// Binds a recorder for one scope and puts the previous binding back. Outside such a scope
// the test program binds a shell that fails the running test: no test reaches the real one.
class CScopedShell {
public:
    explicit CScopedShell(IShell& shell) : m_previous(SetShell(&shell)) {}
    ~CScopedShell() { SetShell(m_previous); }
    CScopedShell(const CScopedShell&) = delete;
    CScopedShell& operator=(const CScopedShell&) = delete;

private:
    IShell* m_previous;
};

} // namespace TestSupport
