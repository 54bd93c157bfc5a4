#include "sim/usb/VirtualTervane.h"

#include <cstdio>

#include "base/Win32.h"
#include "sim/usb/VirtualTervaneChannel.h"

namespace {

// Installing a device on a prefix that is still booting takes a while; nothing takes this long.
const DWORD kToolMilliseconds = 120000;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// A file the tool writes its output to: unlike a pipe, it holds no reader hostage to a
// service the tool may have woken, which would keep a pipe open.
class COutputFile {
public:
    COutputFile()
    {
        char folder[MAX_PATH] = {};
        if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempFileNameA(folder, "tvu", 0, m_path) == 0)
            return;
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        m_file = CreateFileA(m_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    }
    ~COutputFile()
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
        if (m_path[0] != '\0')
            DeleteFileA(m_path);
    }
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;
    HANDLE Handle() const { return m_file; }
    std::string Text() const
    {
        std::string text;
        char buffer[1024];
        DWORD got = 0;
        SetFilePointer(m_file, 0, nullptr, FILE_BEGIN);
        while (ReadFile(m_file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
        return Trimmed(text);
    }

private:
    char m_path[MAX_PATH] = {};
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

} // namespace

CVirtualTervane::CVirtualTervane(std::string folder) : m_folder(std::move(folder)) {}

std::string CVirtualTervane::DefaultFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string own = FolderOf(std::string(path, length));
    const std::string beside = FolderOf(own) + "\\usb";
    return IsFolder(beside) ? beside : own + "\\usb";
}

int CVirtualTervane::Run(const std::string& arguments, std::string& output)
{
    const std::string tool = m_folder + "\\tervane-usb.exe";
    if (GetFileAttributesA(tool.c_str()) == INVALID_FILE_ATTRIBUTES) {
        output = "no " + tool + " (build the target tervane_usb)";
        return -1;
    }
    COutputFile file;
    if (file.Handle() == INVALID_HANDLE_VALUE) {
        output = "no temporary file for tervane-usb's output";
        return -1;
    }
    std::string line = "\"" + tool + "\" " + arguments;
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = file.Handle();
    start.hStdError = file.Handle();
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &start,
                        &process)) {
        char text[160];
        std::snprintf(text, sizeof text, "cannot run tervane-usb (error %lu): the virtual device needs a 64-bit prefix",
                      static_cast<unsigned long>(GetLastError()));
        output = text;
        return -1;
    }
    CloseHandle(process.hThread);
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process.hProcess, kToolMilliseconds) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    output = ended ? file.Text() : "tervane-usb " + arguments + " did not end";
    return ended ? static_cast<int>(code) : -1;
}

bool CVirtualTervane::Act(const std::string& arguments, std::string& said, std::string& error)
{
    std::string output;
    if (Run(arguments, output) == 0) {
        said = output;
        return true;
    }
    error = output.empty() ? "tervane-usb " + arguments + " failed" : output;
    return false;
}

bool CVirtualTervane::Ensure(std::string& said, std::string& error)
{
    return Act("install", said, error);
}

bool CVirtualTervane::Unplug(std::string& said, std::string& error)
{
    return Act("unplug", said, error);
}

bool CVirtualTervane::Replug(std::string& said, std::string& error)
{
    return Act("replug", said, error);
}

bool CVirtualTervane::FailWrites(uint32_t count, std::string& error)
{
    return VirtualTervaneChannel::SetFailWrites(count, error);
}

bool CVirtualTervane::HoldWrites(uint32_t count, std::string& error)
{
    return VirtualTervaneChannel::SetHoldWrites(count, error);
}

bool CVirtualTervane::ClearFaults(std::string& error)
{
    return VirtualTervaneChannel::ClearFaults(error);
}

bool CVirtualTervane::Restart(std::string& error)
{
    m_next = 0;
    return VirtualTervaneChannel::ClearRecord(error);
}

std::vector<VtRecordEntry> CVirtualTervane::TakeNew()
{
    std::vector<VtRecordEntry> entries = VirtualTervaneChannel::ReadRecord(m_next);
    m_next += static_cast<uint32_t>(entries.size());
    return entries;
}
