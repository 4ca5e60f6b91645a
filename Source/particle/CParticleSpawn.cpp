// The birth of a particle: every starting value drawn from the system's definition, in a fixed order of
// random draws on the system's generator.
#include "particle/CParticle.h"
#include "particle/CParticleEmitter.h"
#include "particle/CParticleObject.h"

#include <kavro/Matrix4x4.h>

#include <cmath>

namespace Orvane::Particle
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

constexpr float ByteToUnit = 0.003921569f;

// The definition's values as the spawn draws them.
class Draw
{
public:
    explicit Draw(CParticle& system) : s(system) {}

    float value(const RandomFloat& f) { return f.use_random ? s.randomFloat(f.value, f.random_range) : f.value; }
    float time(const TimeRange& t)
    {
        return t.use_random ? s.randomFloat(float(t.time), float(t.random_range)) : float(t.time);
    }
    float signedValue(const RandomFloatRev& f)
    {
        float v = f.use_random ? s.randomFloat(f.value, f.random_range) : f.value;
        if (f.is_reverse_value && s.random.GetInt(0, 1) != 0)
            v = -v;
        return v;
    }
    float resist(const ResistFloat& r)
    {
        return r.use_random ? s.randomFloat(1.0f - r.value, r.random_range) : 1.0f - r.value;
    }
    Vector3D values(const RandomFloat& x, const RandomFloat& y, const RandomFloat& z)
    {
        const float vx = value(x);
        const float vy = value(y);
        return {vx, vy, value(z)};
    }
    Vector3D signedValues(const RandomFloatRev& x, const RandomFloatRev& y, const RandomFloatRev& z)
    {
        const float vx = signedValue(x);
        const float vy = signedValue(y);
        return {vx, vy, signedValue(z)};
    }
    // A random value between 0 and r (nothing drawn for 0).
    float upTo(float r)
    {
        return r == 0.0f ? 0.0f : s.random.GetFloat(std::min(0.0f, r), std::max(0.0f, r));
    }

    CParticle& s;
};

Vector3D times(const Vector3D& a, const Vector3D& b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}

Vector2D times(const Vector2D& a, const Vector2D& b)
{
    return {a.x * b.x, a.y * b.y};
}

template <class Middle, class End, class Get>
void keyedMiddleEnd(Keyed<Vector3D>& k, int32_t useMiddle, const Middle& middle, int32_t useEnd, const End& end,
                    Get get)
{
    if (!useMiddle)
    {
        k.useMiddle = 0;
        k.middle = k.start;
    }
    else
    {
        k.useMiddle = 1;
        k.middle = get(middle.x, middle.y, middle.z);
        if (middle.exe_type == 1)
            k.middle = times(k.start, k.middle);
        k.middleTiming = middle.timing;
        k.middleTempo = middle.tempo;
    }
    if (!useEnd)
    {
        k.useEnd = 0;
        k.end = k.middle;
    }
    else
    {
        k.useEnd = 1;
        k.end = get(end.x, end.y, end.z);
        if (end.exe_type == 1)
            k.end = times(k.start, k.end);
        else if (end.exe_type == 2)
            k.end = times(k.middle, k.end);
        k.endTempo = end.tempo;
    }
}

} // namespace

