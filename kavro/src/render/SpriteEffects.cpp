#include "render/SpriteEffects.h"

#include <cstring>

namespace Kavro
{

static_assert(sizeof(SpriteEffects) == 43 * 4, "compared bytewise: no padding");

int SpriteEffects::stages(bool transitionMask, bool ditherPattern, bool displacementMap, bool shadeMap) const
{
    int on = 0;
    if (transitionMask)
        on |= Transition;
    if (radialPower != 0.0f)
        on |= RadialBlur;
    if (directionalPower != 0.0f && (direction.x != 0.0f || direction.y != 0.0f))
        on |= DirectionalBlur;
    if (ripplePower != 0.0f && rippleFrequency != 0.0f)
        on |= Ripple;
    if (rasterPower != 0.0f && rasterFrequency != 0.0f)
        on |= Raster;
    if (lensPower != 0.0f && lensRadius > 0.0f)
        on |= Lens;
    const bool colour = hue != 0.0f || saturation != 0.0f || brightness != 0.0f || glow != 0.0f ||
                        balance[0] != 1.0f || balance[1] != 1.0f || balance[2] != 1.0f || negaposi != 0.0f ||
                        monochrome != 0.0f || shadingPower != 0.0f || levelMin != 0.0f || levelMax != 1.0f ||
                        levelPower != 1.0f;
    if (colour)
        on |= Colour;
    if (ditherPattern)
        on |= Dither;
    if (displacementMap && (displacementScale.x != 0.0f || displacementScale.y != 0.0f))
        on |= Displacement;
    // The map only lights the shading: without shading it changes nothing.
    if (shadeMap && shadingPower != 0.0f)
        on |= Shade;
    return on;
}

bool SpriteEffects::operator==(const SpriteEffects& other) const
{
    return std::memcmp(this, &other, sizeof *this) == 0;
}

} // namespace Kavro
