#pragma once

#include "core/IScreenSprite.h"
#include "sprite/CSprite.h"

namespace Orvane
{

// The sprite over the application's back texture: the screen fades draw it over everything, and
// captures draw a frame into its texture.
class CScreenSprite : public CSprite, public IScreenSprite
{
public:
    // The whole width x height of the texture at the origin, centred on its top-left corner.
    CScreenSprite(Kavro::ITexture* texture, int width, int height);

    CRenderingTaskObject* getSpriteObject() override { return this; }
    Kavro::ITexture* getTexture() override { return texture; }
    int create() override { return CSprite::create(); }
    int fadeTo(float value, uint32_t time, int32_t curve) override;
    float getFade() override { return CSprite::getFade(); }
    int scaleTo(float x, float y, uint32_t time, int32_t curve) override;
    void setBlendMode(int32_t mode) override { CSprite::setBlendMode(mode); }
};

} // namespace Orvane
