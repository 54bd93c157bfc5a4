#pragma once
// The skin tables of tools/skins (compiled in from the CSV files the generator reads) and a
// reader for the headers and pixels of the bitmaps it writes into the obj folder.
#include <cstdint>
#include <string>
#include <vector>

namespace SkinTable {

struct Image {
    std::string file;
    int cellWidth = 0, cellHeight = 0;
    int columns = 0, rows = 0;
    bool keyed = false;
    bool alp = false;
};

struct Placement {
    std::string name, skin, mode;
    int x = 0, y = 0, width = 0, height = 0;
    int columns = 0, column = 0, count = 0, stepX = 0;
};

// Both lists are empty when a row is malformed; the failure names the row.
std::vector<Image> Images(std::string* error);
std::vector<Placement> Placements(std::string* error);

// A 24-bit bottom-up or top-down Windows bitmap read whole; false with a reason otherwise.
struct Bitmap {
    int width = 0, height = 0, bitCount = 0;
    std::vector<uint8_t> pixels;  // rows of width * 3 bytes, B G R, top row first
};
bool ReadBitmap(const std::string& path, Bitmap* out, std::string* error);

// The obj folder beside the DLL: found by walking up from the test program's own folder.
std::string ObjDirectory();

} // namespace SkinTable