int CParticleObject::spawn(const float* startAge)
{
    const ParticleRecord& r = owner->parameter.record;
    Draw draw(*owner);
    captureOrigin = 1;
    textureIndex = uint32_t(owner->pickTexture());
    trail.clear();
    shrinkTail = r.polyline.shulink_tail_enable;
    fadeTail = r.polyline.fade_tail_enable;
    syncLifeTime = r.polyline.sync_life_time;
    alive = 1;
    age = *startAge;
    life = r.occur.use_particle_age ? draw.time(r.occur.particle_age) : -1.0f;
    repeatLimit = r.occur.patturn == 0 ? r.occur.count : -1;
    if (!started)
    {
        repeatCount = 0;
        const float base = float(r.occur.suspend_time);
        if (!r.occur.use_delay)
        {
            startDelay = base;
        }
        else
        {
            const auto& d = r.occur.delay;
            float delay = d.use_random ? owner->randomFloat(float(d.time), float(d.random_range)) : float(d.time);
            if (d.order == 0)
                delay *= float(index + 1);
            startDelay = delay + base;
        }
        startSoundName.clear();
        endSoundName.clear();
        if (r.sound.same_time_play.play_per_particle)
        {
            startSoundName = fieldText(r.sound.same_time_play.filename);
            startSoundLoop = r.sound.same_time_play.loop;
        }
        if (r.sound.lost_time_play.play_per_particle)
        {
            endSoundName = fieldText(r.sound.lost_time_play.filename);
            endSoundLoop = r.sound.lost_time_play.loop;
        }
    }
    owner->emitter->computeEmission(*this);
    spawnRotations();
    spawnTurn();
    spawnSize();
    spawnMovement();
    spawnColour();
    spawnDirection();
    spawnAnimation();
    spawnChildren();
    previousPosition = position = move.position + turn.offset();
    return 0;
}

void CParticleObject::spawnRotations()
{
    const ParticleRecord& r = owner->parameter.record;
    Draw draw(*owner);
    const RotateAxis* axes[3] = {&r.rotate.x, &r.rotate.y, &r.rotate.z};
    CLocalRotate** slots[3] = {&rotateX, &rotateY, &rotateZ};
    for (int i = 0; i < 3; ++i)
    {
        const RotateAxis& a = *axes[i];
        CLocalRotate*& slot = *slots[i];
        if (!slot)
        {
            if (a.type == 0)
                slot = new CLocalRotate(this);
            else if (a.type == 1 && i == 2)
                slot = new CVelocityLocalRotate(this);
            else
                slot = new CNullLocalRotate(this);
        }
        if (a.type != 0 || !slot->takesParameters())
            continue;
        CLocalRotate& rot = *slot;
        rot.angle = draw.value(a.angle);
        rot.velocity = draw.value(a.velocity);
        rot.acceleration = draw.value(a.acceleration);
        rot.resist = draw.resist(a.resist);
        rot.addResist = a.resist.add_resist;
        rot.initialAngle = rot.angle;
        rot.initialVelocity = rot.velocity;
        rot.initialAcceleration = rot.acceleration;
        rot.initialResist = rot.resist;
        rot.elapsed = 0.0f;
        rot.duration = a.use_frame ? draw.time(a.frame) : life;
    }
}

