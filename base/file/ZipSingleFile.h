#pragma once
#include "base/file/CompressFileBase.h"

namespace Quorvel { namespace Base { namespace File {

// A member of a single-file pack: the file D\N.E stands in D\N<E>.pak, where <E> is each
// byte of the extension written as a signed decimal number (info.txt: info116120116.pak).
class CZipSingleFile : public CCompressFileBase {
public:
    int LoadMember(const char* path) override;

    // Whether the last LoadMember found a pack that names the file, decodable or not: such
    // a pack decides alone, and no directory pack is consulted.
    bool NamesFile() const { return m_namesFile; }
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
    int ReadHeader(CFileWin32& pack, const std::string& fullPath, Header& header);

    bool m_namesFile = false;
};

}}} // namespace Quorvel::Base::File
