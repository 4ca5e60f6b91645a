#pragma once

#include "IInterface.h"

#include <cstddef>
#include <cstdint>

namespace Kavro
{

// Metrics of a sized face, in pixels.
struct FontTextMetrics
{
    int32_t height = 0; // ascent + descent
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t maxCharWidth = 0;
};

// Placement of one glyph bitmap, in pixels. The origin is the bitmap's top-left corner relative to the
// pen on the baseline, y up.
struct GlyphMetrics
{
    uint32_t blackBoxX = 0;
    uint32_t blackBoxY = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int16_t cellIncX = 0;
    int16_t cellIncY = 0;
};

// Bitmap layouts of IFontFace::getGlyphBitmap.
enum GlyphFormat : int
{
    GlyphMono = 1, // 1 bit per pixel, most significant bit first, rows padded to 32 bits
    GlyphGray65 = 6, // one byte per pixel, levels 0 to 64, rows padded to 4 bytes
};

// A face at one size, weight and slant.
class IFontFace : public IInterface
{
public:
    virtual FontTextMetrics getTextMetrics() = 0;
    // Fills metrics for the UTF-16 code unit and, when buffer is not null, copies up to bufferSize bytes of
    // its bitmap. Answers the size in bytes of the whole bitmap, -1 when the glyph cannot be had.
    virtual int getGlyphBitmap(uint32_t code, int format, GlyphMetrics& metrics, uint32_t bufferSize,
                               void* buffer) = 0;
};

// Finds faces by family name and draws their glyphs.
class IGlyphRasterizer : public IInterface
{
public:
    // size: em height in pixels. weight: 100 to 900 (0: normal). charset: character-set value used as a
    // language hint when the family lacks a character. faceName: family name in UTF-8; a leading "@" asks
    // for the vertical form, whose full-width glyphs come turned a quarter anticlockwise. Never null: a
    // missing family falls back to a default face.
    virtual IFontFace* createFace(int size, int weight, int italic, int charset, const char* faceName) = 0;
    // Registers a font file's bytes as faces of this process (kept for the run); faces registered this way
    // win over installed faces of the same family. Number of faces, negative when none could be read.
    virtual int addFontMemory(const uint8_t* data, size_t size) = 0;
};

// The process-wide rasteriser, with a reference for the caller.
IGlyphRasterizer* GetGlyphRasterizer();

} // namespace Kavro
