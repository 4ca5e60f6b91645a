#pragma once

#include "kavro/Matrix4x4.h"
#include "kavro/Vector3D.h"

#include <array>

namespace Kavro
{

// The library's space is left-handed (x right, y up, z forward); OpenAL's is right-handed with -z forward.
inline Vector3D ToOpenAL(const Vector3D& v)
{
    return {v.x, v.y, -v.z};
}

// OpenAL's listener orientation (forward, then up) for Euler angles in degrees, turned as every object of
// the library turns: about Z, then X, then Y (Matrix4x4::RotationZXY, row vectors).
inline std::array<float, 6> ListenerOrientation(const Vector3D& rotation)
{
    const Matrix4x4 m = Matrix4x4::GetRotationZXY(rotation.x, rotation.y, rotation.z);
    const Vector3D forward = ToOpenAL({m._31, m._32, m._33});
    const Vector3D up = ToOpenAL({m._21, m._22, m._23});
    return {forward.x, forward.y, forward.z, up.x, up.y, up.z};
}

} // namespace Kavro
