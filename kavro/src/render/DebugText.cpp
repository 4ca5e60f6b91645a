#include "render/DebugText.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

#include <cstring>
#include <string>

namespace Kavro
{

namespace
{

// stb_easy_font's vertex: x, y, z floats and four colour bytes.
struct EasyFontVertex
{
    float x, y, z;
    uint8_t colour[4];
};

} // namespace

std::vector<QuadVertex> BuildDebugText(const Vector2D& position, uint32_t argb, const char* text, int targetWidth,
                                       int targetHeight)
{
    std::vector<QuadVertex> corners;
    if (!text || targetWidth <= 0 || targetHeight <= 0)
        return corners;
    // The font draws at most about 270 bytes of vertices per character.
    std::vector<EasyFontVertex> quads(std::strlen(text) * 70 + 4);
    // The font's table covers printable ASCII only (and it reads bytes as signed chars): anything else
    // is drawn as "?", a line break still breaks the line.
    std::string copy(text);
    for (char& c : copy)
        if (c != '\n' && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E))
            c = '?';
    unsigned char colour[4] = {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24)};
    const int quadCount = stb_easy_font_print(position.x, position.y, copy.data(), colour, quads.data(),
                                              int(quads.size() * sizeof(EasyFontVertex)));
    uint32_t packed;
    std::memcpy(&packed, colour, 4);
    auto toClip = [&](const EasyFontVertex& v) {
        return QuadVertex{{v.x * 2.0f / float(targetWidth) - 1.0f, 1.0f - v.y * 2.0f / float(targetHeight), 0.0f, 1.0f},
                          packed,
                          {0.0f, 0.0f}};
    };
    corners.reserve(size_t(quadCount) * 4);
    for (int q = 0; q < quadCount; ++q)
    {
        // The font goes round each rectangle; quads list top-left, top-right, bottom-left, bottom-right.
        const EasyFontVertex* v = &quads[size_t(q) * 4];
        for (int index : {0, 1, 3, 2})
            corners.push_back(toClip(v[index]));
    }
    return corners;
}

} // namespace Kavro
