#include "sprite/CSprite.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "sprite/CEffectRandomShake.h"

#include <kavro/IMovie.h>

namespace Orvane
{

namespace
{

using Kavro::Vector2D;
using Kavro::Vector3D;

// Negative indices too (as unsigned) name no curve and ease linearly.
int32_t curveOf(uint32_t easing)
{
    return easing < uint32_t(EasingCount) ? int32_t(easing) : 0;
}

template <class T> void easeTo(CInterpolator<T>& interpolator, const T& target, uint32_t time, uint32_t easing)
{
    interpolator.set(interpolator.value, target, time, curveOf(easing));
}

const Vector2D noOffset;

} // namespace

void CSprite::fade(float value, uint32_t time, uint32_t easing)
{
    easeTo(opacity, value, time, easing);
    dirty = 1;
}

void CSprite::move(const Vector2D& to, uint32_t time, uint32_t easing)
{
    move(to.x, to.y, time, easing);
}

void CSprite::move(float x, float y, uint32_t time, uint32_t easing)
{
    move3D(x, y, position.scaledValue.z, time, easing);
}

void CSprite::move3D(float x, float y, float z, uint32_t time, uint32_t easing)
{
    easeTo(position, Vector3D(x, y, z), time, easing);
    resetSpline();
    resetBezier();
    dirty = 1;
}

void CSprite::moveVertex(int32_t index, float x, float y, uint32_t time, uint32_t easing)
{
    for (int i = 0; i < 4; ++i)
        if (index < 0 || index == i)
            easeTo(vertexMove[i], Vector2D(x, y), time, easing);
    // A timed ease marks the sprite through the update while it runs.
    if (time == 0)
        dirty = 1;
}

void CSprite::scale(const Vector2D& value, uint32_t time, uint32_t easing)
{
    scale(value.x, value.y, time, easing);
}

void CSprite::scale(float x, float y, uint32_t time, uint32_t easing)
{
    easeTo(scaling, Vector2D(x, y), time, easing);
    dirty = 1;
}

void CSprite::rotate(const Vector3D& angles, uint32_t time, uint32_t easing)
{
    rotate(angles.x, angles.y, angles.z, time, easing);
}

void CSprite::rotate(float x, float y, float z, uint32_t time, uint32_t easing)
{
    easeTo(rotation, Vector3D(x, y, z), time, easing);
    dirty = 1;
}

void CSprite::scroll(float x, float y, uint32_t time, uint32_t easing)
{
    easeTo(scrollSpeed, Vector2D(x, y), time, easing);
}

const Vector2D& CSprite::getVertexMove(const int32_t& index)
{
    return index >= 0 && index < 4 ? vertexMove[index].scaledValue : noOffset;
}

uint32_t CSprite::isMoving()
{
    return position.active || bezier.progress.active || spline.progress.active ? 1 : 0;
}

uint32_t CSprite::isShaking()
{
    return shakeEffect ? shakeEffect->isShaking() : 0;
}

void CSprite::resetBezier()
{
    bezier.reset();
    bezier.progress.complete();
}

void CSprite::setBezier(const Vector3D& point)
{
    bezier.addPoint(point);
}

void CSprite::beginBezier(float duration, uint32_t easing)
{
    if (bezier.begin(duration, int32_t(easing)) >= 0)
        bezier.progress.timeScale = timeScale;
}

void CSprite::resetSpline()
{
    spline.reset();
}

void CSprite::setSpline(const Vector3D& point, const float& time, float weight)
{
    spline.addPoint(point, time, weight);
}

void CSprite::beginSpline(uint32_t duration, uint32_t easing)
{
    spline.begin(float(duration), int32_t(easing));
    resetBezier();
    position.complete();
    position.value = spline.current;
    position.scaledValue = position.value * position.valueScale;
    dirty = 1;
}

namespace
{

template <class Effect>
CEffectShake* startShake(CEffectShake*& held, float timeScale, const Vector3D& from, const Vector3D& to,
                         uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    if (held)
        held->release();
    held = new Effect;
    held->begin(from, to, period, mode, duration, easing, swingEasing);
    held->setTimeScale(timeScale);
    return held;
}

} // namespace

void CSprite::shake(const Vector3D& startAmplitude, const Vector3D& endAmplitude, uint32_t period, uint32_t mode,
                    uint32_t duration, int32_t easing, int32_t swingEasing)
{
    startShake<CEffectShake>(shakeEffect, timeScale, startAmplitude, endAmplitude, period, mode, duration, easing,
                             swingEasing);
}

void CSprite::randomShake(const Vector3D& startAmplitude, const Vector3D& endAmplitude, uint32_t period,
                          uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    startShake<CEffectRandomShake>(shakeEffect, timeScale, startAmplitude, endAmplitude, period, mode, duration,
                                   easing, swingEasing);
}

Vector3D CSprite::shakeOffset() const
{
    // Only a shaking effect moves the sprite; a finished or stopped one leaves it at rest.
    if (!shakeEffect || !shakeEffect->isShaking())
        return {};
    return shakeEffect->getOffset();
}

int CSprite::updateShake()
{
    if (!shakeEffect || !shakeEffect->isShaking())
        return 0;
    shakeEffect->update();
    return 1;
}

void CSprite::setTimeScale(float s)
{
    timeScale = s;
    auto scaleAll = [s](auto&... interpolators) { ((interpolators.timeScale = s), ...); };
    scaleAll(opacity, position, scaling, rotation, transitionValue, volume, bezier.progress, spline.progress, scrollSpeed,
             radialBlur.power, directionalBlur.power, colorLevel, ripple.power, ripple.frequency, ripple.speed,
             raster.power, raster.frequency, raster.speed, raster.rotation, lens.center, lens.power, lens.radius,
             splitAction, colorBalance);
    for (auto& effect : colorEffect)
        effect.timeScale = s;
    for (auto& colour : vertexColor)
        colour.timeScale = s;
    if (shakeEffect)
        shakeEffect->setTimeScale(s);
    if (movie)
        movie->setSpeed(timeScale);
}

void CSprite::setActionCompatibleMode(const int32_t& mode)
{
    actionCompatibleMode = uint32_t(mode);
    dirty = 1;
}

int CSprite::saveEffect(CFile& file)
{
    CChunkWriter chunk(file);
    const uint32_t type = shakeEffect ? shakeEffect->type : 0;
    bool ok = chunk.fieldDword(type);
    if (ok && shakeEffect && type != 0)
        ok = chunk.marker() && shakeEffect->save(file);
    return chunk.close() && ok ? 1 : 0;
}

int CSprite::loadEffect(CFile& file)
{
    CChunkReader chunk(file);
    uint32_t type = 0;
    if (!chunk.fieldDword(type))
        return chunk.finish();
    if (shakeEffect)
        shakeEffect->release();
    shakeEffect = nullptr;
    if (type == 1 || type == 2)
    {
        shakeEffect = type == 1 ? new CEffectShake : new CEffectRandomShake;
        if (!(chunk.marker() && chunk.check(shakeEffect->load(file) != 0)))
        {
            // A damaged record leaves the effect in place but still, so nothing divides by its fields.
            shakeEffect->timeline.active = 0;
            shakeEffect->swing.active = 0;
        }
    }
    return chunk.finish();
}

} // namespace Orvane
