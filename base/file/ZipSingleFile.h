#pragma once
#include "base/file/CompressFileBase.h"

namespace Quorvel { namespace Base { namespace File {

// A member of a single-file pack: the file D\N.E stands in D\N<E>.pak, where <E> is each
// byte of the extension written as a signed decimal number (info.txt: info116120116.pak).
class CZipSingleFile : public CCompressFileBase {
public:
    int LoadMember(const char* path) override;

    // True when the single-file pack for a full path exists and names that file.
    static bool Names(const std::string& fullPath);
    // The pack path for a full path, and the file name the pack must hold.
    static bool PackPathFor(const std::string& fullPath, std::string& packPath,
                            std::string& fileName);

    // The stored name, terminating zero included, fits this buffer or the lookup fails.
    static constexpr uint32_t kNameBuffer = 264;

private:
    struct Header {
        std::string name;
        uint32_t offset = 0;
        uint32_t size = 0;
    };
    // kMemberFound with the header read, or what the lookup ends with.
    static int ReadHeader(CFileWin32& pack, const std::string& fullPath, Header& header);
};

}}} // namespace Quorvel::Base::File
