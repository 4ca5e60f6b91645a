#include "particle/CParticleEmitter.h"

#include "particle/CParticle.h"
#include "particle/CParticleObject.h"

#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cmath>

namespace Orvane::Particle
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

CParticleEmitter::CParticleEmitter(CParticle* owner) : CFrame("Emitter", owner), owner(owner)
{
}

Vector3D CParticleEmitter::getWorldScale()
{
    return getParent() ? getParent()->getWorldScale() : Vector3D(1.0f, 1.0f, 1.0f);
}

int CParticleEmitter::setup()
{
    const Location& location = owner->parameter.record.location;
    if (location.use_bounding_point)
    {
        shape = PointShape;
    }
    else if (location.use_bounding_circle)
    {
        const auto& c = location.circle;
        shape = CircleShape;
        circleRadius = c.radius;
        circleAxis = Vector3D(c.rotate.x, c.rotate.y, c.rotate.z);
        if (circleAxis.LengthSq() < 1.1920929e-7f)
            circleAxis = Vector3D(0.0f, 0.0f, 1.0f);
        circleRandomRadius = c.make_type != 0;
        circleSpectrumType = c.spectrum_type;
        circleFirstAngle = c.first_angle;
        circleIntervalAngle = c.interval_angle;
        circleIntervalDurationAngle = c.interval_duration_angle;
    }
    else if (location.use_bounding_sphere)
    {
        const auto& s = location.sphere;
        shape = SphereShape;
        sphereRadius = s.radius;
        sphereRandomRadius = s.make_type != 0;
        sphereSpectrumType = s.spectrum_type;
        sphereLatitudeStart = s.latitude_angle + 90.0f;
        sphereLongitudeStart = s.longitude_angle;
        sphereLatitudeEnd = s.use_base_point_select_range ? s.latitude_select_range + 90.0f : 180.0f;
        sphereLongitudeEnd = s.use_base_point_select_range ? s.longitude_select_range : 360.0f;
    }
    else if (location.use_bounding_box)
    {
        const auto& b = location.box;
        shape = BoxShape;
        boxLeft = b.size.left;
        boxRight = b.size.right;
        boxTop = b.size.top;
        boxBottom = b.size.bottom;
        boxFront = b.size.front;
        boxBack = b.size.back;
        boxRotate = Vector3D(b.rotate.x, b.rotate.y, b.rotate.z);
        boxMakeMode = b.make_type == 0 ? 0 : b.make_type == 1 ? 1 : 2;
        boxFaceMask = 63;
        const int32_t flags[6] = {b.aspect.left, b.aspect.right, b.aspect.top, b.aspect.bottom, b.aspect.front,
                                  b.aspect.back};
        for (int i = 0; i < 6; ++i)
            if (!flags[i])
                boxFaceMask &= ~(1u << i);
    }
    return 0;
}

float CParticleEmitter::upTo(float r)
{
    return r == 0.0f ? 0.0f : owner->random.GetFloat(std::min(0.0f, r), std::max(0.0f, r));
}

int CParticleEmitter::computeEmission(CParticleObject& particle)
{
    const uint32_t n = uint32_t(owner->batchSize);
    switch (shape)
    {
    case PointShape:
        particle.setEmitPosition(Vector3D());
        break;
    case CircleShape:
        particle.setEmitPosition(circlePosition(particle.index, n));
        break;
    case SphereShape:
        particle.setEmitPosition(spherePosition(particle.index, n));
        break;
    case BoxShape:
        particle.setEmitPosition(boxPosition());
        break;
    default:
        break;
    }
    return 0;
}

Vector3D CParticleEmitter::circlePosition(uint32_t i, uint32_t n)
{
    float a = circleFirstAngle;
    if (circleSpectrumType == 0)
        a += 360.0f / float(n) * float(i) + circleIntervalAngle;
    else if (circleSpectrumType == 1)
        a += float(i) * circleIntervalAngle;
    else if (circleSpectrumType == 2)
        a += owner->randomFloat(0.0f, 360.0f) + circleIntervalAngle;
    const Vector3D axis = circleAxis.GetNormalize();
    Vector3D p = Vector3D(0.0f, 0.0f, 1.0f).Cross(axis);
    if (p.LengthSq() < 0.0001f)
        p = Vector3D(1.0f, 0.0f, 0.0f);
    p = p.GetNormalize();
    const float d = circleRandomRadius ? circleRadius - upTo(circleRadius) : circleRadius;
    const float angle = upTo(circleIntervalDurationAngle) + a;
    return (p * d).TransformCoord(Matrix4x4::GetRotationAxis(angle, axis));
}

