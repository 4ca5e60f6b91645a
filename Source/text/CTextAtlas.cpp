#include "text/CText.h"

#include "core/CApp.h"
#include "sprite/CSpriteList.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ITexture.h>

#include <algorithm>

namespace Orvane
{

namespace
{

constexpr uint32_t RubyKeyBit = 0x80000000u;
constexpr uint32_t ItalicKeyBit = 0x40000000u;
// Every image sits 2 pixels inside a block 4 pixels larger than itself.
constexpr int32_t CellMargin = 2;

struct FreeRect
{
    int32_t x, y, width, height;
};

void addFree(std::vector<FreeRect>& free, const FreeRect& r)
{
    if (r.width > 0 && r.height > 0)
        free.push_back(r);
}

// Packs blocks largest first: a free rectangle left beside an earlier block, else a strip at the bottom
// while the atlas is wider than tall, else a strip at the right.
class AtlasPacker
{
public:
    std::array<int32_t, 4> place(int32_t w, int32_t h)
    {
        const int32_t bw = w + 2 * CellMargin;
        const int32_t bh = h + 2 * CellMargin;
        for (size_t i = 0; i < free_.size(); ++i)
        {
            const FreeRect r = free_[i];
            if (bw <= r.width && bh <= r.height)
            {
                free_.erase(free_.begin() + long(i));
                addFree(free_, {r.x + bw, r.y, r.width - bw, bh});
                addFree(free_, {r.x, r.y + bh, r.width, r.height - bh});
                return {r.x + CellMargin, r.y + CellMargin, w, h};
            }
        }
        if (height < width)
        {
            const int32_t top = height;
            width = std::max(width, bw);
            addFree(free_, {bw, top, width - bw, bh});
            height += bh;
            return {CellMargin, top + CellMargin, w, h};
        }
        const int32_t left = width;
        height = std::max(height, bh);
        addFree(free_, {left, bh, bw, height - bh});
        width += bw;
        return {left + CellMargin, CellMargin, w, h};
    }

    int32_t width = 0;
    int32_t height = 0;

private:
    std::vector<FreeRect> free_;
};

} // namespace

void CText::buildGlyphAtlas()
{
    releaseAtlas();
    atlasMap = decltype(atlasMap)(8);
    atlasMap.max_load_factor(1.0f);

    std::vector<Glyph*> order;
    order.reserve(glyphStore.size());
    for (Glyph& g : glyphStore)
        order.push_back(&g);
    std::stable_sort(order.begin(), order.end(), [](const Glyph* a, const Glyph* b) {
        return int64_t(a->width) * a->height > int64_t(b->width) * b->height;
    });

    AtlasPacker packer;
    size_t baseCount = 0, rubyCount = 0;
    for (Glyph* g : order)
    {
        ++(g->isRuby ? rubyCount : baseCount);
        const uint32_t key = g->code | (g->isRuby ? RubyKeyBit : 0u) | (g->italic ? ItalicKeyBit : 0u);
        auto found = atlasMap.find(key);
        if (found == atlasMap.end())
        {
            AtlasEntry entry;
            entry.key = key;
            entry.texture = g->texture;
            entry.source = {g->texX, g->texY, g->width, g->height};
            entry.cell = packer.place(g->width, g->height);
            found = atlasMap.emplace(key, std::move(entry)).first;
        }
        g->atlasCell = found->second.cell;
    }

    atlasSize = {packer.width, packer.height};
    // An empty atlas has no texture.
    const CApp* app = CApp::get();
    if (packer.width > 0 && packer.height > 0 && app && app->renderDevice)
        atlasTexture = app->renderDevice->createRenderTexture(packer.width, packer.height, 4, 0, 0, 0);
    addGlyphSprite(baseCount);
    addGlyphSprite(rubyCount);
    for (CSpriteList* sprite : glyphSprites)
    {
        if (mask)
            sprite->setMask(mask);
        if (displacementMap)
            sprite->setDisplacementMap(displacementMap);
        sprite->setTextureFiltering(textureFiltering);
        sprite->setBlendMode(blendMode);
    }
    setDither(ditherEnabled, ditherWidth, ditherHeight, ditherTextureName);
    atlasDirty = 1;
}

void CText::addGlyphSprite(size_t count)
{
    if (count == 0 || !atlasTexture)
        return;
    auto* sprite = new CSpriteList(atlasTexture);
    glyphSprites.push_back(sprite);
    sprite->createList(uint32_t(count));
    // The text updates and draws its lists itself.
    sprite->leaveTaskLists();
}

} // namespace Orvane
