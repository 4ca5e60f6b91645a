#pragma once

#include "font/CFontRegistry.h"

#include <kavro/IGlyphRasterizer.h>
#include <kavro/RefCounted.h>

#include <string>
#include <utility>
#include <vector>

namespace Kavro
{

class CGlyphRasterizer;

struct FaceStyle
{
    int size = 0; // em in pixels
    int weight = 400;
    bool italic = false;
    bool vertical = false;
    std::string language; // fallback hint; empty for none
};

// Coverage of one glyph, one byte per pixel, rows top down.
struct Coverage
{
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> values; // 0 to 64 (grey) or 0 and 1 (mono)
};

// A face at one size with synthetic bold and slant where the face has none, and fallback faces for the
// characters it lacks.
class CFontFace : public RefCounted<IFontFace>
{
public:
    // Takes over face (may be null: every glyph then fails).
    CFontFace(CGlyphRasterizer* owner, FT_Face face, FaceStyle style);
    ~CFontFace() override;

    FontTextMetrics getTextMetrics() override { return metrics_; }
    int getGlyphBitmap(uint32_t code, int format, GlyphMetrics& metrics, uint32_t bufferSize, void* buffer) override;

private:
    void measure();
    // The face that has the character: this one, else an installed one found for it.
    FT_Face faceFor(uint32_t code);
    bool renderGlyph(FT_Face face, FT_UInt glyph, bool mono, Coverage& out, GlyphMetrics& metrics);
    bool renderTurned(FT_Face face, uint32_t code, bool mono, Coverage& out, GlyphMetrics& metrics);

    CGlyphRasterizer* owner_;
    FT_Face face_;
    FaceStyle style_;
    bool emboldens_ = false;
    bool slants_ = false;
    FontTextMetrics metrics_;
    std::vector<std::pair<std::string, FT_Face>> fallbacks_; // by file and index
};

} // namespace Kavro
