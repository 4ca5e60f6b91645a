#include "text/CSystemFont.h"

#include "core/CFile.h"

#include <kavro/IRenderDevice.h>
#include <kavro/LoadReport.h>

#include <algorithm>
#include <cstring>

namespace Orvane
{

namespace
{

constexpr int CellMargin = 8;
constexpr int MinimumTextureWidth = 1024;
constexpr size_t GlyphCacheBytes = size_t(32) << 20;
constexpr float GreyLevelScale = 0.015873017f; // nearest float to 1/63

Kavro::IGlyphRasterizer* installedRasterizer = nullptr;

InterfaceRef<Kavro::IGlyphRasterizer> rasterizer()
{
    if (installedRasterizer)
        return InterfaceRef<Kavro::IGlyphRasterizer>(installedRasterizer);
    return InterfaceRef<Kavro::IGlyphRasterizer>::adopt(Kavro::GetGlyphRasterizer());
}

uint32_t whiteWithAlpha(uint8_t alpha)
{
    return (uint32_t(alpha) << 24) | 0xFFFFFFu;
}

} // namespace

// Keeps at most one cache texture locked while the queue is copied.
class CSystemFont::TextureWriter
{
public:
    ~TextureWriter() { unlock(); }

    // False when the texture cannot be written: the pass stops.
    bool select(Kavro::ITexture* next)
    {
        if (next == texture_)
            return true;
        unlock();
        if (!next || next->lock(6, nullptr) < 0)
            return false;
        texture_ = next;
        data_ = static_cast<uint32_t*>(next->getData());
        if (!data_)
        {
            unlock();
            return false;
        }
        pitch_ = next->getPitch() / 4;
        width_ = std::min(pitch_, next->getSize()[0]);
        height_ = next->getSize()[1];
        return true;
    }
    int height() const { return height_; }
    void put(int x, int y, uint8_t alpha)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            data_[size_t(y) * size_t(pitch_) + size_t(x)] = whiteWithAlpha(alpha);
    }

private:
    void unlock()
    {
        if (texture_)
            texture_->unlock();
        texture_ = nullptr;
        data_ = nullptr;
    }

    Kavro::ITexture* texture_ = nullptr;
    uint32_t* data_ = nullptr;
    int pitch_ = 0;
    int width_ = 0;
    int height_ = 0;
};

CSystemFont::~CSystemFont()
{
    unload();
}

void CSystemFont::setRasterizer(Kavro::IGlyphRasterizer* rasterizer)
{
    installedRasterizer = rasterizer;
}

int CSystemFont::charsetOf(int32_t charsetIndex)
{
    static constexpr int Charsets[] = {0, 186, 136, 238, 134, 161, 129, 77, 255, 204, 128, 2, 162};
    if (charsetIndex < 0 || charsetIndex >= int32_t(std::size(Charsets)))
        return 1;
    return Charsets[charsetIndex];
}

int CSystemFont::loadFontFile(const std::string& path)
{
    CFile file;
    if (file.open(path.c_str(), 0, 0, 0) != 0)
    {
        Kavro::ReportLoadFailure(path, CFile::explainMissing(path.c_str()));
        return -1;
    }
    if (file.load() != 0 || !file.getLoadData())
    {
        Kavro::ReportLoadFailure(path, "the font file is empty or could not be read whole");
        return -1;
    }
    if (rasterizer()->addFontMemory(file.getLoadData(), file.getFileSize()) > 0)
        return 0;
    Kavro::ReportLoadFailure(path, "not a font file that can be read");
    return -1;
}

