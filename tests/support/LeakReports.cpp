#include "support/LeakReports.h"


#include "base/Win32.h"
#include "base/allocator/LeakReport.h"
#include "support/FileFixtures.h"

namespace TestSupport {

namespace {
const char kReportFileVariable[] = "TERVANE_LEAK_REPORT_FILE";
constexpr DWORD kRunTimeoutMs = 240000;

// Appends each report to the file named by the variable at load. It runs at process exit,
// after the runtime's statics are gone, so it needs nothing but kernel32 and static storage.
class CFileLeakSink : public Quorvel::Base::Allocator::ILeakReportSink {
public:
    void Report(const char* caption, const char* text) override
    {
        HANDLE h = CreateFileA(s_path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return;
        Put(h, caption);
        Put(h, ": ");
        Put(h, text);
        Put(h, "\n");
        CloseHandle(h);
    }

    static char s_path[MAX_PATH];

private:
    static void Put(HANDLE h, const char* s)
    {
        DWORD written = 0;
        WriteFile(h, s, lstrlenA(s), &written, nullptr);
    }
};
char CFileLeakSink::s_path[MAX_PATH];
CFileLeakSink s_fileSink;

class CInstallFileSink {
public:
    CInstallFileSink()
    {
        DWORD n = GetEnvironmentVariableA(kReportFileVariable, CFileLeakSink::s_path, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            Quorvel::Base::Allocator::SetLeakReportSink(&s_fileSink);
    }
};
CInstallFileSink s_install;

// Blanks pool addresses ("0x?") and counts repeated lines ("... (x3)"), so that runs
// leaking the same blocks compare equal and a big leak stays readable.
std::string Summarize(const std::string& reports)
{
    std::string summary, previous;
    int repeats = 0;
    auto flush = [&]() {
        if (repeats > 0)
            summary += previous + (repeats > 1 ? " (x" + std::to_string(repeats) + ")" : "") + "\n";
    };
    size_t start = 0;
    while (start < reports.size()) {
        size_t end = reports.find('\n', start);
        if (end == std::string::npos)
            end = reports.size();
        std::string line = reports.substr(start, end - start);
        size_t hex = line.find("0x");
        if (hex != std::string::npos)
            line = line.substr(0, hex) + "0x?";
        if (line == previous) {
            ++repeats;
        } else {
            flush();
            previous = line;
            repeats = 1;
        }
        start = end + 1;
    }
    flush();
    return summary;
}
} // namespace

bool RunAndCollectLeakReports(const std::string& filter, std::string& reports)
{
    CTempDir dir;
    const std::string reportPath = dir / "\\leaks.txt";
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    std::string command = "\"" + std::string(exe, n) + "\" --gtest_filter=" + filter;

    // The child inherits the variable; this program chose its own sink at load already.
    SetEnvironmentVariableA(kReportFileVariable, reportPath.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // No inherited handles: the child must not hold the test runner's output pipes.
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kReportFileVariable, nullptr);
    if (!started)
        return false;
    CloseHandle(process.hThread);
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, kRunTimeoutMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    else
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    reports = Summarize(ReadWholeFile(reportPath));
    return exitCode == 0;
}

} // namespace TestSupport
