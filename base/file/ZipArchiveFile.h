#pragma once
#include <string>
#include <vector>

#include "base/file/CompressFileBase.h"

namespace Quorvel { namespace Base { namespace File {

// A member of a directory pack: a folder F can be shipped as F.pak beside it. For a full
// path the nearest such pack upward is used, and the member is the rest of the path below
// it (data\img\a.bmp: img.pak holds "a.bmp", or else data.pak holds "img\a.bmp").
class CZipArchiveFile : public CCompressFileBase {
public:
    int LoadMember(const char* path) override;

    // The pack standing in for a full path and the member name within it; false when no
    // folder up to the root has a pack beside it.
    static bool FindPack(const std::string& fullPath, std::string& packPath, std::string& member);
    // The folders whose packs may stand in for a full path, nearest first. The search
    // stops below the drive or share root: "C:.pak" names a file relative to the drive's
    // current folder, and "\\srv.pak" a machine on the network.
    static std::vector<std::string> PackFolders(const std::string& fullPath);

    // A stored name, terminating zero included, fits this buffer or the lookup fails.
    static constexpr uint32_t kNameBuffer = 268;

private:
    int LoadFrom(const std::string& packPath, const std::string& member);
};

}}} // namespace Quorvel::Base::File