int CSystemFont::create(int32_t size, int32_t weight, int32_t charsetIndex, int32_t verticalFlag,
                        int32_t monochromeFlag, const std::string& faceName)
{
    unload();
    monochrome = uint32_t(monochromeFlag);
    vertical = uint32_t(verticalFlag);
    const int charset = charsetOf(charsetIndex);
    const std::string face = vertical ? "@" + faceName : faceName;
    const InterfaceRef<Kavro::IGlyphRasterizer> source = rasterizer();
    if (source)
    {
        uprightFont = InterfaceRef<Kavro::IFontFace>::adopt(source->createFace(size, weight, 0, charset, face.c_str()));
        italicFont = InterfaceRef<Kavro::IFontFace>::adopt(source->createFace(size, weight, 1, charset, face.c_str()));
    }
    metrics = uprightFont ? uprightFont->getTextMetrics() : Kavro::FontTextMetrics{};
    const int32_t w135 = metrics.maxCharWidth * 135 / 100;
    cellWidth = vertical ? metrics.height : w135;
    cellHeight = vertical ? w135 : metrics.height;
    // A cell wider than a texture would leave no cell per texture: widen the texture to hold one.
    textureWidth = std::max(MinimumTextureWidth, cellWidth + 2 * CellMargin);
    return 0;
}

Kavro::ITexture* CSystemFont::cacheTexture(size_t index)
{
    while (textures.size() < index + 1)
    {
        const InterfaceRef<Kavro::IRenderDevice> device = acquireRenderDevice();
        const int height = cellHeight + 2 * CellMargin;
        TextureRef texture = TextureRef::adopt(device ? device->createTexture(textureWidth, height, 1, 0) : nullptr);
        if (texture && texture->lock(6, nullptr) >= 0)
        {
            if (void* data = texture->getData())
                std::memset(data, 0, size_t(texture->getPitch()) * size_t(height));
            texture->unlock();
        }
        textures.push_back(std::move(texture));
    }
    return textures[index].get();
}

const FontGlyph& CSystemFont::fetchGlyph(uint32_t code, int italic)
{
    const uint32_t key = italic ? (code | ItalicGlyphBit) : code;
    const auto found = glyphs.find(key);
    if (found != glyphs.end())
        return found->second;
    const size_t cellsPerTexture = size_t(textureWidth / (cellWidth + 2 * CellMargin));
    // A text may ask for thousands of different glyphs: once a new texture would pass the budget the cache
    // starts over. Glyphs handed out, and those waiting to be copied, hold their textures themselves.
    const size_t textureBytes = size_t(textureWidth) * size_t(cellHeight + 2 * CellMargin) * 4;
    if (glyphs.size() % cellsPerTexture == 0 && (textures.size() + 1) * textureBytes > GlyphCacheBytes)
    {
        glyphs.clear();
        textures.clear();
    }
    FontGlyph& glyph = glyphs[key];
    PendingGlyph& pending = pendingGlyphs.emplace_back();
    pending.code = code;
    const size_t n = glyphs.size() - 1;
    const size_t cell = n % cellsPerTexture;
    glyph.texture = TextureRef(cacheTexture(n / cellsPerTexture));
    glyph.x = (cellWidth + 2 * CellMargin) * int32_t(cell) + CellMargin;
    glyph.y = CellMargin;
    rasterise(pending, italic);
    placeGlyph(pending, glyph, (code & 0xFF00) != 0);
    pending.glyph = glyph;
    pending.italic = italic ? 1 : 0;
    return glyph;
}

void CSystemFont::rasterise(PendingGlyph& pending, int italic)
{
    Kavro::IFontFace* face = italic ? italicFont.get() : uprightFont.get();
    const int format = monochrome ? Kavro::GlyphMono : Kavro::GlyphGray65;
    int size = face ? face->getGlyphBitmap(pending.code, format, pending.glyphMetrics, 0, nullptr) : 0;
    size = std::max(size, 0);
    pending.bitmap.assign(size_t(size), 0);
    if (size > 0)
        face->getGlyphBitmap(pending.code, format, pending.glyphMetrics, uint32_t(size), pending.bitmap.data());
    const Kavro::GlyphMetrics& gm = pending.glyphMetrics;
    pending.originX = gm.originX;
    pending.top = metrics.ascent - gm.originY;
    pending.pitch = int32_t((gm.blackBoxX + 3) & ~3u);
    if (monochrome)
        pending.rows = int32_t(gm.blackBoxY);
    else // a 0-wide black box has no rows to take
        pending.rows = pending.pitch > 0 ? int32_t(pending.bitmap.size() / size_t(pending.pitch)) : 0;
}

