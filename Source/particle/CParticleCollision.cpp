#include "particle/CParticleCollision.h"

#include "particle/CParticle.h"
#include "sound/CSound.h"

#include <cmath>

namespace Orvane::Particle
{

namespace
{

using Kavro::Vector3D;

// Record touch actions: 0 vanish, 1 bounce, 2 wrap (where the shape allows it); anything else only sounds.
uint32_t responseOf(int32_t action, bool wraps)
{
    if (action == 0)
        return CParticleCollision::Vanish;
    if (action == 1)
        return CParticleCollision::Bounce;
    if (action == 2 && wraps)
        return CParticleCollision::Wrap;
    return CParticleCollision::None;
}

void playTouch(CParticle* owner, const std::string& name)
{
    if (CSound* sound = owner->findSound(name))
        sound->play();
}

// A direction counts as set when any component differs from 0 (NaN included).
bool isSet(const Vector3D& d)
{
    return !(d.x == 0.0f) || !(d.y == 0.0f) || !(d.z == 0.0f);
}

void bounceDirection(Vector3D& direction, const Vector3D& normal, float restitution)
{
    if (isSet(direction))
        direction = direction.GetNormalize().Reflect(normal) * restitution;
}

float& axisOf(Vector3D& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

struct FaceRule
{
    int axis;
    // +1: touched at or below the value (the inward normal points up the axis); -1: at or above.
    float inward;
    int opposite;
};

// Faces in the order the test visits them: left, right, top, bottom, back, front.
constexpr int visitOrder[CParticleCollision::CBox::FaceCount] = {
    CParticleCollision::CBox::Left,   CParticleCollision::CBox::Right, CParticleCollision::CBox::Top,
    CParticleCollision::CBox::Bottom, CParticleCollision::CBox::Back,  CParticleCollision::CBox::Front};

constexpr FaceRule faceRules[CParticleCollision::CBox::FaceCount] = {
    {0, 1.0f, CParticleCollision::CBox::Right},  // left
    {0, -1.0f, CParticleCollision::CBox::Left},  // right
    {1, -1.0f, CParticleCollision::CBox::Bottom}, // top
    {1, 1.0f, CParticleCollision::CBox::Top},     // bottom
    {2, 1.0f, CParticleCollision::CBox::Back},    // front
    {2, -1.0f, CParticleCollision::CBox::Front},  // back
};

bool touches(float coordinate, float value, float inward)
{
    return inward > 0.0f ? coordinate <= value : coordinate >= value;
}

Vector3D inwardNormal(const FaceRule& rule)
{
    Vector3D n;
    axisOf(n, rule.axis) = rule.inward;
    return n;
}

} // namespace

CParticleCollision::~CParticleCollision()
{
    releaseShapes();
}

void CParticleCollision::releaseShapes()
{
    if (ground)
        ground->release();
    if (box)
        box->release();
    if (sphere)
        sphere->release();
    ground = nullptr;
    box = nullptr;
    sphere = nullptr;
}

int CParticleCollision::setup()
{
    releaseShapes();
    ground = new CGround(owner);
    if (ground->setup() < 0)
        return -1;
    box = new CBox(owner);
    if (box->setup() < 0)
        return -1;
    sphere = new CSphere(owner);
    if (sphere->setup() < 0)
        return -1;
    enabled = sphere->enabled | box->enabled | ground->enabled;
    return 0;
}

uint32_t CParticleCollision::test(Vector3D& position, Vector3D& previousPosition, Vector3D& velocity,
                                  Vector3D& direction)
{
    if (!enabled)
        return None;
    Motion motion{position, previousPosition, velocity, direction};
    if (const uint32_t r = ground->test(motion))
        return r;
    if (const uint32_t r = box->test(motion))
        return r;
    return sphere->test(motion);
}

// ---- Ground

int CParticleCollision::CGround::setup()
{
    const auto& move = owner->parameter.record.move;
    if (!move.use_earth)
    {
        enabled = 0;
        return 0;
    }
    enabled = 1;
    height = move.earth.height;
    restitution = move.earth.restitution;
    response = responseOf(move.earth.touch_action, false);
    touchSound = fieldText(move.earth.touch_sound_filename);
    owner->loadSound(touchSound);
    return 0;
}

uint32_t CParticleCollision::CGround::test(Motion& m)
{
    if (!enabled || height < m.position.y)
        return None;
    if (response == Bounce)
    {
        m.velocity.y = -(restitution * m.velocity.y);
        bounceDirection(m.direction, Vector3D(0.0f, 1.0f, 0.0f), restitution);
        m.position.y = height;
        m.previousPosition.y = height;
    }
    playTouch(owner, touchSound);
    return response;
}

// ---- Box

int CParticleCollision::CBox::setup()
{
    const auto& range = owner->parameter.record.move.box_range;
    if (!owner->parameter.record.move.use_box_range)
    {
        enabled = 0;
        return 0;
    }
    enabled = 1;
    struct Source
    {
        float value;
        int32_t aspect;
        float restitution;
        int32_t action;
        const FaceName* sound;
    };
    const Source sources[FaceCount] = {
        {range.size.left, range.aspect.left, range.restitution.left, range.touch_action.left,
         &range.touch_sound_files.left},
        {range.size.right, range.aspect.right, range.restitution.right, range.touch_action.right,
         &range.touch_sound_files.right},
        {range.size.top, range.aspect.top, range.restitution.top, range.touch_action.top,
         &range.touch_sound_files.top},
        {range.size.bottom, range.aspect.bottom, range.restitution.bottom, range.touch_action.bottom,
         &range.touch_sound_files.bottom},
        {range.size.front, range.aspect.front, range.restitution.front, range.touch_action.front,
         &range.touch_sound_files.front},
        {range.size.back, range.aspect.back, range.restitution.back, range.touch_action.back,
         &range.touch_sound_files.back},
    };
    for (int i = 0; i < FaceCount; ++i)
    {
        Face& face = faces[i];
        const Source& source = sources[i];
        // A disabled face still gives its value as the target of a wrap.
        face.value = source.value;
        if (!source.aspect)
        {
            face.enabled = 0;
            continue;
        }
        face.enabled = 1;
        face.restitution = source.restitution;
        face.response = responseOf(source.action, true);
        face.touchSound = fieldText(*source.sound);
        owner->loadSound(face.touchSound);
    }
    return 0;
}

uint32_t CParticleCollision::CBox::test(Motion& m)
{
    uint32_t result = None;
    if (!enabled)
        return result;
    for (const int i : visitOrder)
    {
        const Face& face = faces[i];
        const FaceRule& rule = faceRules[i];
        if (!face.enabled || !touches(axisOf(m.position, rule.axis), face.value, rule.inward))
            continue;
        playTouch(owner, face.touchSound);
        if (face.response == Vanish)
            return Vanish;
        if (face.response == Wrap)
        {
            axisOf(m.position, rule.axis) = faces[rule.opposite].value;
            return Wrap;
        }
        if (face.response == Bounce)
        {
            float& v = axisOf(m.velocity, rule.axis);
            v = -(face.restitution * v);
            bounceDirection(m.direction, inwardNormal(rule), face.restitution);
            axisOf(m.position, rule.axis) = face.value;
            axisOf(m.previousPosition, rule.axis) = face.value;
            result = Bounce;
        }
    }
    return result;
}

// ---- Sphere

int CParticleCollision::CSphere::setup()
{
    const auto& move = owner->parameter.record.move;
    if (!move.use_sphere_range)
    {
        enabled = 0;
        return 0;
    }
    enabled = 1;
    radius = move.sphere_range.radius;
    restitution = move.sphere_range.restitution;
    response = responseOf(move.sphere_range.touch_action, true);
    touchSound = fieldText(move.sphere_range.touch_sound_filename);
    owner->loadSound(touchSound);
    return 0;
}

uint32_t CParticleCollision::CSphere::test(Motion& m)
{
    if (!enabled || m.position.Length() < radius)
        return None;
    playTouch(owner, touchSound);
    if (response == Vanish)
        return Vanish;
    if (response == Bounce)
    {
        // At the centre there is no side to be turned back from.
        if (m.position.LengthSq() == 0.0f)
            return None;
        const Vector3D back = m.previousPosition - m.position;
        // A particle that did not move comes from the inside: its normal points back to the centre.
        const Vector3D d = back.LengthSq() > 0.0f ? back.GetNormalize() : (-m.position).GetNormalize();
        Vector3D n = m.position.GetNormalize();
        if (d.Dot(n) < 0.0f)
            n = (-m.position).GetNormalize();
        const Vector3D r = (-d).Reflect(n);
        m.position = m.position.GetNormalize() * radius;
        const float rs[3] = {r.x, r.y, r.z};
        const float ds[3] = {d.x, d.y, d.z};
        for (int i = 0; i < 3; ++i)
        {
            const bool opposite = rs[i] != 0.0f && ds[i] != 0.0f && ((rs[i] > 0.0f) != (ds[i] > 0.0f));
            axisOf(m.velocity, i) *= (opposite ? 1.0f : -1.0f) * restitution;
        }
        if (isSet(m.direction))
            m.direction = m.direction.Reflect(n) * restitution;
        return None;
    }
    if (response == Wrap)
        m.position = (-m.position).GetNormalize() * radius;
    return None;
}

} // namespace Orvane::Particle
