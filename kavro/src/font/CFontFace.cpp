#include "font/CFontFace.h"

#include "font/CGlyphRasterizer.h"

#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace Kavro
{

namespace
{

// A glyph cell of a face at this size already takes about 11 MB of texture; at 4096 it took 180 MB.
constexpr int LargestSize = 1024;
constexpr FT_Fixed SlantShear = 0x366A; // about 0.21: the slope of a synthetic italic

int scaled(long units, int size, int unitsPerEm)
{
    return unitsPerEm > 0 ? int(std::lround(double(units) * size / unitsPerEm)) : 0;
}

int16_t toShort(long value)
{
    return int16_t(std::clamp<long>(value, SHRT_MIN, SHRT_MAX));
}

int pixels(hb_position_t position)
{
    return int(std::lround(position / 64.0));
}

uint8_t levelOf(const FT_Bitmap& bitmap, int x, int y)
{
    const int pitch = std::abs(bitmap.pitch);
    const int row = bitmap.pitch >= 0 ? y : int(bitmap.rows) - 1 - y;
    const uint8_t* line = bitmap.buffer + size_t(row) * size_t(pitch);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        return (line[x / 8] >> (7 - x % 8)) & 1;
    return uint8_t((line[x] * 64 + 127) / 255);
}

Coverage coverageOf(const FT_Bitmap& bitmap)
{
    Coverage out;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return out;
    out.width = int(bitmap.width);
    out.rows = int(bitmap.rows);
    out.values.resize(size_t(out.width) * size_t(out.rows));
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.width; ++x)
            out.values[size_t(y) * size_t(out.width) + size_t(x)] = levelOf(bitmap, x, y);
    return out;
}

// A quarter turn anticlockwise: the top row becomes the left column.
Coverage turnedAnticlockwise(const Coverage& in)
{
    Coverage out;
    out.width = in.rows;
    out.rows = in.width;
    out.values.resize(in.values.size());
    for (int r = 0; r < in.rows; ++r)
        for (int k = 0; k < in.width; ++k)
            out.values[size_t(in.width - 1 - k) * size_t(out.width) + size_t(r)] =
                in.values[size_t(r) * size_t(in.width) + size_t(k)];
    return out;
}

// Grey rows padded to 4 bytes; 1-bit rows, most significant bit first, padded to 32 bits.
std::vector<uint8_t> pack(const Coverage& coverage, bool mono)
{
    const size_t rowBytes = mono ? size_t((coverage.width + 31) / 32) * 4 : size_t((coverage.width + 3) & ~3);
    std::vector<uint8_t> out(rowBytes * size_t(coverage.rows), 0);
    for (int y = 0; y < coverage.rows; ++y)
        for (int x = 0; x < coverage.width; ++x)
        {
            const uint8_t value = coverage.values[size_t(y) * size_t(coverage.width) + size_t(x)];
            if (mono)
                out[size_t(y) * rowBytes + size_t(x / 8)] |= uint8_t(value << (7 - x % 8));
            else
                out[size_t(y) * rowBytes + size_t(x)] = value;
        }
    return out;
}

struct VerticalForm
{
    FT_UInt glyph = 0;
    int advance = 0; // down the column, pixels
    int originX = 0; // the vertical origin from the horizontal one, pixels, y up
    int originY = 0;
};

// The glyph top-to-bottom text takes for the character: its vertical alternate where the face has one.
VerticalForm shapeVertical(FT_Face face, uint32_t code, const std::string& language)
{
    VerticalForm form;
    hb_font_t* font = hb_ft_font_create_referenced(face);
    hb_ft_font_set_load_flags(font, FT_LOAD_NO_BITMAP);
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf32(buffer, &code, 1, 0, 1);
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    if (!language.empty())
        hb_buffer_set_language(buffer, hb_language_from_string(language.c_str(), -1));
    hb_buffer_guess_segment_properties(buffer);
    const hb_feature_t features[] = {{HB_TAG('v', 'e', 'r', 't'), 1, 0, UINT_MAX},
                                     {HB_TAG('v', 'r', 't', '2'), 1, 0, UINT_MAX}};
    hb_shape(font, buffer, features, 2);
    unsigned int count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* position = hb_buffer_get_glyph_positions(buffer, &count);
    if (count > 0)
    {
        form.glyph = info[0].codepoint;
        form.advance = -pixels(position[0].y_advance);
        hb_position_t x = 0, y = 0;
        hb_font_get_glyph_v_origin(font, form.glyph, &x, &y);
        form.originX = pixels(x);
        form.originY = pixels(y);
    }
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    return form;
}

} // namespace

CFontFace::CFontFace(CGlyphRasterizer* owner, FT_Face face, FaceStyle style)
    : owner_(owner), face_(face), style_(std::move(style))
{
    owner_->addRef();
    // Widened first: the negative of the smallest int does not fit in an int.
    style_.size = int(std::clamp<int64_t>(std::abs(int64_t(style_.size)), 1, LargestSize));
    if (!face_)
        return;
    FT_Set_Pixel_Sizes(face_, 0, FT_UInt(style_.size));
    emboldens_ = style_.weight >= 600 && FaceWeight(face_) + 150 < style_.weight;
    slants_ = style_.italic && !(face_->style_flags & FT_STYLE_FLAG_ITALIC);
    measure();
}

