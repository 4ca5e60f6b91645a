#pragma once

#include "text/CFont.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace Orvane
{

// Glyphs cut out of pre-rendered page images that a ".bin" table of 9-byte records describes.
class CBitmapFont : public CFont
{
public:
    explicit CBitmapFont(uint32_t autoRelease) : CFont(autoRelease) {}
    ~CBitmapFont() override;

    // Reads dir + name + ".bin" and the pages dir + name + page + ".png" through the engine's file
    // system; an empty dir means "media/font/". 0 on success, -1 on failure.
    int load(const std::string& name, const std::string& dir);

    int unload() override;
    // A code the table lacks, and every italic request, gives a blank glyph of the largest size.
    FontGlyph getGlyph(uint32_t code, int italic) override;
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {maxWidth, maxHeight}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    std::vector<TextureRef> pages;
    std::unordered_map<uint32_t, FontGlyph> glyphs;
    int32_t maxWidth = 0;
    int32_t maxHeight = 0;

private:
    int loadPages(const std::string& prefix, int highestPage);
    void buildGlyphs(const uint8_t* records, size_t count);
};

} // namespace Orvane
