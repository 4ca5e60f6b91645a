// The methods of "SQSprite" that hand their arguments to the engine sprite.
#include "sprite/Squirrel/SQSprite.h"

#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CVolumeControl.h"
#include "script/CSquirrel.h"
#include "sprite/CEffectShake.h"

#include <string>

namespace Orvane::Squirrel
{

namespace
{

// SQMATH_RET_1 among the host's scratch values.
constexpr int firstResultValue = 14;

// A negative time from a script means at once, not a wait of billions of milliseconds.
uint32_t scriptTime(int time)
{
    return time > 0 ? uint32_t(time) : 0;
}

} // namespace

void SQSprite::setResults(std::initializer_list<float> values)
{
    CSquirrel* host = CSquirrel::get();
    if (!host) return;
    int at = firstResultValue;
    for (float value : values)
        host->mathValue(at++) = value;
}

namespace
{

Kavro::Vector3D vectorOrZero(const Kavro::Vector3D* value)
{
    return value ? *value : Kavro::Vector3D();
}

} // namespace

// ---- Motions

void SQSprite::fade(float value, int time, int easing)
{
    engine->fade(value, scriptTime(time), uint32_t(easing));
}

void SQSprite::move(float x, float y, int time, int easing)
{
    engine->move(x, y, scriptTime(time), uint32_t(easing));
}

void SQSprite::move3D(float x, float y, float z, int time, int easing)
{
    engine->move3D(x, y, z, scriptTime(time), uint32_t(easing));
}

void SQSprite::moveVertex(int index, float x, float y, int time, int easing)
{
    engine->moveVertex(index, x, y, scriptTime(time), uint32_t(easing));
}

void SQSprite::scale(float x, float y, int time, int easing)
{
    engine->scale(x, y, scriptTime(time), uint32_t(easing));
}

void SQSprite::rotate(float x, float y, float z, int time, int easing)
{
    engine->rotate(x, y, z, scriptTime(time), uint32_t(easing));
}

void SQSprite::scroll(float x, float y, int time, int easing)
{
    engine->scroll(x, y, scriptTime(time), uint32_t(easing));
}

void SQSprite::transition(float from, float to, float vague, const char* maskName, int time, int easing)
{
    const std::string mask = maskName ? maskName : "";
    engine->loadTransitionMask(mask, 1);
    engine->transition(from, to, vague, scriptTime(time), uint32_t(easing));
}

void SQSprite::shake(Kavro::Vector3D* start, Kavro::Vector3D* end, int period, int mode, int time, int easing,
                     int swingEasing)
{
    engine->shake(vectorOrZero(start), vectorOrZero(end), uint32_t(period), uint32_t(mode), scriptTime(time),
                  easing, swingEasing);
}

void SQSprite::randomShake(Kavro::Vector3D* start, Kavro::Vector3D* end, int period, int mode, int time,
                           int easing, int swingEasing)
{
    engine->randomShake(vectorOrZero(start), vectorOrZero(end), uint32_t(period), uint32_t(mode),
                        scriptTime(time), easing, swingEasing);
}

// ---- Sprite state

void SQSprite::setBlendMode(int mode)
{
    engine->setBlendMode(mode);
}

void SQSprite::setCenter(float x, float y)
{
    engine->setCenter(Kavro::Vector2D(x, y));
}

void SQSprite::setPivot(int x, int y)
{
    engine->setPivot(Kavro::Vector2D(float(x), float(y)));
}

void SQSprite::setClickable(int clickable, int pixelHitTest)
{
    engine->setClickable(uint32_t(clickable), uint32_t(pixelHitTest));
}

void SQSprite::setChangeCursor(int flag)
{
    engine->setChangeCursor(uint32_t(flag));
}

void SQSprite::setTextureFiltering(int mode)
{
    engine->setTextureFiltering(mode);
}

void SQSprite::setActionCompatibleMode(int mode)
{
    engine->setActionCompatibleMode(mode);
}

void SQSprite::setUVOffset(float u, float v)
{
    engine->setUVOffset(Kavro::Vector2D(u, v));
}

void SQSprite::setDither(int enable, int width, int height, const char* textureName)
{
    const std::string name = textureName ? textureName : "";
    engine->setDither(enable, width, height, name);
}

// ---- Movie sound

void SQSprite::setVolume(float value, int time, int easing)
{
    engine->setVolume(value, scriptTime(time), uint32_t(easing));
}

float SQSprite::getVolume()
{
    return engine->getVolume();
}

int SQSprite::isPlaying()
{
    return int(engine->isPlaying());
}

void SQSprite::addSoundGroup(const char* group, int a, float level)
{
    CVolumeControl* control = engine->volumeControl;
    CApp* app = CApp::get();
    if (!control || !app || !app->soundManager) return;
    if (CSoundGroup* found = app->soundManager->findSoundGroup(group ? group : ""))
        control->addSoundGroup(found, a, level);
}

void SQSprite::setVolumeControlFadeTime(float riseTime, int riseEasing, float fallTime, int fallEasing)
{
    CVolumeControl* control = engine->volumeControl;
    if (!control) return;
    control->fadeInTime = riseTime;
    control->fadeInCurve = riseEasing;
    control->fadeOutTime = fallTime;
    control->fadeOutCurve = fallEasing;
}

// ---- Paths

void SQSprite::resetBezier()
{
    engine->resetBezier();
}

void SQSprite::setBezier(float x, float y, float z)
{
    engine->setBezier(Kavro::Vector3D(x, y, z));
}

void SQSprite::beginBezier(int time, int easing)
{
    engine->beginBezier(float(scriptTime(time)), uint32_t(easing));
}

void SQSprite::resetSpline()
{
    engine->resetSpline();
}

void SQSprite::setSpline(float x, float y, float z, int time, float weight)
{
    engine->setSpline(Kavro::Vector3D(x, y, z), float(scriptTime(time)), weight);
}

void SQSprite::beginSpline(int time, int easing)
{
    engine->beginSpline(scriptTime(time), uint32_t(easing));
}

// ---- Colour effects

void SQSprite::setColor(int vertex, float r, float g, float b, int time, int easing)
{
    engine->setColor(vertex, r, g, b, float(scriptTime(time)), uint32_t(easing));
}

void SQSprite::setColorBalance(float r, float g, float b, int time, int easing)
{
    engine->setColorBalance(r, g, b, float(scriptTime(time)), easing);
}

void SQSprite::setColorHue(float value, int time, int easing)
{
    engine->setColorHue(value, float(scriptTime(time)), easing);
}

void SQSprite::setColorSaturation(float value, int time, int easing)
{
    engine->setColorSaturation(value, float(scriptTime(time)), easing);
}

void SQSprite::setColorBrightness(float value, int time, int easing)
{
    engine->setColorBrightness(value, float(scriptTime(time)), easing);
}

void SQSprite::setColorGlow(float value, int time, int easing)
{
    engine->setColorGlow(value, float(scriptTime(time)), easing);
}

void SQSprite::setNegaposiPower(float value, int time, int easing)
{
    engine->setNegaposiPower(value, float(scriptTime(time)), easing);
}

void SQSprite::setMonochromePower(float value, int time, int easing)
{
    engine->setMonochromePower(value, float(scriptTime(time)), easing);
}

void SQSprite::setShadingPower(float value, int time, int easing)
{
    engine->setShadingPower(value, float(scriptTime(time)), easing);
}

void SQSprite::setShadingParameter(int level, float density)
{
    engine->setShadingParameter(level, density);
}

void SQSprite::setColorLevel(float min, float max, float power, float duration, int easing)
{
    engine->setColorLevel(min, max, power, duration, easing);
}

// ---- Image filters

void SQSprite::setRadialBlur(float centreX, float centreY, float fromPower, float toPower, int time,
                             int easing)
{
    engine->setRadialBlur(centreX, centreY, fromPower, toPower, time, easing);
}

void SQSprite::setDirectionalBlur(float directionX, float directionY, float fromPower, float toPower,
                                  int time, int easing)
{
    engine->setDirectionalBlur(directionX, directionY, fromPower, toPower, time, easing);
}

void SQSprite::setRipple(float centreX, float centreY, float power, float frequency, float speed,
                         float duration, int easing)
{
    engine->setRipple(centreX, centreY, power, frequency, speed, int(duration), easing);
}

void SQSprite::setRipplePhase(float phase)
{
    engine->setRipplePhase(phase);
}

void SQSprite::setRaster(float rotate, float power, float frequency, float speed, float duration, int easing)
{
    engine->setRaster(rotate, power, frequency, speed, duration, easing);
}

void SQSprite::setRasterPhase(float phase)
{
    engine->setRasterPhase(phase);
}

void SQSprite::setLens(float centreX, float centreY, float power, float radius, float duration, int easing)
{
    engine->setLens(Kavro::Vector2D(centreX, centreY), power, radius, duration, easing);
}

// ---- Split actions

void SQSprite::splitFace(int rows, int columns, float mergeRatio, int seed, int even)
{
    engine->splitFace(rows, columns, mergeRatio, seed, even);
}

void SQSprite::clearSplitAction()
{
    engine->clearSplitAction();
}

int SQSprite::pushSplitAction(SquirrelObject table)
{
    SplitActionDesc desc;
    if (!readSplitAction(table, desc)) return -1;
    engine->pushSplitAction(desc);
    return 0;
}

void SQSprite::beginSplitAction(float from, float to, float duration, int easing, int keepRunning)
{
    engine->beginSplitAction(from, to, duration, easing, keepRunning);
}

// ---- Scalar queries

float SQSprite::getFade()
{
    return engine->getFade();
}

float SQSprite::getColorHue()
{
    return engine->colorEffect[CSprite::Hue].scaledValue;
}

float SQSprite::getColorSaturation()
{
    return engine->colorEffect[CSprite::Saturation].scaledValue;
}

float SQSprite::getColorBrightness()
{
    return engine->colorEffect[CSprite::Brightness].scaledValue;
}

float SQSprite::getColorGlow()
{
    return engine->colorEffect[CSprite::Glow].scaledValue;
}

float SQSprite::getNegaposiPower()
{
    return engine->colorEffect[CSprite::Negaposi].scaledValue;
}

float SQSprite::getMonochromePower()
{
    return engine->colorEffect[CSprite::Monochrome].scaledValue;
}

float SQSprite::getShadingPower()
{
    return engine->colorEffect[CSprite::Shading].scaledValue;
}

float SQSprite::getShadingDensity()
{
    return engine->getShadingDensity();
}

int SQSprite::getShadingLevel()
{
    return engine->getShadingLevel();
}

float SQSprite::getColorLevelMin()
{
    return engine->colorLevel.scaledValue.x;
}

float SQSprite::getColorLevelMax()
{
    return engine->colorLevel.scaledValue.y;
}

float SQSprite::getColorLevelPower()
{
    return engine->colorLevel.scaledValue.z;
}

float SQSprite::getRadialBlurPower()
{
    return engine->radialBlur.power.scaledValue;
}

float SQSprite::getDirectionalBlurPower()
{
    return engine->directionalBlur.power.scaledValue;
}

float SQSprite::getRipplePower()
{
    return engine->ripple.power.scaledValue;
}

float SQSprite::getRippleFrequency()
{
    return engine->ripple.frequency.scaledValue;
}

float SQSprite::getRippleSpeed()
{
    return engine->ripple.speed.scaledValue;
}

float SQSprite::getRipplePhase()
{
    return engine->ripple.phase;
}

float SQSprite::getRasterRotate()
{
    return engine->raster.rotation.scaledValue;
}

float SQSprite::getRasterPower()
{
    return engine->raster.power.scaledValue;
}

float SQSprite::getRasterFrequency()
{
    return engine->raster.frequency.scaledValue;
}

float SQSprite::getRasterSpeed()
{
    return engine->raster.speed.scaledValue;
}

float SQSprite::getRasterPhase()
{
    return engine->raster.phase;
}

float SQSprite::getLensPower()
{
    return engine->lens.power.scaledValue;
}

float SQSprite::getLensRadius()
{
    return engine->lens.radius.scaledValue;
}

int SQSprite::isFading()
{
    return int(engine->isFading());
}

int SQSprite::isMoving()
{
    return int(engine->isMoving());
}

int SQSprite::isScaling()
{
    return int(engine->isScaling());
}

int SQSprite::isRotating()
{
    return int(engine->isRotating());
}

int SQSprite::isShaking()
{
    return int(engine->isShaking());
}

int SQSprite::isTransitioning()
{
    return int(engine->isTransitioning());
}

int SQSprite::isOver(int firstFrameOnly)
{
    return engine->isOver(firstFrameOnly);
}

int SQSprite::isDown(int mode)
{
    return engine->isDown(mode);
}

int SQSprite::isUp()
{
    return engine->isUp(1);
}

int SQSprite::isCaptureEnabled()
{
    return int(captureEnabled);
}

int SQSprite::isDeletedTexture()
{
    return int(engine->textureDeleted);
}

const char* SQSprite::getTransitionFilename()
{
    return engine->getTransitionFilename().c_str();
}

// ---- Vector queries

void SQSprite::getSize()
{
    const std::vector<int32_t> rect = engine->getSize();
    setResults({float(rect[2]), float(rect[3]), 0.0f, 0.0f});
}

void SQSprite::getMove()
{
    const Kavro::Vector3D at = engine->getMove();
    setResults({at.x, at.y, at.z, 0.0f});
}

void SQSprite::getVertexMove(int index)
{
    const Kavro::Vector2D offset = engine->getVertexMove(index);
    setResults({offset.x, offset.y, 0.0f, 0.0f});
}

void SQSprite::getScale()
{
    const Kavro::Vector2D value = engine->getScale();
    setResults({value.x, value.y, 0.0f, 0.0f});
}

void SQSprite::getRotate()
{
    const Kavro::Vector3D value = engine->getRotate();
    setResults({value.x, value.y, value.z, 0.0f});
}

void SQSprite::getScroll()
{
    const Kavro::Vector2D value = engine->getScroll();
    setResults({value.x, value.y, 0.0f, 0.0f});
}

void SQSprite::getColor(int vertex)
{
    if (vertex >= 0)
    {
        const Kavro::ColorF c = engine->getColor(vertex);
        setResults({c.r, c.g, c.b, c.a});
        return;
    }
    Kavro::ColorF c[4];
    for (int corner = 0; corner < 4; ++corner)
        c[corner] = engine->getColor(corner);
    setResults({c[0].r, c[0].g, c[0].b, c[0].a, c[1].r, c[1].g, c[1].b, c[1].a, c[2].r, c[2].g, c[2].b,
                c[2].a, c[3].r, c[3].g, c[3].b, c[3].a});
}

void SQSprite::getColorBalance()
{
    const Kavro::Vector3D value = engine->colorBalance.scaledValue;
    setResults({value.x, value.y, value.z, 1.0f});
}

void SQSprite::getRadialBlurCenter()
{
    setResults({engine->radialBlur.vector.x, engine->radialBlur.vector.y, 0.0f, 0.0f});
}

void SQSprite::getDirectionalBlurDirection()
{
    setResults({engine->directionalBlur.vector.x, engine->directionalBlur.vector.y, 0.0f, 0.0f});
}

void SQSprite::getRippleCenter()
{
    setResults({engine->ripple.center.x, engine->ripple.center.y, 0.0f, 0.0f});
}

void SQSprite::getLensCenter()
{
    const Kavro::Vector2D value = engine->lens.center.scaledValue;
    setResults({value.x, value.y, 0.0f, 0.0f});
}

void SQSprite::getUVOffset()
{
    const Kavro::Vector2D value = engine->getUVOffset();
    setResults({value.x, value.y, 0.0f, 0.0f});
}

// ---- Timers

float SQSprite::getFadeTimer()
{
    return engine->getFadeTimer();
}

float SQSprite::getMoveTimer()
{
    return engine->getMoveTimer();
}

float SQSprite::getScaleTimer()
{
    return engine->getScaleTimer();
}

float SQSprite::getRotateTimer()
{
    return engine->getRotateTimer();
}

float SQSprite::getTransitionTimer()
{
    return engine->getTransitionTimer();
}

float SQSprite::getShakeTimer()
{
    return engine->getShakeTimer();
}

float SQSprite::getScrollTimer()
{
    return engine->getScrollTimer();
}

float SQSprite::getColorBalanceTimer()
{
    return engine->getColorBalanceTimer();
}

float SQSprite::getColorHueTimer()
{
    return engine->getColorHueTimer();
}

float SQSprite::getColorSaturationTimer()
{
    return engine->getColorSaturationTimer();
}

float SQSprite::getColorBrightnessTimer()
{
    return engine->getColorBrightnessTimer();
}

float SQSprite::getColorGlowTimer()
{
    return engine->getColorGlowTimer();
}

float SQSprite::getNegaposiPowerTimer()
{
    return engine->getNegaposiPowerTimer();
}

float SQSprite::getMonochromePowerTimer()
{
    return engine->getMonochromePowerTimer();
}

float SQSprite::getShadingPowerTimer()
{
    return engine->getShadingPowerTimer();
}

float SQSprite::getRadialBlurTimer()
{
    return engine->getRadialBlurTimer();
}

float SQSprite::getDirectionalBlurTimer()
{
    return engine->getDirectionalBlurTimer();
}

float SQSprite::getSplineTimer()
{
    return engine->getSplineTimer();
}

float SQSprite::getVolumeTimer()
{
    return engine->getVolumeTimer();
}

float SQSprite::getBezierTimer()
{
    return engine->getBezierTimer();
}

float SQSprite::getColorLevelTimer()
{
    return engine->getColorLevelTimer();
}

float SQSprite::getRippleTimer()
{
    return engine->getRippleTimer();
}

float SQSprite::getRasterTimer()
{
    return engine->getRasterTimer();
}

float SQSprite::getLensTimer()
{
    return engine->getLensTimer();
}

float SQSprite::getSplitActionTimer()
{
    return engine->getSplitActionTimer();
}

void SQSprite::setFadeTimer(float t)
{
    engine->setFadeTimer(t);
}

void SQSprite::setMoveTimer(float t)
{
    engine->setMoveTimer(t);
}

void SQSprite::setScaleTimer(float t)
{
    engine->setScaleTimer(t);
}

void SQSprite::setRotateTimer(float t)
{
    engine->setRotateTimer(t);
}

void SQSprite::setTransitionTimer(float t)
{
    engine->setTransitionTimer(t);
}

void SQSprite::setShakeTimer(float t)
{
    engine->setShakeTimer(t);
}

void SQSprite::setScrollTimer(float t)
{
    engine->setScrollTimer(t);
}

void SQSprite::setColorBalanceTimer(float t)
{
    engine->setColorBalanceTimer(t);
}

void SQSprite::setColorHueTimer(float t)
{
    engine->setColorHueTimer(t);
}

void SQSprite::setColorSaturationTimer(float t)
{
    engine->setColorSaturationTimer(t);
}

void SQSprite::setColorBrightnessTimer(float t)
{
    engine->setColorBrightnessTimer(t);
}

void SQSprite::setColorGlowTimer(float t)
{
    engine->setColorGlowTimer(t);
}

void SQSprite::setNegaposiPowerTimer(float t)
{
    engine->setNegaposiPowerTimer(t);
}

void SQSprite::setMonochromePowerTimer(float t)
{
    engine->setMonochromePowerTimer(t);
}

void SQSprite::setShadingPowerTimer(float t)
{
    engine->setShadingPowerTimer(t);
}

void SQSprite::setRadialBlurTimer(float t)
{
    engine->setRadialBlurTimer(t);
}

void SQSprite::setDirectionalBlurTimer(float t)
{
    engine->setDirectionalBlurTimer(t);
}

void SQSprite::setSplineTimer(float t)
{
    engine->setSplineTimer(t);
}

void SQSprite::setVolumeTimer(float t)
{
    engine->setVolumeTimer(t);
}

void SQSprite::setBezierTimer(float t)
{
    engine->setBezierTimer(t);
}

void SQSprite::setColorLevelTimer(float t)
{
    engine->setColorLevelTimer(t);
}

void SQSprite::setRippleTimer(float t)
{
    engine->setRippleTimer(t);
}

void SQSprite::setRasterTimer(float t)
{
    engine->setRasterTimer(t);
}

void SQSprite::setLensTimer(float t)
{
    engine->setLensTimer(t);
}

void SQSprite::setSplitActionTimer(float t)
{
    engine->setSplitActionTimer(t);
}

float SQSprite::getMoveVertexTimer(int index)
{
    return engine->getMoveVertexTimer(index);
}

float SQSprite::getColorTimer(int index)
{
    return engine->getColorTimer(index);
}

void SQSprite::setMoveVertexTimer(int index, float t)
{
    engine->setMoveVertexTimer(index, t);
}

void SQSprite::setColorTimer(int index, float t)
{
    engine->setColorTimer(index, t);
}

// ---- Images

int SQSprite::saveImage(const char* fileName, int width, int height, int format)
{
    return engine->saveImage(fileName ? fileName : "", width, height, format);
}

} // namespace Orvane::Squirrel