void CParticleObject::spawnTurn()
{
    const Turn& t = owner->parameter.record.turn;
    Draw draw(*owner);
    // Radius.
    const auto& rr = t.radius;
    Keyed<Vector3D>& radius = turn.radiusKeys;
    radius.start = draw.values(rr.x, rr.y, rr.z);
    keyedMiddleEnd(radius, rr.use_middle, rr.middle, rr.use_end, rr.end,
                   [&](const RandomFloat& x, const RandomFloat& y, const RandomFloat& z) {
                       return draw.values(x, y, z);
                   });
    radius.elapsed = 0.0f;
    radius.duration = life;
    turn.radius = radius.start;
    // First angle.
    const auto& fa = t.first_angle;
    Vector3D angle;
    if (fa.use_absolute_vector)
    {
        angle = Vector3D(fa.x, fa.y, fa.z);
    }
    else if (fa.use_uniform)
    {
        const uint32_t n = uint32_t(owner->batchSize);
        const float a = 360.0f / float(n) * float(index) + fa.uniform.first_value;
        angle = Vector3D(a, a, a);
        angle.z += draw.upTo(fa.uniform.duration);
        angle.y += draw.upTo(fa.uniform.duration);
        angle.x += draw.upTo(fa.uniform.duration);
    }
    else if (fa.use_random)
    {
        angle.z = owner->random.GetFloat(0.0f, 360.0f);
        angle.y = owner->random.GetFloat(0.0f, 360.0f);
        angle.x = owner->random.GetFloat(0.0f, 360.0f);
    }
    turn.angle = angle;
    turn.initialAngle = angle;
    // Angular velocity, axis by axis.
    const auto& av = t.angular_velocity;
    const AngularAxis* axes[3] = {&av.x, &av.y, &av.z};
    float velocity[3], acceleration[3], resist[3], addResist[3], duration[3];
    for (int i = 0; i < 3; ++i)
    {
        const AngularAxis& a = *axes[i];
        velocity[i] = draw.signedValue(a.velocity);
        acceleration[i] = draw.signedValue(a.acceleration);
        resist[i] = draw.resist(a.velocity_resist);
        addResist[i] = a.velocity_resist.add_resist;
        duration[i] = a.use_frame ? draw.time(a.frame) : life;
    }
    turn.angularVelocity = Vector3D(velocity[0], velocity[1], velocity[2]);
    turn.initialAngularVelocity = turn.angularVelocity;
    turn.angularAcceleration = Vector3D(acceleration[0], acceleration[1], acceleration[2]);
    turn.initialAngularAcceleration = turn.angularAcceleration;
    turn.angularResist = Vector3D(resist[0], resist[1], resist[2]);
    turn.initialAngularResist = turn.angularResist;
    turn.angularAddResist = Vector3D(addResist[0], addResist[1], addResist[2]);
    turn.angularElapsed = Vector3D();
    turn.angularDuration = Vector3D(duration[0], duration[1], duration[2]);
    turn.angularStart = turn.angularVelocity;
    if (!av.use_middle)
    {
        turn.angularUseMiddle = 0;
        turn.angularMiddle = turn.angularStart;
    }
    else
    {
        turn.angularUseMiddle = 1;
        turn.angularMiddle = draw.signedValues(av.middle.x, av.middle.y, av.middle.z);
        if (av.middle.exe_type == 1)
            turn.angularMiddle = times(turn.angularStart, turn.angularMiddle);
        turn.angularMiddleTiming = Vector3D(av.middle.timing, av.middle.timing, av.middle.timing);
        turn.angularMiddleTempo = av.middle.tempo;
        turn.angularDuration = Vector3D(life, life, life);
    }
    if (!av.use_end)
    {
        turn.angularUseEnd = 0;
        turn.angularEnd = turn.angularMiddle;
    }
    else
    {
        turn.angularUseEnd = 1;
        turn.angularEnd = draw.signedValues(av.end.x, av.end.y, av.end.z);
        if (av.end.exe_type == 1)
            turn.angularEnd = times(turn.angularStart, turn.angularEnd);
        else if (av.end.exe_type == 2)
            turn.angularEnd = times(turn.angularMiddle, turn.angularEnd);
        turn.angularEndTempo = av.end.tempo;
        turn.angularDuration = Vector3D(life, life, life);
    }
}

void CParticleObject::spawnSize()
{
    const SpriteSize& sz = owner->parameter.record.sprite.size;
    Draw draw(*owner);
    Keyed<Vector2D>& k = scale.keys;
    Vector2D start(sz.start.x, sz.start.y);
    if (sz.start.use_random)
    {
        start.y = owner->randomFloat(start.y, sz.start.random_range.y);
        start.x = owner->randomFloat(start.x, sz.start.random_range.x);
    }
    if (sz.start.use_fix_rate && sz.start.x * sz.start.y != 0.0f)
        start.y = start.x * (sz.start.y / sz.start.x);
    if (sz.start.exe_type == 0)
    {
        int32_t rect[4];
        owner->textureRect(textureIndex, rect);
        start = times(start, Vector2D(float(rect[2]), float(rect[3])));
    }
    k.start = start;
    // A middle or end key: absolute, or relative to start (middle) / start or middle (end).
    auto keyOf = [&](const auto& key, const Vector2D& relativeTo) {
        Vector2D v(key.x, key.y);
        if (key.use_random)
        {
            v.y = owner->randomFloat(v.y, key.random_range.y);
            v.x = owner->randomFloat(v.x, key.random_range.x);
        }
        if (key.use_fix_rate)
        {
            if (key.exe_type == 0 && key.x * key.y != 0.0f)
                v.y = v.x * (key.y / key.x);
            else if (key.exe_type != 0)
                v.y = v.x;
        }
        return key.exe_type == 0 ? v : times(relativeTo, v);
    };
    if (!sz.use_middle)
    {
        k.useMiddle = 0;
        k.middleTiming = 1.0f;
        k.middle = k.start;
    }
    else
    {
        k.useMiddle = 1;
        k.middle = keyOf(sz.middle, k.start);
        k.middleTiming = sz.middle.timing;
        k.middleTempo = sz.middle.tempo;
    }
    if (!sz.use_end)
    {
        k.end = k.useMiddle ? k.middle : k.start;
    }
    else
    {
        k.end = keyOf(sz.end, sz.end.exe_type == 1 ? k.start : k.middle);
        k.endTempo = sz.end.tempo;
    }
    k.elapsed = 0.0f;
    k.duration = sz.use_frame ? draw.time(sz.frame) : life;
}

