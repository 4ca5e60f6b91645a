#pragma once

#include "render/CDisplacementMap.h"
#include "render/CQuadRenderer.h"
#include "render/CShadeMap.h"
#include "render/QuadVertex.h"
#include "render/SpriteEffects.h"

#include <kavro/ISpriteQuad.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <vector>

namespace Kavro
{

class CRenderDevice;
class CTexture;
class CMaskQuad;

// A quad list over one texture (the default white texture for colour quads). Corners are transformed to
// clip space when added; draw queues the list for the device's current render target, which draws it
// together with the quads before and after it while nothing changes between them.
class CSpriteQuad : public RefCounted<ISpriteQuad>
{
public:
    CSpriteQuad(CRenderDevice* device, CTexture* texture, int quadCount);
    ~CSpriteQuad() override;

    int begin() override;
    int addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4]) override;
    int addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                const Vector2D uv[4]) override;
    int end() override;
    int getQuadCount() override { return int(corners_.size() / 4); }
    int draw(const Vector2D& offset, const Vector4D* colour, float factor) override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode_; }
    int setQuadCount(int count) override;
    int setCamera(ICamera* camera) override;
    ICamera* getCamera() override { return camera_.get(); }
    ITexture* getTexture() override;
    int setTexture(ITexture* texture) override;
    int setFilter(int linear) override;
    int getFilter() override { return filter_; }
    int setUVOffset(const Vector2D& offset) override;
    int setMask(ISpriteQuad* mask) override;
    int setMaskSize(int, int) override { return -1; }
    int setDiffuseOnly(int) override { return -1; }
    int setDisplacementMap(IDisplacementMap* map) override;
    int setShadeMap(IShadeMap* map) override;
    int apply() override { return 0; }

    int setTransitionMask(ITexture* mask) override;
    int setTransition(float from, float to, float value, float vague) override;
    int setDither(ITexture* pattern, const Vector2D& size) override;

    int setColorHue(float degrees) override { return store(effects_.hue, degrees); }
    int setColorSaturation(float saturation) override { return store(effects_.saturation, saturation); }
    int setColorBrightness(float brightness) override { return store(effects_.brightness, brightness); }
    int setColorGlow(float glow) override { return store(effects_.glow, glow); }
    int setColorBalance(float r, float g, float b, float a) override;
    int setNegaposiPower(float power) override { return store(effects_.negaposi, power); }
    int setMonochromePower(float power) override { return store(effects_.monochrome, power); }
    int setShadingParameter(int level, float density) override;
    int setShadingPower(float power) override { return store(effects_.shadingPower, power); }
    int getShadingLevel() override { return effects_.shadingLevel; }
    float getShadingDensity() override { return effects_.shadingDensity; }
    int setColorLevel(const float* min, const float* max, const float* power) override;
    float getColorLevelMin() override { return effects_.levelMin; }
    float getColorLevelMax() override { return effects_.levelMax; }
    float getColorLevelPower() override { return effects_.levelPower; }
    int setRadialBlurCenter(const Vector2D& center) override { return store(effects_.radialCenter, center); }
    int setRadialBlurPower(float power) override { return store(effects_.radialPower, power); }
    int setDirectionalBlurDirection(const Vector2D& direction) override
    {
        return store(effects_.direction, direction);
    }
    int setDirectionalBlurPower(float power) override { return store(effects_.directionalPower, power); }
    int setRippleCenter(const Vector2D& center) override { return store(effects_.rippleCenter, center); }
    int setRippleFrequency(float frequency) override { return store(effects_.rippleFrequency, frequency); }
    int setRipplePower(float power) override { return store(effects_.ripplePower, power); }
    int setRipplePhase(float phase) override { return store(effects_.ripplePhase, phase); }
    int setRasterFrequency(float frequency) override { return store(effects_.rasterFrequency, frequency); }
    int setRasterPower(float power) override { return store(effects_.rasterPower, power); }
    int setRasterPhase(float phase) override { return store(effects_.rasterPhase, phase); }
    int setRasterRotate(const float* degrees) override;
    int setLensCenter(const Vector2D* center) override;
    int setLensPower(float power) override { return store(effects_.lensPower, power); }
    int setLensRadius(float radius) override { return store(effects_.lensRadius, radius); }

protected:
    // The state of a draw with these arguments (the device fills in the target's part).
    QuadDrawState drawState(const Vector2D& offset, const Vector4D* colour, float factor) const;
    template <class T> static int store(T& field, const T& value)
    {
        field = value;
        return 0;
    }
    // Holds texture (one reference) in place of what slot held; null clears. -1 for another device's.
    int hold(Ref<CTexture>& slot, ITexture* texture);

    Ref<CRenderDevice> device_;
    Ref<CTexture> texture_;
    std::vector<QuadVertex> corners_;
    Ref<CMaskQuad> mask_;
    int blendMode_ = 1;
    int filter_ = 0;
    Vector2D uvOffset_;
    Ref<ICamera> camera_;
    SpriteEffects effects_;
    Ref<CTexture> transitionMask_;
    Ref<CTexture> dither_;
    Ref<CDisplacementMap> displacement_;
    Ref<CShadeMap> shade_;
};

} // namespace Kavro
