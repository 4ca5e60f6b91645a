#pragma once

#include "sprite/CSpriteRenderTarget.h"

namespace Kavro
{
class IDisplacementMap;
}

namespace Orvane
{

// A render target whose surface is the texture of a library displacement map: what is drawn into it
// moves the texels of the sprites that name it (CSprite::setDisplacementMap). It takes the size of the
// surface it is itself bound to, so that the map lies pixel for pixel over what it displaces.
class CSpriteDisplacementMap : public CSpriteRenderTarget
{
public:
    // The grey that moves nothing.
    static constexpr uint32_t NeutralColour = 0xFF808080u;

    // An empty target (no texture) that clears to the neutral grey once it has a map.
    CSpriteDisplacementMap();
    ~CSpriteDisplacementMap() override;

    // Takes the bound surface's size (the screen's for the back surface), raising the resized mark only
    // when the size changes.
    void setSurface(IRenderTarget* surface) override;
    // Draws the preview sprite only: the map itself is never drawn as a sprite.
    int draw() override;
    int render() override;
    Kavro::ITexture* getTexture() override;
    // Refused once the map was filled this frame: bound to each other, two maps would otherwise fill
    // each other again in the frame loop's own passes.
    int beginRender() override;

    // Makes the library map (scale: the pixels full red and full green stand for) and the preview sprite,
    // a 75 % view of the map; meant once, right after construction. 0, or -1 when the library makes no map.
    virtual int createDisplacementMap(const Kavro::Vector2D& scale);
    virtual Kavro::IDisplacementMap* getEffectMap() { return effectMap; }
    CSprite* getInnerSprite() const { return innerSprite; }

private:
    Kavro::IDisplacementMap* effectMap = nullptr;
    CSprite* innerSprite = nullptr;
};

} // namespace Orvane
