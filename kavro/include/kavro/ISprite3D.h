#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"
#include "Vector2D.h"
#include "Vector4D.h"

namespace Kavro
{

class ITexture;

// A flat textured quad list standing in the 3D scene (IRenderDevice::createSprite3D); ISceneManager::
// addSprite3D places it in the scene. Its quads are rebuilt between begin and end.
class ISprite3D : public IInterface
{
public:
    // Starts a new quad list; mode 1 (the only mode) draws the quads two-sided, reserved is 0.
    virtual int begin(const int& mode, const int& reserved) = 0;
    // A quad of size (width, height) in texture pixels, anchored at its top-left corner and placed by
    // transform; colour is the bytes red, green, blue, alpha; source is the texture rectangle (left, top,
    // right, bottom) in pixels.
    virtual int drawQuad(const Matrix4x4& transform, const Vector2D& size, const uint8_t (&colour)[4],
                         const Vector4D& source) = 0;
    virtual int end() = 0;
    // The texture it draws (no reference added).
    virtual ITexture* getTexture() = 0;
};

} // namespace Kavro
