#include "editor/SettingsFile.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "base/file/FileHead.h"
#include "base/file/FilePath.h"
#include "base/file/ReplaceFile.h"
#include "device/TervaneManager.h"
#include "editor/ModulePath.h"

namespace {

constexpr char kKey[] = "lastfile_path";
constexpr char kLeadKey[] = "lead_time";
constexpr char kMostLevelKey[] = "max_level";
constexpr char kPreciseKey[] = "precise_timing";
constexpr int kNoLimit = 10;
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

// What the lines after the first hold.
struct Values {
    int leadMs = 0;
    int mostLevel = kNoLimit;
    bool precise = false;
};

Values ReadValues(const std::string& file)
{
    Values values;
    std::string text;
    if (ReadText(file, text)) {
        ParseLeadTime(text, values.leadMs);
        ParseMostLevel(text, values.mostLevel);
        ParsePreciseTiming(text, values.precise);
    }
    return values;
}

bool WriteSettings(const std::string& file, const std::string& path, const Values& values)
{
    std::string text = std::string(kKey) + "\t" + path;
    if (values.leadMs != 0)
        text += "\r\n" + std::string(kLeadKey) + "\t" + std::to_string(values.leadMs);
    if (values.mostLevel != kNoLimit)
        text += "\r\n" + std::string(kMostLevelKey) + "\t" + std::to_string(values.mostLevel);
    if (values.precise)
        text += "\r\n" + std::string(kPreciseKey) + "\t1";
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

// The file the values are read from: the user's, or the module's while the user has none.
const std::string& ReadableFile(const SettingsFiles& files)
{
    return Quorvel::Base::File::IsExistingFile(files.user) ? files.user : files.module;
}

// Rewrites the file the user's settings go to with one value changed, the others kept.
template <typename Change>
bool ChangeValues(const SettingsFiles& files, Change change)
{
    std::string path;
    // The path as the user's file has it, or as the editor would read it now.
    if (!ReadLastSheetPath(files, path))
        path.clear();
    Values values = ReadValues(ReadableFile(files));
    change(values);
    return WriteSettings(WritableFile(files), path, values);
}

// A line after the first that is key, a TAB and a whole number of at most six digits, kept
// within [lowest, highest].
bool ParseValue(const std::string& text, const char* key, long lowest, long highest, int& value)
{
    const size_t keyLength = std::strlen(key);
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', end + 1)) {
        const size_t start = end + 1;
        if (text.compare(start, keyLength, key) != 0 || text.size() <= start + keyLength + 1 ||
            text[start + keyLength] != '\t')
            continue;
        size_t at = start + keyLength + 1;
        const bool negative = text[at] == '-';
        at += negative || text[at] == '+' ? 1 : 0;
        long number = 0;
        size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6; ++at, ++digits)
            number = number * 10 + (text[at] - '0');
        if (digits == 0 || (at < text.size() && text[at] != '\r' && text[at] != '\n'))
            return false;
        value = static_cast<int>(std::clamp(negative ? -number : number, lowest, highest));
        return true;
    }
    return false;
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
    return ReadValues(ReadableFile(files)).leadMs;
}

bool WriteLeadTime(const SettingsFiles& files, int milliseconds)
{
    return ChangeValues(files, [milliseconds](Values& values) { values.leadMs = milliseconds; });
}

int ReadMostLevel(const SettingsFiles& files)
{
    return ReadValues(ReadableFile(files)).mostLevel;
}

bool WriteMostLevel(const SettingsFiles& files, int level)
{
    return ChangeValues(files, [level](Values& values) { values.mostLevel = level < 1 ? 1 : level > 10 ? 10 : level; });
}

bool ReadPreciseTiming(const SettingsFiles& files)
{
    return ReadValues(ReadableFile(files)).precise;
}

bool WritePreciseTiming(const SettingsFiles& files, bool on)
{
    return ChangeValues(files, [on](Values& values) { values.precise = on; });
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
    return WriteSettings(file, path, ReadValues(file));
}

bool ParseLeadTime(const std::string& text, int& milliseconds)
{
    const long most = CTervaneManager::kMostLeadMs;
    return ParseValue(text, kLeadKey, -most, most, milliseconds);
}

bool ParseMostLevel(const std::string& text, int& level)
{
    return ParseValue(text, kMostLevelKey, 1, kNoLimit, level);
}

bool ParsePreciseTiming(const std::string& text, bool& on)
{
    int value = 0;
    if (!ParseValue(text, kPreciseKey, 0, 1, value))
        return false;
    on = value == 1;
    return true;
}
