#pragma once

#include "text/CFont.h"

#include <kavro/IGlyphRasterizer.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace Orvane
{

// Glyphs of an installed face (or one of the game's font files) drawn on demand into a cache of
// textures, one row of cells per texture.
class CSystemFont : public CFont
{
public:
    // A glyph drawn by getGlyph and waiting for renderGlyph to copy it into its cell.
    struct PendingGlyph
    {
        uint32_t code = 0;
        Kavro::GlyphMetrics glyphMetrics;
        std::vector<uint8_t> bitmap;
        FontGlyph glyph;
        int32_t originX = 0;
        int32_t top = 0; // row of the cell that takes the bitmap's first row
        int32_t pitch = 0; // black box width rounded up to 4
        int32_t rows = 0;
        uint32_t italic = 0;
    };

    explicit CSystemFont(uint32_t autoRelease) : CFont(autoRelease) {}
    ~CSystemFont() override;

    // size in pixels; weight 100 to 900; charsetIndex 0 to 12 as the character-set table; vertical
    // writing uses the face's vertical form. Always 0.
    int create(int32_t size, int32_t weight, int32_t charsetIndex, int32_t vertical, int32_t monochrome,
               const std::string& faceName);

    int unload() override;
    FontGlyph getGlyph(uint32_t code, int italic) override { return fetchGlyph(code, italic); }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {cellWidth, cellHeight}; }
    void renderGlyph() override;
    void clearGlyphCache() override;

    // Character-set value of an index of create.
    static int charsetOf(int32_t charsetIndex);
    // Registers one of the game's font files, read through the engine's file system; its faces win over
    // installed faces of the same family. 0 on success, -1 on failure.
    static int loadFontFile(const std::string& path);
    // Rasteriser used by fonts created from now on (null: the library's). Tests install a fake.
    static void setRasterizer(Kavro::IGlyphRasterizer* rasterizer);

    std::vector<TextureRef> textures;
    std::unordered_map<uint32_t, FontGlyph> glyphs;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    int32_t textureWidth = 1024; // widened when a cell is wider than 1,008 pixels
    std::vector<PendingGlyph> pendingGlyphs;
    InterfaceRef<Kavro::IFontFace> uprightFont;
    InterfaceRef<Kavro::IFontFace> italicFont;
    Kavro::FontTextMetrics metrics;
    uint32_t vertical = 0;
    uint32_t monochrome = 0;

private:
    class TextureWriter;

    const FontGlyph& fetchGlyph(uint32_t code, int italic);
    Kavro::ITexture* cacheTexture(size_t index);
    void rasterise(PendingGlyph& pending, int italic);
    void placeGlyph(PendingGlyph& pending, FontGlyph& glyph, bool wide) const;
    uint8_t coverage(const PendingGlyph& pending, int column, int row) const;
    void copyGlyph(TextureWriter& writer, const PendingGlyph& pending) const;
};

} // namespace Orvane