CFontFace::~CFontFace()
{
    for (auto& [key, face] : fallbacks_)
        FT_Done_Face(face);
    if (face_)
        FT_Done_Face(face_);
    owner_->release();
}

void CFontFace::measure()
{
    const int size = style_.size;
    const int unitsPerEm = face_->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF)
    {
        metrics_.ascent = scaled(os2->usWinAscent, size, unitsPerEm);
        metrics_.descent = scaled(os2->usWinDescent, size, unitsPerEm);
    }
    else
    {
        metrics_.ascent = scaled(face_->ascender, size, unitsPerEm);
        metrics_.descent = scaled(-face_->descender, size, unitsPerEm);
    }
    metrics_.height = metrics_.ascent + metrics_.descent;
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
    metrics_.maxCharWidth = scaled(hhea ? long(hhea->advance_Width_Max) : long(face_->max_advance_width), size, unitsPerEm);
}

FT_Face CFontFace::faceFor(uint32_t code)
{
    if (!face_ || FT_Get_Char_Index(face_, code) != 0)
        return face_;
    FaceSource source;
    const char* language = style_.language.empty() ? nullptr : style_.language.c_str();
    if (!owner_->findFallback(code, style_.weight, style_.italic, language, source))
        return face_;
    const std::string key = source.path + '#' + std::to_string(source.index);
    for (const auto& [known, face] : fallbacks_)
        if (known == key)
            return FT_Get_Char_Index(face, code) != 0 ? face : face_;
    FT_Face fallback = source.open(owner_->library());
    if (!fallback)
        return face_;
    FT_Set_Pixel_Sizes(fallback, 0, FT_UInt(style_.size));
    fallbacks_.emplace_back(key, fallback);
    return FT_Get_Char_Index(fallback, code) != 0 ? fallback : face_;
}

bool CFontFace::renderGlyph(FT_Face face, FT_UInt glyph, bool mono, Coverage& out, GlyphMetrics& metrics)
{
    FT_Matrix shear{0x10000, slants_ ? SlantShear : 0, 0, 0x10000};
    FT_Set_Transform(face, &shear, nullptr);
    const FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, glyph, flags) != 0)
        return false;
    if (emboldens_ && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const FT_GlyphSlot slot = face->glyph;
    out = coverageOf(slot->bitmap);
    metrics.blackBoxX = uint32_t(out.width);
    metrics.blackBoxY = uint32_t(out.rows);
    metrics.originX = slot->bitmap_left;
    metrics.originY = slot->bitmap_top;
    metrics.cellIncX = toShort(std::lround(slot->advance.x / 64.0));
    metrics.cellIncY = toShort(std::lround(slot->advance.y / 64.0));
    return true;
}

// The vertical form drawn upright, then laid on its side as a vertical face gives full-width glyphs:
// the text's top faces left. The metrics place it so that turning it back puts it centred across a
// cell as wide as the face's height, its vertical origin at the cell's top.
bool CFontFace::renderTurned(FT_Face face, uint32_t code, bool mono, Coverage& out, GlyphMetrics& metrics)
{
    FT_Set_Transform(face, nullptr, nullptr);
    const VerticalForm form = shapeVertical(face, code, style_.language);
    Coverage upright;
    GlyphMetrics flat;
    if (!renderGlyph(face, form.glyph, mono, upright, flat))
        return false;
    const int left = std::max(1, flat.originX - form.originX + metrics_.height / 2);
    const int top = metrics_.height - left - upright.width + 1;
    out = turnedAnticlockwise(upright);
    metrics.blackBoxX = uint32_t(out.width);
    metrics.blackBoxY = uint32_t(out.rows);
    metrics.originX = form.originY - flat.originY;
    metrics.originY = metrics_.ascent - top;
    metrics.cellIncX = toShort(form.advance > 0 ? form.advance : style_.size);
    metrics.cellIncY = 0;
    return true;
}

int CFontFace::getGlyphBitmap(uint32_t code, int format, GlyphMetrics& metrics, uint32_t bufferSize, void* buffer)
{
    FT_Face face = faceFor(code);
    if (!face)
        return -1;
    const bool mono = format == GlyphMono;
    Coverage coverage;
    const bool turned = style_.vertical && (code & 0xFF00) != 0;
    const bool drawn = turned ? renderTurned(face, code, mono, coverage, metrics)
                              : renderGlyph(face, FT_Get_Char_Index(face, code), mono, coverage, metrics);
    if (!drawn)
        return -1;
    const std::vector<uint8_t> bytes = pack(coverage, mono);
    if (buffer)
        std::memcpy(buffer, bytes.data(), std::min<size_t>(bufferSize, bytes.size()));
    return int(bytes.size());
}

} // namespace Kavro
