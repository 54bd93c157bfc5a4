#include "support/SkinTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "base/Win32.h"

namespace SkinTable {
namespace {

const char kImagesCsv[] =
#include "skins_images.inc"
    ;
const char kPlacementsCsv[] =
#include "skins_placements.inc"
    ;

// Data rows of a CSV text: comments (#) and blank lines dropped, the header row skipped.
std::vector<std::vector<std::string>> Rows(const char* text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ','))
            fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}

bool ToInt(const std::string& s, int* out)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -100000 || v > 100000)
        return false;
    *out = static_cast<int>(v);
    return true;
}

bool Fail(std::string* error, const std::vector<std::string>& row)
{
    std::string joined;
    for (const std::string& f : row)
        joined += f + ",";
    if (error)
        *error = "malformed row: " + joined;
    return false;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

} // namespace

std::vector<Image> Images(std::string* error)
{
    std::vector<Image> images;
    for (const auto& row : Rows(kImagesCsv)) {
        Image img;
        int keyed = 0, alp = 0;
        if (row.size() < 7 || !ToInt(row[1], &img.cellWidth) || !ToInt(row[2], &img.cellHeight) ||
            !ToInt(row[3], &img.columns) || !ToInt(row[4], &img.rows) || !ToInt(row[5], &keyed) ||
            !ToInt(row[6], &alp)) {
            Fail(error, row);
            return {};
        }
        img.file = row[0];
        img.keyed = keyed != 0;
        img.alp = alp != 0;
        images.push_back(img);
    }
    return images;
}

std::vector<Placement> Placements(std::string* error)
{
    std::vector<Placement> placements;
    for (const auto& row : Rows(kPlacementsCsv)) {
        Placement p;
        if (row.size() < 11 || !ToInt(row[3], &p.x) || !ToInt(row[4], &p.y) || !ToInt(row[5], &p.width) ||
            !ToInt(row[6], &p.height) || !ToInt(row[7], &p.columns) || !ToInt(row[8], &p.column) ||
            !ToInt(row[9], &p.count) || !ToInt(row[10], &p.stepX)) {
            Fail(error, row);
            return {};
        }
        p.name = row[0];
        p.skin = row[1];
        p.mode = row[2];
        placements.push_back(p);
    }
    return placements;
}

bool ReadBitmap(const std::string& path, Bitmap* out, std::string* error)
{
    auto fail = [&](const char* why) {
        *error = path + ": " + why;
        return false;
    };
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return fail("cannot be opened");
    std::vector<uint8_t> b;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && b.size() < (64u << 20))
        b.insert(b.end(), chunk, chunk + n);
    std::fclose(f);

    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return fail("not a bitmap file");
    const uint32_t offset = Le32(b, 10);
    const uint32_t headerSize = Le32(b, 14);
    const int32_t width = static_cast<int32_t>(Le32(b, 18));
    const int32_t height = static_cast<int32_t>(Le32(b, 22));
    if (headerSize < 40 || Le16(b, 26) != 1)
        return fail("unknown header");
    out->bitCount = Le16(b, 28);
    if (out->bitCount != 24 || Le32(b, 30) != BI_RGB)
        return fail("not 24-bit uncompressed");
    if (width <= 0 || height == 0 || width > 10000 || height > 10000 || height < -10000)
        return fail("absurd size");
    out->width = width;
    out->height = height < 0 ? -height : height;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    if (offset > b.size() || b.size() - offset < stride * out->height)
        return fail("pixel data cut short");
    out->pixels.resize(static_cast<size_t>(width) * 3 * out->height);
    for (int y = 0; y < out->height; ++y) {
        const size_t src = offset + stride * (height > 0 ? out->height - 1 - y : y);
        std::memcpy(&out->pixels[static_cast<size_t>(y) * width * 3], &b[src], static_cast<size_t>(width) * 3);
    }
    return true;
}

std::string ObjDirectory()
{
    char path[MAX_PATH] = {};
    DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, len < MAX_PATH ? len : 0);
    for (int up = 0; up < 4; ++up) {
        const size_t slash = dir.find_last_of("\\/");
        if (slash == std::string::npos)
            break;
        dir.resize(slash);
        const std::string obj = dir + "\\obj";
        if (GetFileAttributesA((obj + "\\a000_000.bmp").c_str()) != INVALID_FILE_ATTRIBUTES)
            return obj;
    }
    return "obj";
}

} // namespace SkinTable
