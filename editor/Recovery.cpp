#include "editor/Recovery.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "base/Win32.h"
#include "base/file/ReplaceFile.h"
#include "editor/ModulePath.h"
#include "sheet/TimeSheetFile.h"

using Quorvel::Base::File::FileStamp;
using Quorvel::Base::File::StampOfFile;

namespace {

// The second header line of a copy, a placeholder in every other sheet.
constexpr char kSheetPrefix[] = "sheet=";
// Copies are "recovery-N.tms", each with "recovery-N.lock" beside it; an earlier version
// wrote "recovery.tms" alone.
constexpr char kCopyPattern[] = "\\recovery*.tms";
constexpr int kMostCopies = 64;

// The claim of this player: its copy and the lock it holds open while it runs. Process-wide,
// as the player is; it ends with the module.
struct CClaim {
    HANDLE lock = INVALID_HANDLE_VALUE;
    std::string copy;
    std::set<std::string> offered;
    ~CClaim() { Release(); }
    void Release()
    {
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);
        lock = INVALID_HANDLE_VALUE;
        copy.clear();
    }
};

CClaim& Claim()
{
    static CClaim claim;
    return claim;
}

std::string LockOf(const std::string& copy)
{
    return copy.substr(0, copy.size() - 4) + ".lock";
}

// The lock file opened so that nobody else can open it, and deleted when it is closed (by
// the system too, when the process dies).
HANDLE OpenLock(const std::string& lock, DWORD disposition)
{
    return CreateFileA(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// A running player holds this copy's lock.
bool IsHeld(const std::string& copy)
{
    const HANDLE lock = OpenLock(LockOf(copy), OPEN_EXISTING);
    if (lock != INVALID_HANDLE_VALUE) {
        // Nobody held it: a lock left by a player whose files outlived it goes now.
        CloseHandle(lock);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::string LocalTime(unsigned long long fileTime)
{
    FILETIME utc = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    FILETIME local;
    SYSTEMTIME at;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &at))
        return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute);
    return text;
}

} // namespace

CRecoveryCopy::CRecoveryCopy(const SettingsFiles& files)
{
    const std::string& settings = files.user.empty() ? files.module : files.user;
    m_folder = DirectoryOfPath(settings);
}

std::string CRecoveryCopy::OwnPath()
{
    return Claim().copy;
}

bool CRecoveryCopy::Write(const std::string& text)
{
    CClaim& claim = Claim();
    if (claim.copy.empty()) {
        if (m_folder.empty())
            return false;
        MakeFolderOf(m_folder + "\\recovery-1.tms");
        // The first number whose copy is not there (a copy left behind waits to be offered)
        // and whose lock nobody holds.
        for (int n = 1; n <= kMostCopies && claim.copy.empty(); ++n) {
            const std::string copy = m_folder + "\\recovery-" + std::to_string(n) + ".tms";
            if (Quorvel::Base::File::IsExistingFile(copy))
                continue;
            const HANDLE lock = OpenLock(LockOf(copy), OPEN_ALWAYS);
            if (lock == INVALID_HANDLE_VALUE)
                continue;
            claim.lock = lock;
            claim.copy = copy;
        }
        if (claim.copy.empty())
            return false;
    }
    return Quorvel::Base::File::ReplaceFileContents(claim.copy.c_str(), text.data(), text.size());
}

void CRecoveryCopy::Remove()
{
    const std::string& copy = Claim().copy;
    if (!copy.empty())
        DeleteFileA(copy.c_str());
}

std::vector<CRecoveryCopy::Left> CRecoveryCopy::LeftBehind() const
{
    std::vector<std::pair<unsigned long long, Left>> found;
    WIN32_FIND_DATAA data;
    const HANDLE search = m_folder.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA((m_folder + kCopyPattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    const CClaim& claim = Claim();
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        Left left;
        left.path = m_folder + "\\" + data.cFileName;
        if (left.path == claim.copy || claim.offered.count(left.path) != 0 || IsHeld(left.path))
            continue;
        // One that cannot be read now (another program holds it) is offered all the same: the
        // user learns where it is when its restore fails.
        CTimeSheetFileContent content;
        const SheetRead read = ReadTimeSheetFile(left.path.c_str(), content);
        left.readable = read == SheetRead::kRead;
        if (left.readable ? !SheetOf(content.header[1], left.sheet, left.stamp) : read != SheetRead::kUnreadable)
            continue;
        FileStamp now;
        StampOfFile(left.sheet, now);
        left.sheetChanged = !left.sheet.empty() && left.stamp != FileStamp() && now != left.stamp;
        const unsigned long long written =
            (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        left.written = LocalTime(written);
        found.emplace_back(written, left);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Left> lefts;
    for (auto& item : found)
        lefts.push_back(std::move(item.second));
    return lefts;
}

void CRecoveryCopy::MarkOffered(const std::string& path)
{
    Claim().offered.insert(path);
}

void CRecoveryCopy::Discard(const std::string& path)
{
    if (path != Claim().copy && !IsHeld(path))
        DeleteFileA(path.c_str());
}

std::string CRecoveryCopy::QuestionFor(const Left& left)
{
    std::string text = kQuestion;
    text += "\r\n\r\nタイムシート: ";
    text += !left.readable        ? std::string("（記録を読み取れません）")
            : left.sheet.empty() ? std::string("（保存されていない新しいタイムシート）")
                                 : left.sheet;
    if (!left.written.empty())
        text += "\r\n記録した日時: " + left.written;
    if (left.sheetChanged)
        text += "\r\n\r\nこのタイムシートのファイルは、編集内容を記録した後で変更されています。";
    return text;
}

void CRecoveryCopy::EndOfPlayer()
{
    Claim().Release();
    Claim().offered.clear();
}

std::string CRecoveryCopy::SecondLineFor(const std::string& sheetPath, const FileStamp& stamp)
{
    return kSheetPrefix + std::to_string(stamp.size) + ":" + std::to_string(stamp.time) + ":" + sheetPath;
}

bool CRecoveryCopy::SheetOf(const std::string& headerLine, std::string& sheetPath, FileStamp& stamp)
{
    stamp = FileStamp();
    if (headerLine.compare(0, sizeof kSheetPrefix - 1, kSheetPrefix) != 0)
        return false;
    sheetPath = headerLine.substr(sizeof kSheetPrefix - 1);
    // size:time:path; a line without the two numbers is a path alone.
    const size_t first = sheetPath.find(':');
    const size_t second = first == std::string::npos ? std::string::npos : sheetPath.find(':', first + 1);
    if (second == std::string::npos || first == 0 || second == first + 1 ||
        sheetPath.find_first_not_of("0123456789") != first ||
        sheetPath.find_first_not_of("0123456789", first + 1) != second)
        return true;
    stamp.size = std::strtoull(sheetPath.substr(0, first).c_str(), nullptr, 10);
    stamp.time = std::strtoull(sheetPath.substr(first + 1, second - first - 1).c_str(), nullptr, 10);
    sheetPath = sheetPath.substr(second + 1);
    return true;
}
