#pragma once

#include "IInterface.h"
#include "ITexture.h"

namespace Kavro
{

// A picture of light for the shading effect of the quads it is given to (ISpriteQuad::setShadeMap): its red
// channel at each pixel of the target takes the place of the colour's own brightness when the shading bands
// are chosen, so full red shades nothing and black shades fully (kavro/README.md). Its texture is a render
// texture: whatever is drawn into it becomes the map.
class IShadeMap : public IInterface
{
public:
    // The render texture (no reference added).
    virtual ITexture* getTexture() = 0;
};

} // namespace Kavro
