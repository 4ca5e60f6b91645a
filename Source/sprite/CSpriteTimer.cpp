#include "sprite/CSprite.h"

#include "sprite/CEffectShake.h"

#include <kavro/ISpriteQuad.h>

namespace Orvane
{

namespace
{

float clampTo(float t, float duration)
{
    return t < 0.0f ? 0.0f : (t > duration ? duration : t);
}

// The seek rule: t clamped once against the first interpolator's duration, then every interpolator of
// the member seeked with it (each clamping again to its own duration).
template <class First, class... Rest> void seekTimers(float t, First& first, Rest&... rest)
{
    const float at = clampTo(t, first.duration);
    first.setTime(at);
    (rest.setTime(at), ...);
}

bool validCorner(int32_t index)
{
    return index >= 0 && index < 4;
}

} // namespace

float CSprite::getFadeTimer()
{
    return opacity.elapsed;
}
float CSprite::getMoveTimer()
{
    return position.elapsed;
}
float CSprite::getMoveVertexTimer(const int32_t& index)
{
    return validCorner(index) ? vertexMove[index].elapsed : 0.0f;
}
float CSprite::getScaleTimer()
{
    return scaling.elapsed;
}
float CSprite::getRotateTimer()
{
    return rotation.elapsed;
}
float CSprite::getTransitionTimer()
{
    return transitionValue.elapsed;
}
float CSprite::getScrollTimer()
{
    return scrollSpeed.elapsed;
}
float CSprite::getRadialBlurTimer()
{
    return sceneSprite ? radialBlur.power.elapsed : 0.0f;
}
float CSprite::getDirectionalBlurTimer()
{
    return sceneSprite ? directionalBlur.power.elapsed : 0.0f;
}
float CSprite::getSplineTimer()
{
    return spline.progress.elapsed;
}
float CSprite::getVolumeTimer()
{
    return volume.elapsed;
}
float CSprite::getBezierTimer()
{
    return bezier.progress.elapsed;
}
float CSprite::getShakeTimer()
{
    return shakeEffect ? shakeEffect->getTimer() : 0.0f;
}
float CSprite::getColorLevelTimer()
{
    return colorLevel.elapsed;
}
float CSprite::getRippleTimer()
{
    return ripple.power.elapsed;
}
float CSprite::getRasterTimer()
{
    return raster.power.elapsed;
}
float CSprite::getLensTimer()
{
    return lens.power.elapsed;
}
float CSprite::getColorHueTimer()
{
    return colorEffect[Hue].elapsed;
}
float CSprite::getColorSaturationTimer()
{
    return colorEffect[Saturation].elapsed;
}
float CSprite::getColorBrightnessTimer()
{
    return colorEffect[Brightness].elapsed;
}
float CSprite::getColorGlowTimer()
{
    return colorEffect[Glow].elapsed;
}
float CSprite::getNegaposiPowerTimer()
{
    return colorEffect[Negaposi].elapsed;
}
float CSprite::getMonochromePowerTimer()
{
    return colorEffect[Monochrome].elapsed;
}
float CSprite::getShadingPowerTimer()
{
    return colorEffect[Shading].elapsed;
}
float CSprite::getColorTimer(int32_t index)
{
    if (index < 0)
        return vertexColor[0].elapsed;
    return index < 4 ? vertexColor[index].elapsed : 0.0f;
}
float CSprite::getColorBalanceTimer()
{
    return colorBalance.elapsed;
}
float CSprite::getSplitActionTimer()
{
    return splitAction.elapsed + splitActionTime;
}

void CSprite::setFadeTimer(float t)
{
    seekTimers(t, opacity);
    dirty = 1;
}
void CSprite::setMoveTimer(float t)
{
    seekTimers(t, position);
    dirty = 1;
}
void CSprite::setMoveVertexTimer(const int32_t& index, float t)
{
    if (!validCorner(index))
        return;
    seekTimers(t, vertexMove[index]);
    dirty = 1;
}
void CSprite::setScaleTimer(float t)
{
    seekTimers(t, scaling);
    dirty = 1;
}
void CSprite::setRotateTimer(float t)
{
    seekTimers(t, rotation);
    dirty = 1;
}
void CSprite::setTransitionTimer(float t)
{
    if (!hasSceneObject())
        return;
    seekTimers(t, transitionValue);
    transitionDirty = 1;
}
void CSprite::setScrollTimer(float t)
{
    seekTimers(t, scrollSpeed);
    dirty = 1;
}
// The blur powers reach the quad through the next render (their marks), like every other effect value.
void CSprite::setRadialBlurTimer(float t)
{
    if (!sceneSprite)
        return;
    seekTimers(t, radialBlur.power);
    radialBlur.dirty = 1;
}
void CSprite::setDirectionalBlurTimer(float t)
{
    if (!sceneSprite)
        return;
    seekTimers(t, directionalBlur.power);
    directionalBlur.dirty = 1;
}
void CSprite::setSplineTimer(float t)
{
    if (spline.keys.empty())
        return;
    spline.setTimer(clampTo(t, spline.progress.duration));
    position.value = spline.current;
    position.scaledValue = position.value * position.valueScale;
    dirty = 1;
}
void CSprite::setVolumeTimer(float t)
{
    seekTimers(t, volume);
    applyVolume();
}
void CSprite::setBezierTimer(float t)
{
    if (bezier.points.empty())
        return;
    seekTimers(t, bezier.progress);
    bezier.evaluate();
    position.value = bezier.current;
    position.scaledValue = position.value * position.valueScale;
    dirty = 1;
}
void CSprite::setShakeTimer(float t)
{
    if (!shakeEffect)
        return;
    const float at = t < 0.0f ? 0.0f : (t > shakeEffect->getDuration() ? shakeEffect->getDuration() : t);
    shakeEffect->setTimer(at);
}
void CSprite::setColorLevelTimer(float t)
{
    seekTimers(t, colorLevel);
    colorLevelDirty = 1;
}
void CSprite::setRippleTimer(float t)
{
    if (!sceneSprite)
        return;
    seekTimers(t, ripple.power, ripple.frequency, ripple.speed);
    ripple.dirty = 1;
}
void CSprite::setRasterTimer(float t)
{
    if (!sceneSprite)
        return;
    seekTimers(t, raster.power, raster.frequency, raster.speed, raster.rotation);
    raster.dirty = 1;
}
void CSprite::setLensTimer(float t)
{
    if (!sceneSprite)
        return;
    seekTimers(t, lens.power, lens.center, lens.radius);
    lens.dirty = 1;
}
void CSprite::setNegaposiPowerTimer(float t)
{
    seekTimers(t, colorEffect[Negaposi]);
    colorEffectDirty[Negaposi] = 1;
}
void CSprite::setMonochromePowerTimer(float t)
{
    seekTimers(t, colorEffect[Monochrome]);
    colorEffectDirty[Monochrome] = 1;
}
void CSprite::setShadingPowerTimer(float t)
{
    seekTimers(t, colorEffect[Shading]);
    colorEffectDirty[Shading] = 1;
}
void CSprite::setColorHueTimer(float t)
{
    seekTimers(t, colorEffect[Hue]);
    colorEffectDirty[Hue] = 1;
}
void CSprite::setColorSaturationTimer(float t)
{
    seekTimers(t, colorEffect[Saturation]);
    colorEffectDirty[Saturation] = 1;
}
void CSprite::setColorBrightnessTimer(float t)
{
    seekTimers(t, colorEffect[Brightness]);
    colorEffectDirty[Brightness] = 1;
}
void CSprite::setColorGlowTimer(float t)
{
    seekTimers(t, colorEffect[Glow]);
    colorEffectDirty[Glow] = 1;
}
void CSprite::setColorTimer(int32_t index, float t)
{
    if (index >= 4)
        return;
    for (int i = 0; i < 4; ++i)
        if (index < 0 || index == i)
            seekTimers(t, vertexColor[i]);
    vertexColorDirty = 1;
}
void CSprite::setColorBalanceTimer(float t)
{
    seekTimers(t, colorBalance);
    colorBalanceDirty = 1;
}
void CSprite::setSplitActionTimer(float t)
{
    seekTimers(t, splitAction);
    const float beyond = t - splitAction.elapsed;
    splitActionTime = splitActionRunning && beyond > 0.0f ? beyond : 0.0f;
    splitDirty = 1;
}

} // namespace Orvane
