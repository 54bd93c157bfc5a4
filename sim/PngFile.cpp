#include "sim/PngFile.h"

#include <cstdint>
#include <vector>

#include <zlib.h>

#include "base/file/ReplaceFile.h"

namespace {

void Put32(std::string& out, uint32_t value)
{
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void Chunk(std::string& out, const char* type, const std::string& data)
{
    Put32(out, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    Put32(out, static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(body.data()),
                                           static_cast<uInt>(body.size()))));
}

} // namespace

bool WritePng(const std::string& path, const CDibCanvas& canvas)
{
    if (!canvas.Valid())
        return false;
    const int width = canvas.Width();
    const int height = canvas.Height();
    // Each row: filter type 0, then red, green and blue.
    std::vector<Bytef> raw;
    raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = canvas.Pixel(x, y);
            raw.push_back(GetRValue(pixel));
            raw.push_back(GetGValue(pixel));
            raw.push_back(GetBValue(pixel));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<Bytef> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;

    std::string header;
    Put32(header, static_cast<uint32_t>(width));
    Put32(header, static_cast<uint32_t>(height));
    header += '\x08'; // bits per channel
    header += '\x02'; // colour type: RGB
    header += std::string(3, '\0');
    std::string file("\x89PNG\r\n\x1a\n", 8);
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", std::string(reinterpret_cast<const char*>(packed.data()), packedSize));
    Chunk(file, "IEND", std::string());
    return Quorvel::Base::File::ReplaceFileContents(path.c_str(), file.data(), file.size());
}
