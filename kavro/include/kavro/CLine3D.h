#pragma once

#include "Vector3D.h"

namespace Kavro
{

// A line segment in 3D, from start to end.
struct CLine3D
{
    Vector3D start;
    Vector3D end;

    constexpr CLine3D() = default;
    constexpr CLine3D(const Vector3D& from, const Vector3D& to) : start(from), end(to) {}
    Vector3D GetDirection() const { return end - start; }
    float GetLength() const { return GetDirection().Length(); }
    // The point at fraction t of the way from start (0) to end (1).
    Vector3D GetPoint(float t) const { return start + GetDirection() * t; }
};

} // namespace Kavro
