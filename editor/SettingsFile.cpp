#include "editor/SettingsFile.h"

#include <shlobj.h>

#include "base/file/FileHead.h"
#include "base/file/FilePath.h"
#include "base/file/ReplaceFile.h"
#include "editor/ModulePath.h"

namespace {

constexpr char kKey[] = "lastfile_path";
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
    if (files.user.empty())
        return WriteLastSheetPath(files.module, path);
    const std::string folder = DirectoryOfPath(files.user);
    if (!folder.empty())
        CreateDirectoryA(folder.c_str(), nullptr);
    return WriteLastSheetPath(files.user, path);
}

bool ReadLastSheetPath(const std::string& file, std::string& path)
{
    std::string text;
    bool whole = false;
    if (file.empty() || !Quorvel::Base::File::ReadFileHead(file.c_str(), kMostBytes, text, whole))
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
    const std::string text = std::string(kKey) + "\t" + path;
    return !file.empty() && Quorvel::Base::File::ReplaceFileContents(file.c_str(), text.data(), text.size());
}
