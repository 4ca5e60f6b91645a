#include "sprite/CSprite.h"

#include "core/CApp.h"
#include "core/CameraView.h"
#include "core/CTextureWacher.h"
#include "sprite/CSpriteDisplacementMap.h"
#include "sprite/CSpriteShadeMask.h"
#include "sprite/CTransitionCallback.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/ICamera.h>
#include <kavro/IMovie.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

namespace
{

using Kavro::Vector2D;
using Kavro::Vector3D;

// Negative indices too (as unsigned) name no curve and ease linearly.
int32_t curveOf(int32_t easing)
{
    return uint32_t(easing) < uint32_t(EasingCount) ? easing : 0;
}

// Whole-millisecond durations given as integers; a negative one would otherwise wrap to 49 days.
uint32_t millisecondsOf(int32_t duration)
{
    return duration > 0 ? uint32_t(duration) : 0u;
}

Kavro::IRenderDevice* renderDevice()
{
    CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

} // namespace

void CSprite::dropTransitionMask()
{
    if (transitionCallback)
        if (CTextureWacher* watcher = textureWatcher())
            watcher->removeCallback(transitionCallback);
    releaseHeld(transitionCallback);
    releaseHeld(transitionMask);
}

void CSprite::loadTransitionMask(const std::string& name, int32_t watch)
{
    if (name == transitionFilename)
        return;
    dropTransitionMask();
    if (!name.empty())
        if (Kavro::IRenderDevice* device = renderDevice())
            transitionMask = device->loadTexture(name.c_str(), 0, 0);
    transitionDirty = 1;
    transitionFilename = transitionMask ? name : std::string();
    if (Kavro::IQuad* quad = baseQuad())
        if (quad->setTransitionMask(transitionMask) < 0)
            return;
    if (!watch || !transitionMask)
        return;
    transitionCallback = new CTransitionCallback(this);
    CTextureWacher* watcher = textureWatcher();
    if (!watcher || !watcher->addCallback(transitionFilename, transitionCallback))
        releaseHeld(transitionCallback);
}

void CSprite::transition(float from, float to, float vague, uint32_t time, uint32_t easing)
{
    transitionValue.set(from, to, time, curveOf(int32_t(easing)));
    transitionVague = vague;
    transitionDirty = 1;
}

void CSprite::easeColourEffect(ColorEffect which, float value, float duration, int32_t easing)
{
    CInterpolator<float>& effect = colorEffect[which];
    effect.set(effect.scaledValue, value, toWholeMilliseconds(duration), curveOf(easing));
    colorEffectDirty[which] = 1;
}

void CSprite::setColorHue(float value, float duration, int32_t easing)
{
    if (sceneSprite)
        easeColourEffect(Hue, value, duration, easing);
}

void CSprite::setColorSaturation(float value, float duration, int32_t easing)
{
    if (sceneSprite)
        easeColourEffect(Saturation, value, duration, easing);
}

void CSprite::setColorBrightness(float value, float duration, int32_t easing)
{
    if (sceneSprite)
        easeColourEffect(Brightness, value, duration, easing);
}

void CSprite::setColorGlow(float value, float duration, int32_t easing)
{
    if (sceneSprite)
        easeColourEffect(Glow, value, duration, easing);
}

void CSprite::setNegaposiPower(float value, float duration, int32_t easing)
{
    easeColourEffect(Negaposi, value, duration, easing);
}

void CSprite::setMonochromePower(float value, float duration, int32_t easing)
{
    easeColourEffect(Monochrome, value, duration, easing);
}

void CSprite::setShadingPower(float value, float duration, int32_t easing)
{
    if (sceneSprite)
        easeColourEffect(Shading, value, duration, easing);
}

void CSprite::setColorBalance(float r, float g, float b, float duration, int32_t easing)
{
    colorBalance.set(colorBalance.value, Vector3D(r, g, b), toWholeMilliseconds(duration), curveOf(easing));
    colorBalanceDirty = 1;
}

void CSprite::setShadingParameter(int32_t level, float density)
{
    if (!sceneSprite)
        return;
    sceneSprite->setShadingParameter(level, density);
    sceneSprite->apply();
}

int32_t CSprite::getShadingLevel()
{
    return sceneSprite ? sceneSprite->getShadingLevel() : 0;
}

float CSprite::getShadingDensity()
{
    return sceneSprite ? sceneSprite->getShadingDensity() : 0.0f;
}

void CSprite::setDisplacementMap(CSpriteDisplacementMap* map)
{
    // Held before the old one goes: it may be the same map.
    if (map && sceneSprite)
        map->addRef();
    releaseHeld(displacementMap);
    if (!sceneSprite)
        return;
    displacementMap = map;
    sceneSprite->setDisplacementMap(map ? map->getEffectMap() : nullptr);
}

void CSprite::setShadeMask(CSpriteShadeMask* shadeMask)
{
    if (sceneSprite)
        sceneSprite->setShadeMap(shadeMask ? shadeMask->getEffectMap() : nullptr);
}

void CSprite::setTextureFiltering(int32_t mode)
{
    textureFiltering = mode;
    dirty = 1;
}

void CSprite::setColorLevel(const float& min, const float& max, const float& power, const float& duration,
                            const int32_t& easing)
{
    colorLevel.set(colorLevel.value, Vector3D(min, max, power), toWholeMilliseconds(duration), curveOf(easing));
    if (sceneSprite && duration == 0.0f)
    {
        sceneSprite->setColorLevel(&min, &max, &power);
        sceneSprite->apply();
    }
}

float CSprite::getColorLevelMin()
{
    return sceneSprite ? sceneSprite->getColorLevelMin() : 0.0f;
}

float CSprite::getColorLevelMax()
{
    return sceneSprite ? sceneSprite->getColorLevelMax() : 1.0f;
}

float CSprite::getColorLevelPower()
{
    return sceneSprite ? sceneSprite->getColorLevelPower() : 1.0f;
}

void CSprite::setCamera(Kavro::ICamera* newCamera, const float& distance, const float& fieldOfView)
{
    if (newCamera)
        newCamera->addRef();
    releaseHeld(camera);
    camera = newCamera;
    if (Kavro::IQuad* quad = baseQuad())
        quad->setCamera(camera);
    cameraParam = distance;
    dirty = 1;
    const float scale = CameraPixelScale(camera, distance, fieldOfView, getTargetViewSize().y);
    worldScale = Vector3D(scale, scale, scale);
}

void CSprite::setDither(int32_t enable, int32_t width, int32_t height, const std::string& textureName)
{
    Kavro::IRenderDevice* device = renderDevice();
    Kavro::ITexture* pattern = nullptr;
    if (enable && device)
    {
        if (!textureName.empty())
            pattern = device->loadTexture(textureName.c_str(), 0, 0);
        // The device keeps its pattern; the sprite holds it like a loaded one until it has handed it on.
        if (!pattern && (pattern = device->getDitherTexture()))
            pattern->addRef();
    }
    Kavro::IQuad* quad = colorSprite ? colorSprite : static_cast<Kavro::IQuad*>(sceneSprite);
    if (quad)
        quad->setDither(pattern, Vector2D(float(width), float(height)));
    releaseHeld(pattern);
}

void CSprite::setRadialBlur(float centreX, float centreY, float fromPower, float toPower, int32_t duration,
                            int32_t easing)
{
    if (!sceneSprite)
        return;
    radialBlur.vector = Vector2D(centreX, centreY);
    sceneSprite->setRadialBlurCenter(radialBlur.vector);
    radialBlur.power.set(fromPower, toPower, millisecondsOf(duration), curveOf(easing));
    radialBlur.dirty = 1;
    sceneSprite->setRadialBlurPower(radialBlur.power.scaledValue);
}

void CSprite::setDirectionalBlur(float directionX, float directionY, float fromPower, float toPower,
                                 int32_t duration, int32_t easing)
{
    if (!sceneSprite)
        return;
    directionalBlur.vector = Vector2D(directionX, directionY);
    sceneSprite->setDirectionalBlurDirection(directionalBlur.vector);
    directionalBlur.power.set(fromPower, toPower, millisecondsOf(duration), curveOf(easing));
    directionalBlur.dirty = 1;
    sceneSprite->setDirectionalBlurPower(directionalBlur.power.scaledValue);
}

void CSprite::setRipple(float centreX, float centreY, float power, float frequency, float speed, int32_t duration,
                        int32_t easing)
{
    if (!sceneSprite)
        return;
    ripple.center = Vector2D(centreX, centreY);
    const uint32_t time = millisecondsOf(duration);
    const int32_t curve = curveOf(easing);
    ripple.power.set(ripple.power.value, power, time, curve);
    ripple.frequency.set(ripple.frequency.value, frequency, time, curve);
    ripple.speed.set(ripple.speed.value, speed, time, curve);
    sceneSprite->setRippleFrequency(ripple.frequency.scaledValue);
    sceneSprite->setRipplePower(ripple.power.scaledValue);
    sceneSprite->setRippleCenter(ripple.center);
    ripple.dirty = 1;
}

void CSprite::setRipplePhase(const float& phase)
{
    ripple.phase = phase;
    ripple.dirty = 1;
}

void CSprite::setRaster(float rotate, float power, float frequency, float speed, float duration, int32_t easing)
{
    if (!sceneSprite)
        return;
    const uint32_t time = toWholeMilliseconds(duration);
    const int32_t curve = curveOf(easing);
    raster.rotation.set(raster.rotation.scaledValue, rotate, time, curve);
    raster.power.set(raster.power.scaledValue, power, time, curve);
    raster.frequency.set(raster.frequency.scaledValue, frequency, time, curve);
    raster.speed.set(raster.speed.scaledValue, speed, time, curve);
    sceneSprite->setRasterFrequency(raster.frequency.scaledValue);
    sceneSprite->setRasterPower(raster.power.scaledValue);
    sceneSprite->setRasterRotate(&raster.rotation.scaledValue);
    raster.dirty = 1;
}

void CSprite::setRasterPhase(const float& phase)
{
    raster.phase = phase;
    raster.dirty = 1;
}

void CSprite::setLens(const Vector2D& centre, float power, float radius, float duration, int32_t easing)
{
    if (!sceneSprite)
        return;
    const uint32_t time = toWholeMilliseconds(duration);
    const int32_t curve = curveOf(easing);
    lens.center.set(lens.center.scaledValue, centre, time, curve);
    lens.power.set(lens.power.scaledValue, power, time, curve);
    lens.radius.set(lens.radius.scaledValue, radius, time, curve);
    sceneSprite->setLensCenter(&lens.center.scaledValue);
    sceneSprite->setLensPower(lens.power.scaledValue);
    sceneSprite->setLensRadius(lens.radius.scaledValue);
    lens.dirty = 1;
}

void CSprite::pushEffects()
{
    if (transitionDirty)
    {
        if (Kavro::IQuad* quad = baseQuad())
            quad->setTransition(transitionValue.from, transitionValue.to, transitionValue.scaledValue,
                                transitionVague);
        transitionDirty = 0;
    }
    Kavro::ISpriteQuad* quad = sceneSprite;
    if (movie)
    {
        movie->updateFrame(texture);
        if (quad)
            quad->apply();
    }
    if (colorLevelDirty)
    {
        if (quad)
        {
            const Vector3D& level = colorLevel.scaledValue;
            quad->setColorLevel(&level.x, &level.y, &level.z);
            quad->apply();
        }
        colorLevelDirty = 0;
    }
    // Blurs, waves and the lens keep their marks until there is a quad to take them.
    if (!quad)
    {
        std::fill(std::begin(colorEffectDirty), std::end(colorEffectDirty), 0u);
        return;
    }
    if (radialBlur.dirty)
    {
        quad->setRadialBlurPower(radialBlur.power.scaledValue);
        quad->apply();
        radialBlur.dirty = 0;
    }
    if (directionalBlur.dirty)
    {
        quad->setDirectionalBlurPower(directionalBlur.power.scaledValue);
        quad->apply();
        directionalBlur.dirty = 0;
    }
    if (ripple.dirty)
    {
        quad->setRippleFrequency(ripple.frequency.scaledValue);
        quad->setRipplePower(ripple.power.scaledValue);
        quad->setRipplePhase(ripple.phase);
        quad->apply();
        ripple.dirty = 0;
    }
    if (raster.dirty)
    {
        quad->setRasterFrequency(raster.frequency.scaledValue);
        quad->setRasterPower(raster.power.scaledValue);
        quad->setRasterPhase(raster.phase);
        quad->setRasterRotate(&raster.rotation.scaledValue);
        quad->apply();
        raster.dirty = 0;
    }
    if (lens.dirty)
    {
        quad->setLensCenter(&lens.center.scaledValue);
        quad->setLensPower(lens.power.scaledValue);
        quad->setLensRadius(lens.radius.scaledValue);
        quad->apply();
        lens.dirty = 0;
    }
    const auto push = [this, quad](ColorEffect which, int (Kavro::ISpriteQuad::*set)(float)) {
        if (!colorEffectDirty[which])
            return;
        (quad->*set)(colorEffect[which].scaledValue);
        quad->apply();
        colorEffectDirty[which] = 0;
    };
    push(Hue, &Kavro::ISpriteQuad::setColorHue);
    push(Saturation, &Kavro::ISpriteQuad::setColorSaturation);
    push(Brightness, &Kavro::ISpriteQuad::setColorBrightness);
    push(Glow, &Kavro::ISpriteQuad::setColorGlow);
    push(Negaposi, &Kavro::ISpriteQuad::setNegaposiPower);
    push(Monochrome, &Kavro::ISpriteQuad::setMonochromePower);
    if (colorEffectDirty[Shading])
    {
        // Not applied: the shading power waits for the next group's apply.
        quad->setShadingPower(std::clamp(colorEffect[Shading].scaledValue, 0.0f, 1.0f));
        colorEffectDirty[Shading] = 0;
    }
}

void CSprite::pushColourBalance()
{
    if (!colorBalanceDirty)
        return;
    colorBalanceDirty = 0;
    Vector3D b = colorBalance.scaledValue;
    if (b.Length() == 0.0f)
        b = Vector3D(1.0f, 1.0f, 1.0f);
    const Vector3D c = b.GetNormalize() - Vector3D(1.0f, 1.0f, 1.0f).GetNormalize() + Vector3D(1.0f, 1.0f, 1.0f);
    if (sceneSprite)
    {
        sceneSprite->setColorBalance(c.x, c.y, c.z, 1.0f);
        sceneSprite->apply();
    }
}

} // namespace Orvane
