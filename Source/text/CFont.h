#pragma once

#include "core/CObject.h"
#include "text/FontGlyph.h"

#include <cstdint>
#include <utility>

namespace Kavro
{
class IRenderDevice;
}

namespace Orvane
{

// The font interface that text layout asks for glyphs.
class CFont : public CObject
{
public:
    // autoRelease: the font pool's sweep may drop the font once it is the only holder.
    explicit CFont(uint32_t autoRelease) : autoRelease(autoRelease) {}

    // Lets go of every glyph and texture; 0.
    virtual int unload() = 0;
    virtual FontGlyph getGlyph(uint32_t code, int italic) = 0;
    // Width and height of the largest glyph (bitmap font) or of the cell (system font).
    virtual std::pair<int32_t, int32_t> getMaxGlyphSize() = 0;
    // Once per frame before rendering: puts the glyphs drawn since the last call into their textures.
    virtual void renderGlyph() = 0;
    virtual void clearGlyphCache() = 0;

    uint32_t autoRelease;

protected:
    // The application's render device with a reference of the caller's; null without one.
    static InterfaceRef<Kavro::IRenderDevice> acquireRenderDevice();
};

} // namespace Orvane
