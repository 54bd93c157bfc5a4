#include "editor/SettingsFile.h"

#include "base/file/FileHead.h"
#include "base/file/ReplaceFile.h"
#include "editor/ModulePath.h"

namespace {

constexpr char kKey[] = "lastfile_path";
// A path is at most MAX_PATH bytes; the rest of a longer file is of no interest.
constexpr size_t kMostBytes = 4096;

std::string g_folder;

} // namespace

std::string SettingsFilePath(HINSTANCE module)
{
    if (!g_folder.empty())
        return g_folder + "\\info.txt";
    const std::string directory = ModuleDirectory(module);
    return directory.empty() ? std::string() : directory + kSettingsFileName;
}

void SetSettingsFolder(const std::string& folder)
{
    g_folder = folder;
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
