#include "support/BitmapFontWriter.h"

#include <kavro/ImageCodec.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace OrvaneTest
{

namespace
{

constexpr int PageSize = 64;

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

std::vector<uint8_t> BitmapFontTable(const std::vector<BitmapGlyphRecord>& records)
{
    std::vector<uint8_t> out;
    for (const BitmapGlyphRecord& r : records)
    {
        const uint8_t bytes[9] = {uint8_t(r.code), uint8_t(r.code >> 8), r.width, r.height, uint8_t(r.x),
                                  uint8_t(r.x >> 8), uint8_t(r.y), uint8_t(r.y >> 8), r.page};
        out.insert(out.end(), bytes, bytes + 9);
    }
    return out;
}

uint32_t BitmapFontPixel(int x, int y, int page)
{
    return 0xFF000000u | uint32_t(page * 60) << 16 | uint32_t(x * 4) << 8 | uint32_t(y * 4);
}

std::vector<uint8_t> PngBytes(int width, int height, uint32_t (*colourAt)(int, int, int), int page)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] = colourAt(x, y, page);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orvane-page-" + std::to_string(getpid()) + ".png");
    std::vector<uint8_t> bytes;
    if (Kavro::WritePng(path.string(), width, height, pixels.data()))
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::remove(path);
    return bytes;
}

void WriteBitmapFont(const std::filesystem::path& dir, const std::string& name,
                     const std::vector<BitmapGlyphRecord>& records, const std::vector<int>& pages)
{
    std::filesystem::create_directories(dir);
    writeFile(dir / (name + ".bin"), BitmapFontTable(records));
    for (const int page : pages)
        writeFile(dir / (name + std::to_string(page) + ".png"), PngBytes(PageSize, PageSize, BitmapFontPixel, page));
}

} // namespace OrvaneTest
