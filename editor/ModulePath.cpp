#include "editor/ModulePath.h"

namespace {

std::string g_override;

} // namespace

void SetModuleDirectoryOverride(const std::string& folder)
{
    g_override = folder;
}

std::string ModuleDirectory(HINSTANCE module)
{
    if (!g_override.empty())
        return g_override;
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return std::string();
    return ResourceDirectoryOf(DirectoryOfPath(std::string(path, length)), sizeof(void*) == 8);
}

std::string ResourceDirectoryOf(const std::string& moduleFolder, bool sixtyFourBit)
{
    // Only the 64-bit module looks up: a 32-bit DLL a user put into a folder of that name by
    // hand keeps its resources beside it, as every earlier version did.
    if (!sixtyFourBit)
        return moduleFolder;
    const std::string parent = DirectoryOfPath(moduleFolder);
    const std::string name = moduleFolder.substr(parent.size() + (parent.empty() ? 0 : 1));
    if (parent.empty() || lstrcmpiA(name.c_str(), kSixtyFourBitFolder) != 0)
        return moduleFolder;
    return parent;
}

void MakeFolderOf(const std::string& path)
{
    const std::string folder = DirectoryOfPath(path);
    if (!folder.empty())
        CreateDirectoryA(folder.c_str(), nullptr);
}

std::string DirectoryOfPath(const std::string& path)
{
    // Walk from the front: the second byte of a two-byte character may be 0x5C, which a
    // search from the end would take for a separator.
    size_t lastSeparator = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/')
            lastSeparator = i;
    }
    if (lastSeparator == std::string::npos)
        return std::string();
    return path.substr(0, lastSeparator);
}