void CParticleObject::spawnMovement()
{
    const Move& m = owner->parameter.record.move;
    Draw draw(*owner);
    move.velocity = draw.signedValues(m.velocity.x, m.velocity.y, m.velocity.z);
    const Attract& at = m.attract;
    Keyed<Vector3D>& k = move.attract;
    k.start = draw.signedValues(at.x, at.y, at.z);
    keyedMiddleEnd(k, at.use_middle, at.middle, at.use_end, at.end,
                   [&](const RandomFloatRev& x, const RandomFloatRev& y, const RandomFloatRev& z) {
                       return draw.signedValues(x, y, z);
                   });
    // The attraction always runs to its end: without one it holds the middle.
    k.useEnd = 1;
    move.attractPower = draw.signedValue(at.power);
    if (!m.use_gravity)
    {
        move.gravity = 0.0f;
    }
    else
    {
        move.gravity = std::fabs(m.gravity.acceleration);
        move.gravityBase = move.gravity;
        move.gravityFactor = m.gravity.factor;
        move.gravityScale = 1.0f;
    }
    move.acceleration = draw.signedValues(m.acceleration.x, m.acceleration.y, m.acceleration.z);
    const float rx = draw.resist(m.regist.x);
    const float ry = draw.resist(m.regist.y);
    move.resist = Vector3D(rx, ry, draw.resist(m.regist.z));
    move.addResist = Vector3D(m.regist.x.add_resist, m.regist.y.add_resist, m.regist.z.add_resist);
    move.attract.elapsed = 0.0f;
    move.attract.duration = life;
}

void CParticleObject::spawnColour()
{
    const SpriteColor& c = owner->parameter.record.sprite.color;
    Draw draw(*owner);
    Keyed<Vector4D>& k = color.keys;
    auto channels = [&](int32_t r, int32_t g, int32_t b, int32_t a, int32_t useRandom, const Channels& range) {
        float v[4] = {float(r) * ByteToUnit, float(g) * ByteToUnit, float(b) * ByteToUnit, float(a) * ByteToUnit};
        const int32_t ranges[4] = {range.r, range.g, range.b, range.a};
        if (useRandom)
            for (int i = 0; i < 4; ++i)
                v[i] = owner->randomFloat(v[i], float(ranges[i]) * ByteToUnit);
        return Vector4D(v[0], v[1], v[2], v[3]);
    };
    k.start = channels(c.start.r, c.start.g, c.start.b, c.start.a, c.start.use_random, c.start.random_range);
    if (!c.use_middle)
    {
        k.useMiddle = 0;
        k.middle = k.start;
    }
    else
    {
        k.useMiddle = 1;
        k.middleTiming = c.middle.timing;
        k.middleTempo = c.middle.tempo;
        k.middle =
            channels(c.middle.r, c.middle.g, c.middle.b, c.middle.a, c.middle.use_random, c.middle.random_range);
        if (c.middle.only_alpha)
            k.middle = Vector4D(k.start.x, k.start.y, k.start.z, k.middle.w);
    }
    if (!c.use_end)
    {
        k.end = k.useMiddle ? k.middle : k.start;
    }
    else
    {
        k.endTempo = c.end.tempo;
        k.end = channels(c.end.r, c.end.g, c.end.b, c.end.a, c.end.use_random, c.end.random_range);
        if (c.end.only_alpha)
            k.end = Vector4D(k.middle.x, k.middle.y, k.middle.z, k.end.w);
    }
    k.elapsed = 0.0f;
    k.duration = c.use_frame ? draw.time(c.frame) : life;
}

