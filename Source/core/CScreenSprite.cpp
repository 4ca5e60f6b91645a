#include "core/CScreenSprite.h"

#include <array>

namespace Orvane
{

CScreenSprite::CScreenSprite(Kavro::ITexture* texture, int width, int height)
    : CSprite(texture, Kavro::Vector2D(0.0f, 0.0f), std::array<int32_t, 4>{0, 0, width, height}.data())
{
    setCenter(Kavro::Vector2D(0.0f, 0.0f));
}

int CScreenSprite::fadeTo(float value, uint32_t time, int32_t curve)
{
    fade(value, time, uint32_t(curve));
    return 0;
}

int CScreenSprite::scaleTo(float x, float y, uint32_t time, int32_t curve)
{
    scale(x, y, time, uint32_t(curve));
    return 0;
}

} // namespace Orvane
