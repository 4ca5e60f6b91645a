#include "particle/CParticleObject.h"

#include "core/ColourBytes.h"
#include "curve/Easing.h"
#include "particle/CParticle.h"
#include "particle/CParticleCollision.h"
#include "particle/CParticleEmitter.h"

#include <kavro/ISceneParticle.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cmath>

namespace Orvane::Particle
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

namespace
{

// Rates are per 1/60 s.
constexpr float StepsPerMs = 0.060000002f;

// One leg of a keyed value; a leg of no length stands at its end.
template <class T> T leg(int tempo, const T& from, const T& to, float span, float time)
{
    if (!(span > 0.0f))
        return to;
    return easingCurve<T>(tempo)(from, to, span, time);
}

Vector3D times(const Vector3D& a, const Vector3D& b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}

float& component(Vector3D& v, int i)
{
    return i == 0 ? v.x : i == 1 ? v.y : v.z;
}

uint32_t packColour(const Vector4D& c)
{
    return PackRgba(Vector3D(c.x, c.y, c.z), UnitColourByte(c.w));
}

} // namespace

template <class T> bool Keyed<T>::evaluate(T& out) const
{
    if (!(duration > 0.0f))
    {
        out = start;
        return true;
    }
    const float t = elapsed / duration;
    if (useMiddle && t <= middleTiming)
    {
        out = leg(middleTempo, start, middle, middleTiming, t);
        return true;
    }
    if (!useEnd)
        return false;
    if (useMiddle)
        out = leg(endTempo, middle, end, 1.0f - middleTiming, t - middleTiming);
    else
        out = leg(endTempo, start, end, 1.0f, t);
    return true;
}

template struct Keyed<float>;
template struct Keyed<Vector2D>;
template struct Keyed<Vector3D>;
template struct Keyed<Vector4D>;

// ---- Behaviours

void CParticleObject::CLocalRotate::apply(const float* dt)
{
    const float k = *dt * StepsPerMs;
    angle += velocity * k;
    velocity = (acceleration * k + velocity) * resist;
    resist += addResist * k;
    elapsed += *dt;
    if (duration > 0.0f && elapsed >= duration)
    {
        velocity = initialVelocity;
        resist = initialResist;
        elapsed = 0.0f;
    }
}

void CParticleObject::CVelocityLocalRotate::apply(const float*)
{
    const Vector3D d = (particle->position - particle->previousPosition).GetNormalize();
    const Vector3D x(1.0f, 0.0f, 0.0f);
    angle = std::acos(std::clamp(x.Dot(d), -1.0f, 1.0f)) * 57.29578f - 90.0f;
    if (x.Cross(d).z < 0.0f)
        angle = 180.0f - angle;
}

void CParticleObject::CGlobalRotate::apply(float dt)
{
    if (radiusKeys.duration > 0.0f)
        radiusKeys.evaluate(radius);
    else
        radius = radiusKeys.start;
    radiusKeys.elapsed += dt;
    for (int i = 0; i < 3; ++i)
    {
        const float duration = component(angularDuration, i);
        if (!(duration > 0.0f))
            continue;
        Keyed<float> keys;
        keys.start = component(angularStart, i);
        keys.useMiddle = angularUseMiddle;
        keys.middle = component(angularMiddle, i);
        keys.middleTiming = component(angularMiddleTiming, i);
        keys.middleTempo = angularMiddleTempo;
        keys.useEnd = angularUseEnd;
        keys.end = component(angularEnd, i);
        keys.endTempo = angularEndTempo;
        keys.elapsed = component(angularElapsed, i);
        keys.duration = duration;
        keys.evaluate(component(angularVelocity, i));
    }
    const float k = dt * StepsPerMs;
    angle += angularVelocity * k;
    angularVelocity += angularAcceleration * k;
    angularVelocity = times(angularVelocity, angularResist);
    angularResist += angularAddResist * k;
    for (int i = 0; i < 3; ++i)
    {
        float& e = component(angularElapsed, i);
        e += dt;
        const float duration = component(angularDuration, i);
        if (duration > 0.0f && e >= duration)
            e = 0.0f;
    }
}

