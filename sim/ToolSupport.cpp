#include "sim/ToolSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/Win32.h"
#include "base/text/CodePage.h"
#include "editor/ModulePath.h"
#include "sim/PlayerSession.h"

namespace ToolSupport {

bool ReadWholeFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

std::string FromUtf8IfItIs(const std::string& text)
{
    std::wstring wide;
    std::string narrow;
    if (Quorvel::Base::Text::ToWide(CP_UTF8, text, wide, true) &&
        Quorvel::Base::Text::ToNarrow(CP_THREAD_ACP, wide, narrow))
        return narrow;
    return text;
}

void PrintLine(const std::string& line)
{
    std::wstring wide;
    std::string utf8;
    if (Quorvel::Base::Text::ToWide(CP_THREAD_ACP, line, wide) && Quorvel::Base::Text::ToNarrow(CP_UTF8, wide, utf8))
        std::printf("%s\n", utf8.c_str());
    else
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string ProductFolderOfTool()
{
    const std::string own = ModuleDirectory(GetModuleHandleW(nullptr));
    const std::string above = DirectoryOfPath(own);
    const DWORD attributes = GetFileAttributesA((above + "\\obj").c_str());
    if (!above.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return above;
    return own;
}

bool ParseDevice(const std::string& value, PlayerOptions& options, std::string& error)
{
    if (value != "sim" && value != "system") {
        error = "bad device '" + value + "': sim or system";
        return false;
    }
    options.systemDevice = value == "system";
    return true;
}

int PlayEvents(const char* tool, PlayerOptions options, const std::vector<SimEvent>& events)
{
    options.moduleFolder = ProductFolderOfTool();
    // Answers at the head of the script reply to what the editor asks while it is made (the
    // offer of a recovery copy after a crash).
    size_t first = 0;
    for (; first < events.size() && events[first].kind == SimEvent::kAnswer; ++first)
        options.answers.push_back(events[first].path);
    CPlayerSession session(options, &PrintLine);
    std::string error;
    if (!session.Start(error)) {
        std::fprintf(stderr, "%s: %s\n", tool, error.c_str());
        return 1;
    }
    for (size_t i = first; i < events.size(); ++i)
        session.Apply(events[i]);
    session.Finish();
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace ToolSupport
