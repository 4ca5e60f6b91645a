#pragma once

#include <kavro/Matrix4x4.h>

#include <LinearMath/btTransform.h>

namespace Kavro::physics
{

// The library's matrices act on row vectors, Bullet's on column vectors: a rotation is the transpose of
// the other's, and positions carry over as they are. Angles are degrees here, radians there.

inline btVector3 toBullet(const Vector3D& v) { return {v.x, v.y, v.z}; }
inline Vector3D fromBullet(const btVector3& v) { return {v.x(), v.y(), v.z()}; }

// The rotation part of m with its scale taken out (a mirroring matrix gives its nearest proper rotation)
// and its translation row.
btTransform toBullet(const Matrix4x4& m);
// Rotation and translation; the fourth column stays (0, 0, 0, 1).
Matrix4x4 fromBullet(const btTransform& t);
// Only the rotation; the translation row is zero.
Matrix4x4 rotationFromBullet(const btMatrix3x3& basis);
btMatrix3x3 rotationToBullet(const Matrix4x4& m);

constexpr float DegreesPerRadian = 57.29577951308232f;
inline btVector3 degreesToRadians(const Vector3D& v) { return toBullet(v) / DegreesPerRadian; }
inline Vector3D radiansToDegrees(const btVector3& v) { return fromBullet(v * DegreesPerRadian); }

// Every float of v is finite.
bool isFinite(const Vector3D& v);

} // namespace Kavro::physics
