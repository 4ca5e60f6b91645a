#pragma once

#include <kavro/Vector3D.h>

#include <cmath>

namespace Orvane
{

// The few value operations the paths need, for float and Kavro::Vector3D alike.

inline float lerpValue(const float& a, const float& b, float s)
{
    return a + (b - a) * s;
}
inline Kavro::Vector3D lerpValue(const Kavro::Vector3D& a, const Kavro::Vector3D& b, float s)
{
    return Kavro::Vector3D::Lerp(a, b, s);
}

// The cubic Hermite basis, computed as the library's vector Hermite computes each component.
inline float hermiteValue(const float& p1, const float& t1, const float& p2, const float& t2, float s)
{
    const float s2 = s * s, s3 = s2 * s;
    return p1 * (2 * s3 - 3 * s2 + 1) + t1 * (s3 - 2 * s2 + s) + p2 * (-2 * s3 + 3 * s2) + t2 * (s3 - s2);
}
inline Kavro::Vector3D hermiteValue(const Kavro::Vector3D& p1, const Kavro::Vector3D& t1, const Kavro::Vector3D& p2,
                                    const Kavro::Vector3D& t2, float s)
{
    return Kavro::Vector3D::Hermite(p1, t1, p2, t2, s);
}

inline float lengthOf(const float& v)
{
    return std::fabs(v);
}
inline float lengthOf(const Kavro::Vector3D& v)
{
    return v.Length();
}

// v normalised, or zero when its squared length is below 1e-5.
inline float unitOf(const float& v)
{
    return v * v < 1e-5f ? 0.0f : v / std::fabs(v);
}
inline Kavro::Vector3D unitOf(const Kavro::Vector3D& v)
{
    return v.LengthSq() < 1e-5f ? Kavro::Vector3D() : v.GetNormalize();
}

} // namespace Orvane
