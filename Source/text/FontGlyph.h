#pragma once

#include "text/InterfaceRef.h"

#include <kavro/ITexture.h>

#include <cstdint>

namespace Orvane
{

using TextureRef = InterfaceRef<Kavro::ITexture>;

// Glyph key bit asking for the italic form; the low 16 bits hold the UTF-16 code unit.
constexpr uint32_t ItalicGlyphBit = 0x80000000u;

// One glyph as a font hands it out. Every copy holds its own reference on the texture, so a glyph
// kept by a text stays drawable after its font let go of the texture.
struct FontGlyph
{
    TextureRef texture; // empty for a glyph the font does not have
    int32_t x = 0; // rectangle in the texture, pixels
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bearingBefore = 0; // added to the pen before the glyph is placed
    int32_t bearingAfter = 0; // added to the pen after the glyph's width
};

} // namespace Orvane
