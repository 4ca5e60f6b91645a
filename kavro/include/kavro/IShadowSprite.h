#pragma once

#include "IInterface.h"
#include "ITexture.h"
#include "Matrix4x4.h"
#include "Vector2D.h"
#include "Vector4D.h"

namespace Kavro
{

// One quad over a texture into which soft shadows were stamped, drawn blurred inside a rectangle of the
// render target. Corners and colours as IQuad's (clip space, packed bytes red, green, blue, alpha).
class IShadowSprite : public IInterface
{
public:
    // The quad: corner order top-left, top-right, bottom-left, bottom-right.
    virtual int setQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                        const Vector2D uv[4]) = 0;
    // Shading: a softness in pixels, b a gain on the shadow's alpha (0 or less: 1); c is kept unused.
    virtual int setShading(int a, float b, float c) = 0;
    // Only this rectangle (pixels of the render target) is drawn.
    virtual int setRect(float x, float y, float width, float height) = 0;
    // Draws into the current render target: offset in pixels, colour (null: white) times every corner colour,
    // factor on the alpha.
    virtual int draw(const Vector2D& offset, const Vector4D* colour, float factor) = 0;
    // 1 normal alpha, 0 replace, 2 add, 3 subtract, 4 multiply, 5 screen; any other value acts as 1.
    virtual int setBlendMode(int mode) = 0;
    virtual int getBlendMode() = 0;
    // Keeps a dither texture and the size it repeats at (the shadow is drawn undithered); null drops it.
    virtual int setDither(ITexture* texture, float width, float height) = 0;
    // The texture it draws (no reference added).
    virtual ITexture* getTexture() = 0;
};

} // namespace Kavro
