#pragma once

#include "IDisplacementMap.h"
#include "IQuad.h"
#include "IShadeMap.h"
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
    // The displacement map that moves this quad's texels, and the shade map that lights its shading effect
    // (null: none); the quad keeps a reference. A map whose texture is the current target is not read.
    virtual int setDisplacementMap(IDisplacementMap* map) = 0;
    virtual int setShadeMap(IShadeMap* map) = 0;
    // Commits the setters called before it. Setters take effect at once here, so this only answers 0.
    virtual int apply() = 0;

    // Colour and image effects; units and formulas in kavro/README.md. Every effect is neutral at its
    // default, and a quad whose effects are all neutral draws as if it had none.
    virtual int setColorHue(float degrees) = 0;
    virtual int setColorSaturation(float saturation) = 0;
    virtual int setColorBrightness(float brightness) = 0;
    virtual int setColorGlow(float glow) = 0;
    virtual int setColorBalance(float r, float g, float b, float a) = 0;
    virtual int setNegaposiPower(float power) = 0;
    virtual int setMonochromePower(float power) = 0;
    virtual int setShadingParameter(int level, float density) = 0;
    virtual int setShadingPower(float power) = 0;
    virtual int getShadingLevel() = 0;
    virtual float getShadingDensity() = 0;
    virtual int setColorLevel(const float* min, const float* max, const float* power) = 0;
    virtual float getColorLevelMin() = 0;
    virtual float getColorLevelMax() = 0;
    virtual float getColorLevelPower() = 0;
    virtual int setRadialBlurCenter(const Vector2D& center) = 0;
    virtual int setRadialBlurPower(float power) = 0;
    virtual int setDirectionalBlurDirection(const Vector2D& direction) = 0;
    virtual int setDirectionalBlurPower(float power) = 0;
    virtual int setRippleCenter(const Vector2D& center) = 0;
    virtual int setRippleFrequency(float frequency) = 0;
    virtual int setRipplePower(float power) = 0;
    virtual int setRipplePhase(float phase) = 0;
    virtual int setRasterFrequency(float frequency) = 0;
    virtual int setRasterPower(float power) = 0;
    virtual int setRasterPhase(float phase) = 0;
    virtual int setRasterRotate(const float* degrees) = 0;
    virtual int setLensCenter(const Vector2D* center) = 0;
    virtual int setLensPower(float power) = 0;
    virtual int setLensRadius(float radius) = 0;
};

} // namespace Kavro
