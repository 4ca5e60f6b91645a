// A game's own font file as the engine registers it: every face of the file is registered from memory,
// found by its own family name, measured, and its glyphs drawn in both bitmap formats at a few sizes,
// upright, italic and vertical. A character the face lacks is looked up among the installed faces, as
// in the game; that lookup makes a run slow.
#include "font/CGlyphRasterizer.h"
#include "font/FamilyNames.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    // The last four bytes choose a size and a character; the rest is the font file.
    const uint8_t* choice = data + size - 4;
    size -= 4;
    auto* rasterizer = new Kavro::CGlyphRasterizer;
    std::vector<std::string> names;
    if (rasterizer->addFontMemory(data, size) > 0)
    {
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(rasterizer->library(), data, FT_Long(size), 0, &face) == 0)
        {
            names = Kavro::FamilyNames(face);
            FT_Done_Face(face);
        }
    }
    if (!names.empty())
    {
        // Large sizes are slow to draw: one in 256 inputs asks for a size past the bound.
        const int sizes[] = {12, choice[0] == 255 ? 1 << 20 : int(choice[0] % 64) - 32};
        const uint32_t codes[] = {'A', uint32_t(choice[1]) << 8 | choice[2]};
        for (int fontSize : sizes)
            for (const std::string& name : {names[0], "@" + names[0]})
            {
                Kavro::IFontFace* face = rasterizer->createFace(fontSize, 100 + choice[3] % 9 * 100, choice[3] & 1,
                                                                128, name.c_str());
                if (!face)
                    continue;
                const Kavro::FontTextMetrics metrics = face->getTextMetrics();
                if (metrics.height < 0 || metrics.height > 1 << 16)
                    __builtin_trap();
                for (uint32_t code : codes)
                    for (int format : {1, 6})
                    {
                        Kavro::GlyphMetrics glyph;
                        const int bytes = face->getGlyphBitmap(code, format, glyph, 0, nullptr);
                        if (bytes <= 0)
                            continue;
                        std::vector<uint8_t> bitmap(static_cast<size_t>(bytes));
                        if (face->getGlyphBitmap(code, format, glyph, uint32_t(bitmap.size()), bitmap.data()) != bytes)
                            __builtin_trap();
                    }
                face->release();
            }
    }
    rasterizer->release();
    return 0;
}
