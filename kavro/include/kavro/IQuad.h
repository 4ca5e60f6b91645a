#pragma once

#include "ICamera.h"
#include "IInterface.h"
#include "ITexture.h"
#include "Matrix4x4.h"
#include "Vector2D.h"
#include "Vector4D.h"

namespace Kavro
{

class ISpriteQuad;

// A list of quads drawn together with one blend mode.
// Geometry: each corner (x, y, z, w) is multiplied as a row vector by the quad's matrix into clip space:
// x and y in -1..1 with y up, z in 0..w (depth 0..1). Corner order: 0 top-left, 1 top-right, 2 bottom-left,
// 3 bottom-right. Colours are packed bytes red, green, blue, alpha in memory order.
class IQuad : public IInterface
{
public:
    // Starts a new list; the quads of the previous list are dropped.
    virtual int begin() = 0;
    // Adds an untextured quad (textured quads sample the default white texture there).
    virtual int addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4]) = 0;
    virtual int end() = 0;
    // Number of quads in the current list.
    virtual int getQuadCount() = 0;
    // Draws the list into the device's current render target, in call order with every other draw.
    // offset moves the quads by pixels of the target; colour (may be null) multiplies every corner colour;
    // factor multiplies the alpha.
    virtual int draw(const Vector2D& offset, const Vector4D* colour, float factor) = 0;
    // 1 normal alpha, 0 replace, 2 add, 3 subtract, 4 multiply, 5 screen; any other value acts as 1.
    virtual int setBlendMode(int mode) = 0;
    virtual int getBlendMode() = 0;
    // Room for that many quads, so that adding them allocates nothing (a split sprite's cells).
    virtual int setQuadCount(int count) = 0;
    // The camera whose scene the quads belong to (null: none); the quad keeps a reference.
    virtual int setCamera(ICamera* camera) = 0;
    virtual ICamera* getCamera() = 0;

    // Rule-image transition (kavro/README.md): the rule texture (null: none), which the quad keeps a
    // reference to, and the four values it is drawn with. Negative: refused.
    virtual int setTransitionMask(ITexture* mask) = 0;
    virtual int setTransition(float from, float to, float value, float vague) = 0;
    // Ordered dithering of the alpha through the pattern's grey (null: off), the pattern stretched over
    // size pixels of the target and repeated; the quad keeps a reference to the pattern.
    virtual int setDither(ITexture* pattern, const Vector2D& size) = 0;
    // The mask quad (IRenderDevice::createSpriteMask) whose picture limits where these quads appear: each
    // pixel's alpha is multiplied by the mask's alpha at the same place of the target. Null: no mask. The
    // quad keeps a reference; a quad that is not a mask quad is refused (-1) and the mask cleared.
    virtual int setMask(ISpriteQuad* mask) = 0;
};

} // namespace Kavro
