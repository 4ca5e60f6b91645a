#include "kavro/Vector3D.h"

#include "kavro/Matrix4x4.h"

namespace Kavro
{

Vector3D Vector3D::Transform(const Matrix4x4& m) const
{
    return {x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
            x * m._13 + y * m._23 + z * m._33 + m._43};
}

Vector3D Vector3D::TransformCoord(const Matrix4x4& m) const
{
    const Vector3D p = Transform(m);
    const float w = x * m._14 + y * m._24 + z * m._34 + m._44;
    return w != 0.0f ? p / w : p;
}

Vector3D Vector3D::TransformNormal(const Matrix4x4& m) const
{
    return {x * m._11 + y * m._21 + z * m._31, x * m._12 + y * m._22 + z * m._32, x * m._13 + y * m._23 + z * m._33};
}

Vector3D Vector3D::RotationAxis(float degrees, const Vector3D& axis) const
{
    return TransformNormal(Matrix4x4::GetRotationAxis(degrees, axis));
}

} // namespace Kavro
