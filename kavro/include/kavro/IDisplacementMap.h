#pragma once

#include "IInterface.h"
#include "ITexture.h"
#include "Vector2D.h"

namespace Kavro
{

// A picture that moves the texels of the quads it is given to (ISpriteQuad::setDisplacementMap). Its texture
// is a render texture: whatever is drawn into it becomes the displacement. Red moves across, green down;
// 0x80 moves nothing (units in kavro/README.md).
class IDisplacementMap : public IInterface
{
public:
    // The render texture (no reference added); it stays the same object across resize.
    virtual ITexture* getTexture() = 0;
    // The displacement, in pixels, that full red and full green stand for.
    virtual Vector2D getScale() = 0;
    // Gives the texture a new size, cleared to the neutral grey. 0, or -1 for a size the device refuses
    // (the texture then keeps its size and pixels).
    virtual int resize(int width, int height) = 0;
};

} // namespace Kavro