void CParticleObject::spawnDirection()
{
    const Move& m = owner->parameter.record.move;
    Draw draw(*owner);
    const float n = float(uint32_t(owner->batchSize));
    const float i = float(index);
    move.direction = Vector3D();
    if (m.use_base_point)
    {
        if (move.position.LengthSq() > 0.0f)
            move.direction = move.position.GetNormalize();
    }
    else if (m.use_absolute_vector)
    {
        const Vector3D target = draw.values(m.absolute_vector.x, m.absolute_vector.y, m.absolute_vector.z);
        move.direction = (target - move.position).GetNormalize();
    }
    else if (m.use_circle)
    {
        const auto& c = m.circle;
        float angle = (c.diffuse_angle + draw.upTo(c.diffuse_duration_angle)) * i + c.first_diffuse_angle;
        if (c.diffuse_order == 0 && c.diffuse_type == 0)
            angle += 360.0f / n * i;
        else if (c.diffuse_order == 1)
            angle += owner->randomFloat(0.0f, 360.0f);
        Vector3D axis = Vector3D(c.rotate.x, c.rotate.y, c.rotate.z).GetNormalize();
        if (axis.LengthSq() < 1.1754944e-38f)
            axis = Vector3D(0.0f, 0.0f, 1.0f);
        const float turnBy = c.diffuse_type == 0 ? angle : owner->random.GetFloat(0.0f, 360.0f);
        move.direction = Vector3D(1.0f, 0.0f, 0.0f).Transform(Matrix4x4::GetRotationAxis(turnBy, axis));
    }
    else if (m.use_sphere)
    {
        float lat = draw.value(m.sphere.latitude_angle) + 90.0f;
        float lon = draw.value(m.sphere.longitude_angle);
        if (m.sphere.diffuse_type == 0)
        {
            const uint32_t count = uint32_t(owner->batchSize);
            if (index == 0)
            {
                lat = 0.0f;
                lon = 0.0f;
            }
            else if (index + 1 == count)
            {
                lat = 180.0f;
                lon = 0.0f;
            }
            else
            {
                const uint32_t k = uint32_t(std::sqrt(float(count - 2)));
                const uint32_t q = (index - 1) / k;
                const uint32_t row = index - 1 - q;
                const float kf = float(k);
                lat = 180.0f / kf + float(q) * (180.0f - 2.0f * 180.0f / kf) / kf;
                lon = float(row) * 360.0f / kf;
            }
        }
        move.direction = Vector3D(0.0f, 1.0f, 0.0f).Transform(Matrix4x4::GetRotationZXY(lat, lon, 0.0f));
    }
}

void CParticleObject::spawnAnimation()
{
    const ParticleRecord& r = owner->parameter.record;
    anime.owner = owner;
    owner->textureRect(textureIndex, anime.sourceRect);
    const size_t frames = owner->animationFrames.size();
    anime.hasFrames = frames > 0;
    if (anime.hasFrames)
    {
        anime.frameElapsed = 0.0f;
        anime.frame = r.animation_use_random_start_time ? uint32_t(owner->randomInt(0, int32_t(frames) - 1)) : 0u;
    }
    anime.enabled = r.is_no_anim == 0;
    anime.loop = r.animation_loop != 0;
}

void CParticleObject::spawnChildren()
{
    const Occur& o = owner->parameter.record.occur;
    Draw draw(*owner);
    const MakeParticleBlock* blocks[3] = {&o.same_time_make_particle, &o.endress_make_particle,
                                          &o.lost_time_make_particle};
    CParticle** slots[3] = {&sameTimeChild, &endlessChild, &lostTimeChild};
    for (int i = 0; i < 3; ++i)
    {
        const MakeParticleBlock& block = *blocks[i];
        if (!block.enable || !block.execute_particle_level)
            continue;
        CParticle*& child = *slots[i];
        if (!child)
        {
            child = owner->createChild(owner->childSlots[i].definition);
            if (!child)
                continue;
            child->emitter->setParent(this);
        }
        child->startDelay = draw.time(block.delay);
    }
}

} // namespace Orvane::Particle