void CSystemFont::placeGlyph(PendingGlyph& pending, FontGlyph& glyph, bool wide) const
{
    const int32_t advance = pending.glyphMetrics.cellIncX;
    const int32_t reach = pending.pitch;
    int32_t& originX = pending.originX;
    glyph.bearingBefore = 0;
    glyph.bearingAfter = 0;
    if (vertical && wide)
    {
        // Turned upright: the advance runs down the cell.
        glyph.width = metrics.height;
        glyph.height = advance;
        if (originX < 0)
        {
            glyph.height -= originX;
            glyph.bearingBefore += originX;
            originX = 0;
        }
        glyph.height = std::max(glyph.height, originX + reach);
        if (glyph.bearingBefore + glyph.height > advance)
            glyph.bearingAfter = advance - glyph.bearingBefore - glyph.height;
        return;
    }
    glyph.width = advance;
    glyph.height = metrics.height;
    if (originX < 0)
    {
        glyph.width -= originX;
        if (!vertical) // a horizontal glyph hangs left of the pen
            glyph.bearingBefore += originX;
        originX = 0;
    }
    glyph.width = std::max(glyph.width, originX + reach);
    if (glyph.width + glyph.bearingBefore > advance)
        glyph.bearingAfter = advance - glyph.width - glyph.bearingBefore;
}

uint8_t CSystemFont::coverage(const PendingGlyph& pending, int column, int row) const
{
    if (monochrome)
    {
        const size_t rowBytes = size_t((pending.pitch + 31) / 32) * 4;
        const size_t index = size_t(row) * rowBytes + size_t(column / 8);
        if (index >= pending.bitmap.size())
            return 0;
        return ((pending.bitmap[index] >> (7 - column % 8)) & 1) ? 255 : 0;
    }
    const size_t index = size_t(row) * size_t(pending.pitch) + size_t(column);
    if (index >= pending.bitmap.size())
        return 0;
    const float level = std::clamp(float(pending.bitmap[index]) * GreyLevelScale, 0.0f, 1.0f);
    return uint8_t(level * 255.0f);
}

void CSystemFont::copyGlyph(TextureWriter& writer, const PendingGlyph& pending) const
{
    const FontGlyph& g = pending.glyph;
    const int H = writer.height();
    const bool wide = (pending.code & 0xFF00) != 0;
    if (vertical && wide)
    {
        for (int i = pending.originX; i < pending.originX + pending.pitch; ++i)
        {
            if (i < 0 || i >= g.height)
                continue;
            for (int j = pending.top; j < pending.top + pending.rows; ++j)
                if (j >= 0 && j < g.width)
                    writer.put(g.x + metrics.height - j, g.y + i, coverage(pending, i - pending.originX, j - pending.top));
        }
        return;
    }
    int shift = 0;
    if (vertical && g.y + pending.top + pending.rows >= H)
        shift = H - g.y - pending.rows - pending.top - 1;
    for (int r = pending.top; r < pending.top + pending.rows; ++r)
    {
        if (r < 0 || r >= g.height || g.y + r >= H)
            continue;
        for (int c = pending.originX; c < pending.originX + pending.pitch; ++c)
            if (c >= 0 && c < g.width)
                writer.put(g.x + c, g.y + shift + r, coverage(pending, c - pending.originX, r - pending.top));
    }
}

void CSystemFont::renderGlyph()
{
    {
        TextureWriter writer;
        for (const PendingGlyph& pending : pendingGlyphs)
        {
            if (!writer.select(pending.glyph.texture.get()))
                break;
            copyGlyph(writer, pending);
        }
    }
    pendingGlyphs.clear();
}

void CSystemFont::clearGlyphCache()
{
    glyphs.clear();
    textures.clear();
    pendingGlyphs.clear();
}

int CSystemFont::unload()
{
    clearGlyphCache();
    uprightFont.reset();
    italicFont.reset();
    return 0;
}

} // namespace Orvane
