#pragma once

#include "sprite/CSprite.h"

namespace Orvane
{

// A sprite whose picture limits where other sprites appear instead of being shown: its quad is a mask
// quad of the library, which masked sprites receive through setMask. A mask takes no pointer input, and
// is drawn (into its mask) whenever it changed, even while invisible or fully transparent.
class CSpriteMask : public CSprite
{
public:
    CSpriteMask(Kavro::ITexture* texture, const Kavro::Vector2D& at, const int32_t rect[4]);
    // A colour mask of the rectangle's size; create then makes its untextured mask quad.
    CSpriteMask(const Kavro::Vector2D& at, const int32_t rect[4]);
    // A movie mask: the movie sprite's construction, with the mask's blend mode.
    CSpriteMask(Kavro::IMovie* player, const Kavro::Vector2D& at);
    ~CSpriteMask() override;

    // Tells the mask quad the size of the target it masks (the surface's texture, else the screen).
    void setSurface(IRenderTarget* target) override;
    int draw() override;
    bool isInCamera(Kavro::ICamera*) override { return false; }
    // Makes the mask quad (0, or -1 when the device gives none) and watches the texture's name.
    int create() override;
    void buildHitMask() override {}
    int hasSceneObject() override { return maskObject != nullptr; }
    int isOver(int32_t) override { return 0; }
    int isDown(int32_t) override { return 0; }
    int isUp(int32_t) override { return 0; }
    void setPixelHitTest(uint32_t) override {}

    // Also held as the textured quad (with a texture) or the colour quad (without), one reference each.
    Kavro::ISpriteQuad* maskObject = nullptr;

protected:
    CColorTextureCallback* makeTextureCallback() override;

private:
    void releaseMaskQuads();
};

} // namespace Orvane
