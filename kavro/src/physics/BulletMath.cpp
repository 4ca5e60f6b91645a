#include "physics/BulletMath.h"

#include <cmath>

namespace Kavro::physics
{

btMatrix3x3 rotationToBullet(const Matrix4x4& m)
{
    Matrix4x4 r;
    m.Dissolution(nullptr, &r, nullptr);
    return btMatrix3x3(r._11, r._21, r._31, r._12, r._22, r._32, r._13, r._23, r._33);
}

btTransform toBullet(const Matrix4x4& m)
{
    return btTransform(rotationToBullet(m), btVector3(m._41, m._42, m._43));
}

Matrix4x4 rotationFromBullet(const btMatrix3x3& b)
{
    Matrix4x4 m;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            m.m[row][column] = b[column][row];
    return m;
}

Matrix4x4 fromBullet(const btTransform& t)
{
    Matrix4x4 m = rotationFromBullet(t.getBasis());
    m._41 = t.getOrigin().x(), m._42 = t.getOrigin().y(), m._43 = t.getOrigin().z();
    return m;
}

bool isFinite(const Vector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

} // namespace Kavro::physics
