#pragma once

#include "sprite/CSpriteRenderTarget.h"

namespace Kavro
{
class IShadeMap;
}

namespace Orvane
{

// A render target whose surface is the texture of a library shade map: what is drawn into it is the
// light of a shading. When drawn, it copies what its target holds so far and draws that copy again
// through an inner sprite shaded by the map, so it shades whatever lies below it.
class CSpriteShadeMask : public CSpriteRenderTarget
{
public:
    // Full light: the clear colour shades nothing.
    static constexpr uint32_t NeutralColour = 0xFFFF0000u;

    // An empty target (no texture) that clears to full light once it has a map.
    CSpriteShadeMask();
    ~CSpriteShadeMask() override;

    // Makes the library map and the inner sprite over a copy surface of the map's size. 0, or -1 (and no
    // map) when either cannot be made.
    int create() override;
    int draw() override;
    int render() override;
    // Also steps the inner sprite, whose shading power the mask eases.
    int update() override;
    void setTimeScale(float scaling) override;
    Kavro::ITexture* getTexture() override;
    // Refused once the map was filled this frame: bound to each other, two maps would otherwise fill
    // each other again in the frame loop's own passes.
    int beginRender() override;

    // Forwarded to the inner sprite; the power is clamped to 0..1 first. Without an inner sprite they do
    // nothing and the getters answer 0.
    void setShadingParameter(int32_t level, float density) override;
    void setShadingPower(float value, float duration, int32_t easing) override;
    int32_t getShadingLevel() override;
    float getShadingDensity() override;

    virtual Kavro::IShadeMap* getEffectMap() { return effectMap; }
    CSprite* getInnerSprite() const { return innerSprite; }

private:
    Kavro::IShadeMap* effectMap = nullptr;
    CSprite* innerSprite = nullptr;
};

} // namespace Orvane
