#include "editor/SettingsFile.h"

#include <shlobj.h>

#include <algorithm>

#include "base/file/FileHead.h"
#include "base/file/FilePath.h"
#include "base/file/ReplaceFile.h"
#include "device/TervaneManager.h"
#include "editor/ModulePath.h"

namespace {

constexpr char kKey[] = "lastfile_path";
constexpr char kLeadKey[] = "lead_time";
constexpr char kUserFolder[] = "\\TervanePlugin";
// A path is at most MAX_PATH bytes; the rest of a longer file is of no interest.
constexpr size_t kMostBytes = 4096;

std::string g_folder;

std::string UserSettingsFile()
{
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || folder[0] == '\0')
        return std::string();
    return std::string(folder) + kUserFolder + "\\info.txt";
}

bool ReadText(const std::string& file, std::string& text)
{
    bool whole = false;
    return !file.empty() && Quorvel::Base::File::ReadFileHead(file.c_str(), kMostBytes, text, whole);
}

int ReadLeadTime(const std::string& file)
{
    std::string text;
    int milliseconds = 0;
    return ReadText(file, text) && ParseLeadTime(text, milliseconds) ? milliseconds : 0;
}

bool WriteSettings(const std::string& file, const std::string& path, int leadMs)
{
    std::string text = std::string(kKey) + "\t" + path;
    if (leadMs != 0)
        text += "\r\n" + std::string(kLeadKey) + "\t" + std::to_string(leadMs);
    return !file.empty() && Quorvel::Base::File::ReplaceFileContents(file.c_str(), text.data(), text.size());
}

// The file the user's settings are written to, its folder made when needed.
std::string WritableFile(const SettingsFiles& files)
{
    if (files.user.empty())
        return files.module;
    MakeFolderOf(files.user);
    return files.user;
}

} // namespace

SettingsFiles SettingsFilesOf(HINSTANCE module)
{
    SettingsFiles files;
    if (!g_folder.empty()) {
        files.user = g_folder + "\\info.txt";
        return files;
    }
    files.user = UserSettingsFile();
    const std::string directory = ModuleDirectory(module);
    if (!directory.empty())
        files.module = directory + kSettingsFileName;
    return files;
}

void SetSettingsFolder(const std::string& folder)
{
    g_folder = folder;
}

bool ReadLastSheetPath(const SettingsFiles& files, std::string& path)
{
    if (Quorvel::Base::File::IsExistingFile(files.user))
        return ReadLastSheetPath(files.user, path);
    return ReadLastSheetPath(files.module, path);
}

bool WriteLastSheetPath(const SettingsFiles& files, const std::string& path)
{
    return WriteLastSheetPath(WritableFile(files), path);
}

int ReadLeadTime(const SettingsFiles& files)
{
    return ReadLeadTime(Quorvel::Base::File::IsExistingFile(files.user) ? files.user : files.module);
}

bool WriteLeadTime(const SettingsFiles& files, int milliseconds)
{
    std::string path;
    // The path as the user's file has it, or as the editor would read it now.
    if (!ReadLastSheetPath(files, path))
        path.clear();
    return WriteSettings(WritableFile(files), path, milliseconds);
}

bool ReadLastSheetPath(const std::string& file, std::string& path)
{
    std::string text;
    if (!ReadText(file, text))
        return false;
    // A TAB, a carriage return and a line feed are never the second byte of a Shift-JIS
    // character, so a byte search is safe here.
    const size_t tab = text.find('\t');
    if (tab == std::string::npos || text.compare(0, tab, kKey) != 0 || tab != sizeof kKey - 1)
        return false;
    const size_t end = text.find_first_of("\r\n", tab + 1);
    path = text.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1);
    return true;
}

bool WriteLastSheetPath(const std::string& file, const std::string& path)
{
    return WriteSettings(file, path, ReadLeadTime(file));
}

bool ParseLeadTime(const std::string& text, int& milliseconds)
{
    const size_t end = text.find('\n');
    if (end == std::string::npos)
        return false;
    const size_t start = end + 1;
    if (text.compare(start, sizeof kLeadKey - 1, kLeadKey) != 0 || text.size() <= start + sizeof kLeadKey ||
        text[start + sizeof kLeadKey - 1] != '\t')
        return false;
    size_t at = start + sizeof kLeadKey;
    const bool negative = text[at] == '-';
    at += negative || text[at] == '+' ? 1 : 0;
    long value = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6; ++at, ++digits)
        value = value * 10 + (text[at] - '0');
    if (digits == 0 || (at < text.size() && text[at] != '\r' && text[at] != '\n'))
        return false;
    const long most = CTervaneManager::kMostLeadMs;
    milliseconds = static_cast<int>(std::clamp(negative ? -value : value, -most, most));
    return true;
}