Vector3D CParticleEmitter::spherePosition(uint32_t i, uint32_t n)
{
    float lat = sphereLatitudeStart;
    float lon = sphereLongitudeStart;
    if (sphereSpectrumType == 0)
    {
        if (i + 1 == n && i != 0)
        {
            lat = sphereLatitudeEnd;
        }
        else if (i != 0)
        {
            // Rows of k points between the two poles; each row's longitudes step one further along.
            const uint32_t k = uint32_t(std::sqrt(float(n - 2)));
            const uint32_t q = (i - 1) / k;
            const uint32_t m = i - 1 - q;
            const float span = sphereLatitudeEnd - sphereLatitudeStart;
            const float kf = float(k);
            lat += span / kf + float(q) * (span - 2.0f * span / kf) / kf;
            lon += float(m) * (sphereLongitudeEnd - sphereLongitudeStart) / kf;
        }
    }
    else if (sphereSpectrumType == 1)
    {
        lat += (sphereLatitudeEnd - sphereLatitudeStart) / float(n) * float(i);
        lon += (sphereLongitudeEnd - sphereLongitudeStart) / float(n) * float(i);
    }
    else if (sphereSpectrumType == 2)
    {
        lat = owner->randomFloat(sphereLatitudeStart, sphereLatitudeEnd);
        lon = owner->randomFloat(sphereLongitudeStart, sphereLongitudeEnd);
    }
    Vector3D v = Vector3D(0.0f, 1.0f, 0.0f).Transform(Matrix4x4::GetRotationX(lat) * Matrix4x4::GetRotationY(lon));
    if (!sphereRandomRadius)
        return v * sphereRadius;
    v.x *= upTo(sphereRadius);
    v.y *= upTo(sphereRadius);
    v.z *= upTo(sphereRadius);
    return v;
}

Vector3D CParticleEmitter::boxPosition()
{
    Vector3D v;
    const float lo[3] = {boxLeft, boxTop, boxFront};
    const float hi[3] = {boxRight, boxBottom, boxBack};
    auto along = [&](int axis) { return owner->randomFloat(lo[axis], hi[axis]); };
    auto set = [&](int axis, float value) { (axis == 0 ? v.x : axis == 1 ? v.y : v.z) = value; };
    if (boxMakeMode == 1)
    {
        v.x = along(0);
        v.y = along(1);
        v.z = along(2);
        return v.Transform(Matrix4x4::GetRotationZXY(boxRotate.x, boxRotate.y, boxRotate.z));
    }
    auto enabledOn = [&](int axis) { return (boxFaceMask >> (axis * 2) & 3u) != 0; };
    const int preferred = owner->randomInt(1, 3) - 1;
    int axis = -1;
    if (enabledOn(preferred))
    {
        axis = preferred;
    }
    else
    {
        // The other two axes in x, y, z order.
        const int first = preferred == 0 ? 1 : 0;
        const int second = preferred == 2 ? 1 : 2;
        if (enabledOn(first) && enabledOn(second))
            axis = owner->randomBool() ? first : second;
        else if (enabledOn(first))
            axis = first;
        else if (enabledOn(second))
            axis = second;
    }
    if (axis >= 0)
    {
        const uint32_t faces = boxFaceMask >> (axis * 2) & 3u;
        const bool low = faces == 3u ? owner->randomBool() : faces == 1u;
        set(axis, low ? lo[axis] : hi[axis]);
        const int others[2] = {axis == 0 ? 1 : 0, axis == 2 ? 1 : 2};
        if (boxMakeMode == 0)
        {
            set(others[0], along(others[0]));
            set(others[1], along(others[1]));
        }
        else
        {
            const bool firstOnFace = owner->randomBool();
            const int edge = firstOnFace ? others[0] : others[1];
            const int free = firstOnFace ? others[1] : others[0];
            set(edge, owner->randomBool() ? lo[edge] : hi[edge]);
            set(free, along(free));
        }
    }
    return v.Transform(Matrix4x4::GetRotationZXY(boxRotate.x, boxRotate.y, boxRotate.z));
}

} // namespace Orvane::Particle
