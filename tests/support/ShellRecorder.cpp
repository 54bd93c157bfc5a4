#include "support/ShellRecorder.h"

#include <gtest/gtest.h>

#include "base/Win32.h"
#include <shellapi.h>

namespace TestSupport {

HINSTANCE CShellRecorder::ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                        INT show)
{
    calls.push_back({window, verb != nullptr, file != nullptr ? file : "", parameters != nullptr,
                     directory != nullptr, show});
    // Above 32: opened.
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

std::vector<std::string> CShellRecorder::Files() const
{
    std::vector<std::string> files;
    for (const SCall& call : calls)
        files.push_back(call.file);
    return files;
}

namespace {

class CShellRefusal : public IShell {
public:
    HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) override
    {
        ADD_FAILURE() << "the real shell was asked to open " << (file != nullptr ? file : "(null)");
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_NOASSOC));
    }
};

CShellRefusal s_refusal;

class CBindRefusal {
public:
    CBindRefusal() { SetShell(&s_refusal); }
};
CBindRefusal s_bindRefusal;

} // namespace

} // namespace TestSupport