Vector3D CParticleObject::CGlobalRotate::offset() const
{
    Vector3D x(0.0f, radius.x, 0.0f);
    Vector3D y(0.0f, 0.0f, radius.y);
    Vector3D z(radius.z, 0.0f, 0.0f);
    if (angle.x != 0.0f)
        x = x.Transform(Matrix4x4::GetRotationX(angle.x));
    if (angle.y != 0.0f)
        y = y.Transform(Matrix4x4::GetRotationY(angle.y));
    if (angle.z != 0.0f)
        z = z.Transform(Matrix4x4::GetRotationZ(angle.z));
    return x + y + z;
}

void CParticleObject::CScale::apply(const float* dt)
{
    current = keys.value();
    keys.elapsed += *dt;
    if (keys.duration > 0.0f && keys.elapsed >= keys.duration)
        keys.elapsed = 0.0f;
}

void CParticleObject::CColor::apply(float factor, const float* dt)
{
    current = keys.value() * factor;
    keys.elapsed += *dt;
    if (keys.duration > 0.0f && keys.elapsed >= keys.duration)
        keys.elapsed = 0.0f;
}

void CParticleObject::CMove::apply(const float* dt)
{
    const float k = *dt * StepsPerMs;
    const Vector3D a = attract.value();
    previousPosition = position;
    position += (times(direction, a) * attractPower + velocity) * k;
    velocity += acceleration * k;
    velocity = times(velocity, resist);
    resist += addResist * k;
    position.y -= gravity * k;
    gravity += gravityFactor * gravityBase * k;
    attract.elapsed += *dt;
}

void CParticleObject::CAnime::apply(const float* dt)
{
    if (!hasFrames)
        return;
    const std::vector<ParticleAnimationFrame>& frames = owner->animationFrames;
    auto take = [&](const ParticleAnimationFrame& f) {
        sourceRect[0] = f.x;
        sourceRect[1] = f.y;
        sourceRect[2] = f.width;
        sourceRect[3] = f.height;
    };
    if (!enabled)
    {
        if (frame < frames.size())
            take(frames[frame]);
        return;
    }
    if (frame >= frames.size())
        return;
    take(frames[frame]);
    frameElapsed += *dt;
    if (frameElapsed >= frames[frame].duration)
    {
        ++frame;
        frameElapsed = 0.0f;
        if (frame >= frames.size())
            frame = loop ? 0u : uint32_t(frames.size() - 1);
    }
}

// ---- The particle

CParticleObject::CParticleObject(CParticle* owner, uint32_t index) : CFrame({}, owner), owner(owner), index(index)
{
}

CParticleObject::~CParticleObject()
{
    for (CLocalRotate* rotate : {rotateX, rotateY, rotateZ})
        if (rotate)
            rotate->release();
    for (CParticle* child : {sameTimeChild, endlessChild, lostTimeChild})
    {
        if (!child)
            continue;
        owner->removeChild(child);
        child->release();
    }
}

Vector3D CParticleObject::getWorldScale()
{
    return getParent() ? getParent()->getWorldScale() : Vector3D(1.0f, 1.0f, 1.0f);
}

void CParticleObject::setEmitPosition(const Vector3D& p)
{
    move.position = p;
    move.previousPosition = p;
    position = p;
    previousPosition = p;
}

