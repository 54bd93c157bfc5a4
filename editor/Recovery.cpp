#include "editor/Recovery.h"

#include <set>
#include <utility>

#include "base/Win32.h"
#include "base/file/FilePath.h"
#include "base/file/ReplaceFile.h"
#include "device/TimeSheetFile.h"
#include "editor/ModulePath.h"

namespace {

// The second header line of a copy, a placeholder in every other sheet.
constexpr char kSheetPrefix[] = "sheet=";

bool LastWrite(const std::string& path, unsigned long long& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    time = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
}

// Copies by path and time that this process wrote or put to the user: a copy is offered once.
std::set<std::pair<std::string, unsigned long long>>& Known()
{
    static std::set<std::pair<std::string, unsigned long long>> known;
    return known;
}

void Remember(const std::string& path)
{
    unsigned long long time = 0;
    if (LastWrite(path, time))
        Known().emplace(path, time);
}

} // namespace

CRecoveryCopy::CRecoveryCopy(const SettingsFiles& files)
{
    const std::string& settings = files.user.empty() ? files.module : files.user;
    const std::string folder = DirectoryOfPath(settings);
    if (!folder.empty())
        m_path = folder + kFileName;
}

std::string CRecoveryCopy::SecondLineFor(const std::string& sheetPath)
{
    return kSheetPrefix + sheetPath;
}

bool CRecoveryCopy::SheetOf(const std::string& headerLine, std::string& sheetPath)
{
    if (headerLine.compare(0, sizeof kSheetPrefix - 1, kSheetPrefix) != 0)
        return false;
    sheetPath = headerLine.substr(sizeof kSheetPrefix - 1);
    return true;
}

bool CRecoveryCopy::Write(const std::string& text)
{
    if (m_path.empty())
        return false;
    MakeFolderOf(m_path);
    if (!Quorvel::Base::File::ReplaceFileContents(m_path.c_str(), text.data(), text.size()))
        return false;
    Remember(m_path);
    return true;
}

void CRecoveryCopy::Remove()
{
    if (!m_path.empty())
        DeleteFileA(m_path.c_str());
}

bool CRecoveryCopy::IsWaiting(std::string& sheetPath) const
{
    unsigned long long copyTime = 0;
    if (!LastWrite(m_path, copyTime) || Known().count(std::make_pair(m_path, copyTime)) != 0)
        return false;
    CTimeSheetFileContent content;
    if (ReadTimeSheetFile(m_path.c_str(), content) != SheetRead::kRead || !SheetOf(content.header[1], sheetPath))
        return false;
    unsigned long long sheetTime = 0;
    return !LastWrite(sheetPath, sheetTime) || copyTime > sheetTime;
}

void CRecoveryCopy::MarkOffered() const
{
    Remember(m_path);
}
