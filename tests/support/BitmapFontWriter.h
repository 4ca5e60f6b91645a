#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace OrvaneTest
{

// One record of a bitmap font's ".bin" glyph table.
struct BitmapGlyphRecord
{
    uint16_t code = 0;
    uint8_t width = 0;
    uint8_t height = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint8_t page = 0;
};

// The table bytes: 9 bytes per record, little-endian, nothing else.
std::vector<uint8_t> BitmapFontTable(const std::vector<BitmapGlyphRecord>& records);
// A PNG file's bytes: a page of width x height pixels, each 0xAARRGGBB from colourAt(x, y).
std::vector<uint8_t> PngBytes(int width, int height, uint32_t (*colourAt)(int x, int y, int page), int page);
// Writes name + ".bin" and the pages name + number + ".png" for the given page numbers into dir.
void WriteBitmapFont(const std::filesystem::path& dir, const std::string& name,
                     const std::vector<BitmapGlyphRecord>& records, const std::vector<int>& pages);
// The colour WriteBitmapFont gives a page's pixel.
uint32_t BitmapFontPixel(int x, int y, int page);

} // namespace OrvaneTest