int CParticleObject::update(const float* frameTime)
{
    if (!alive)
        return -1;
    float dt = *frameTime;
    if (!started)
    {
        startDelay -= dt;
        if (!(startDelay < 0.0f))
            return 0;
        started = 1;
        dt = -startDelay;
        if (life > 0.0f && repeatCount >= repeatLimit && repeatLimit <= 0)
            dt = std::fmod(dt, life);
        startDelay = 0.0f;
        owner->playSound(startSoundName, startSoundLoop);
        if (sameTimeChild)
            sameTimeChild->startEmission();
    }
    age += dt;
    previousPosition = move.position + turn.offset();
    if (dt > 0.0f && step(&dt) < 0)
        return -1;
    if (endlessChild && !endlessChild->isAlive())
    {
        endlessChild->reset();
        endlessChild->startEmission();
    }
    if (life > 0.0f && age >= life)
    {
        ++repeatCount;
        if (repeatLimit > 0 && repeatCount >= repeatLimit)
        {
            alive = 0;
            owner->playSound(endSoundName, endSoundLoop);
            if (lostTimeChild)
                lostTimeChild->startEmission();
        }
        else
        {
            const float rest = std::fmod(age, life);
            const float zero = 0.0f;
            spawn(&zero);
            update(&rest);
        }
    }
    return 0;
}

int CParticleObject::step(const float* dt)
{
    turn.apply(*dt);
    scale.apply(dt);
    color.apply(owner->alpha, dt);
    move.apply(dt);
    const uint32_t touch = owner->collision
                               ? owner->collision->test(move.position, move.previousPosition, move.velocity,
                                                        move.direction)
                               : 0u;
    if (touch == CParticleCollision::Vanish)
    {
        alive = 0;
        return -1;
    }
    if (touch != CParticleCollision::None)
        move.gravity = move.gravityBase;
    anime.apply(dt);
    position = move.position + turn.offset();
    for (CLocalRotate* rotate : {rotateX, rotateY, rotateZ})
        if (rotate)
            rotate->apply(dt);
    return 0;
}

int CParticleObject::updateWorldMatrix()
{
    const float ax = rotateX ? rotateX->angle : 0.0f;
    const float ay = rotateY ? rotateY->angle : 0.0f;
    const float az = rotateZ ? rotateZ->angle : 0.0f;
    Matrix4x4 m;
    if (ax != 0.0f || ay != 0.0f || az != 0.0f)
        m.RotationZXY(ax, ay, az);
    m *= owner->billboardMatrix;
    if (captureOrigin)
    {
        const CParticleEmitter* emitter = owner->emitter;
        Vector3D p = emitter ? emitter->world.GetPosition() : Vector3D();
        p = p.TransformCoord(owner->world.Inverse());
        if (!owner->worldSpace && emitter)
        {
            const Vector3D systemScale = owner->getWorldScale();
            const Vector3D emitterScale = owner->emitter->getWorldScale();
            p = times(p, Vector3D(systemScale.x / emitterScale.x, systemScale.y / emitterScale.y,
                                  systemScale.z / emitterScale.z));
        }
        origin = p;
        captureOrigin = 0;
    }
    const Vector3D t = times(position, owner->getParticleScale()) + origin;
    m._41 = t.x;
    m._42 = t.y;
    m._43 = t.z;
    local = m;
    recordTrail();
    return CFrame::updateWorldMatrix();
}

int CParticleObject::draw()
{
    if (!alive)
        return -1;
    // An empty texture (one that did not load) shows nothing.
    if (!started || textureIndex >= owner->sceneParticles.size() || !owner->textures[textureIndex])
        return 0;
    if (owner->polylineCount != 0)
    {
        drawRibbon();
        return 0;
    }
    const Vector3D s = owner->getParticleScale();
    const Vector4D rect(float(anime.sourceRect[0]), float(anime.sourceRect[1]), float(anime.sourceRect[2]),
                        float(anime.sourceRect[3]));
    owner->sceneParticles[textureIndex]->addBillboard(local, Vector2D(scale.current.x * s.x, scale.current.y * s.y),
                                                      packColour(color.current), rect);
    return 0;
}

