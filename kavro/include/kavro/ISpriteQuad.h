#pragma once

#include "IQuad.h"
#include "ITexture.h"

namespace Kavro
{

// A quad list over one texture: the scene sprite the engine's sprites draw through.
// Texture coordinates (0, 0) are the top-left of the texture; texturing is perspective-correct.
class ISpriteQuad : public IQuad
{
public:
    using IQuad::addQuad;
    // Adds a textured quad; uv holds the four corners' texture coordinates.
    virtual int addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                        const Vector2D uv[4]) = 0;
    // The texture it samples (no reference added); the device's default texture when made without one.
    virtual ITexture* getTexture() = 0;
    // Replaces the texture (null: the default texture); the quad keeps a reference.
    virtual int setTexture(ITexture* texture) = 0;
    // 0 nearest, 1 linear.
    virtual int setFilter(int linear) = 0;
    virtual int getFilter() = 0;
    // Added to every texture coordinate when drawing.
    virtual int setUVOffset(const Vector2D& offset) = 0;
    // Mask quads only (-1 on others). The size of the target that the masked quads draw into: the mask's
    // picture is kept at that size; the screen's size until set.
    virtual int setMaskSize(int width, int height) = 0;
    // Mask quads only (-1 on others). 1: the mask is the quads' corner colours alone, the texture unused.
    virtual int setDiffuseOnly(int flag) = 0;
    // Commits the setters called before it. Setters take effect at once here, so this only answers 0.
    virtual int apply() = 0;
};

} // namespace Kavro