void CParticleObject::recordTrail()
{
    if (!alive || !started || owner->polylineCount == 0 || (!trail.empty() && trail.back().time == age))
        return;
    TrailPoint point;
    point.time = age;
    point.position = local.GetPosition();
    point.width = Vector4D(scale.current.x, 0.0f, 0.0f, 0.0f).Transform(local);
    point.colour = color.current;
    trail.push_back(point);
    while (trail.back().time - trail.front().time > owner->polylineTime)
        trail.pop_front();
    const float oldest = trail.front().time;
    const float span = trail.back().time - oldest;
    trailPositionCurve.reset();
    trailWidthCurve.reset();
    trailColorCurve.reset();
    trailAlphaCurve.reset();
    for (const TrailPoint& p : trail)
    {
        const float at = p.time - oldest;
        trailPositionCurve.addPoint(p.position, at, 1.0f);
        trailWidthCurve.addPoint(Vector3D(p.width.x, p.width.y, p.width.z), at, 1.0f);
        trailColorCurve.addPoint(Vector3D(p.colour.x, p.colour.y, p.colour.z), at, 1.0f);
        trailAlphaCurve.addPoint(p.colour.w, at, 1.0f);
    }
    trailPositionCurve.begin(span, 0);
    trailWidthCurve.begin(span, 0);
    trailColorCurve.begin(span, 0);
    trailAlphaCurve.begin(span, 0);
    trailPositionCurve.setTimer(span);
    trailWidthCurve.setTimer(span);
    trailColorCurve.setTimer(span);
    trailAlphaCurve.setTimer(span);
}

void CParticleObject::drawRibbon()
{
    const int32_t n = owner->polylineCount;
    // One sample has no length to spread over: such a ribbon shows nothing.
    if (n < 2 || trail.size() < 2)
        return;
    Kavro::ISceneParticle& target = *owner->sceneParticles[textureIndex];
    const float span = trail.back().time - trail.front().time;
    float fade = 1.0f;
    if (syncLifeTime && life > 0.0f)
        fade = std::clamp(1.0f - age / life, 0.0f, 1.0f);
    const uint32_t base = uint32_t(target.getVertexCount()) & 0xFFFFu;
    const Vector3D scaleBy = owner->getParticleScale();
    for (int32_t i = 0; i < n; ++i)
    {
        const float t = float(i) / float(n - 1);
        const float s = (t - 1.0f) * fade + 1.0f;
        const float at = s * span;
        trailPositionCurve.setTimer(at);
        trailWidthCurve.setTimer(at);
        trailColorCurve.setTimer(at);
        trailAlphaCurve.setTimer(at);
        const Vector3D centre = trailPositionCurve.current;
        const Vector3D half = times(trailWidthCurve.current, scaleBy) * (shrinkTail ? t * 0.5f : 0.5f);
        const Vector3D rgb = trailColorCurve.current;
        const float alpha = trailAlphaCurve.current * color.current.w * (fadeTail ? t : 1.0f);
        const uint32_t colour = packColour(Vector4D(rgb.x, rgb.y, rgb.z, alpha));
        const Kavro::ParticleVertex vertices[3] = {{centre - half, colour}, {centre, colour}, {centre + half, colour}};
        const Vector2D uv[3] = {{0.0f, 1.0f - s}, {0.5f, 1.0f - s}, {1.0f, 1.0f - s}};
        target.addVertices(vertices, 3);
        target.addTexCoords(uv, 3);
    }
    for (int32_t j = 0; j + 1 < n; ++j)
    {
        const uint16_t b = uint16_t(base + 3u * uint32_t(j));
        const uint16_t indices[12] = {b,
                                      uint16_t(b + 3),
                                      uint16_t(b + 1),
                                      uint16_t(b + 1),
                                      uint16_t(b + 3),
                                      uint16_t(b + 4),
                                      uint16_t(b + 1),
                                      uint16_t(b + 4),
                                      uint16_t(b + 5),
                                      uint16_t(b + 2),
                                      uint16_t(b + 1),
                                      uint16_t(b + 5)};
        target.addIndices(indices, 12);
    }
}

} // namespace Orvane::Particle
