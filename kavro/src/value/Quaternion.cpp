#include "kavro/Quaternion.h"

#include "Angles.h"
#include "kavro/Matrix4x4.h"

#include <cmath>

namespace Kavro
{

using detail::toRadians;

Quaternion Quaternion::Mul(const Quaternion& a, const Quaternion& b)
{
    // Hamilton product b * a: rotating by a first, then by b.
    return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
            b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

float Quaternion::Length() const
{
    return std::sqrt(LengthSq());
}

Quaternion Quaternion::GetNormalize() const
{
    const float len = Length();
    if (len <= 0.0f)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    return {x / len, y / len, z / len, w / len};
}

Quaternion& Quaternion::RotationAxis(const Vector3D& axis, float degrees)
{
    const Vector3D n = axis.GetNormalize();
    const float half = toRadians(degrees) * 0.5f, s = std::sin(half);
    *this = {n.x * s, n.y * s, n.z * s, std::cos(half)};
    return *this;
}

Quaternion& Quaternion::RotationXYZ(float ax, float ay, float az)
{
    const Quaternion qx = GetRotationAxis({1, 0, 0}, ax);
    const Quaternion qy = GetRotationAxis({0, 1, 0}, ay);
    const Quaternion qz = GetRotationAxis({0, 0, 1}, az);
    return *this = Mul(Mul(qx, qy), qz);
}

Quaternion& Quaternion::FromMatrix(const Matrix4x4& m)
{
    const float trace = m._11 + m._22 + m._33;
    if (trace > 0.0f)
    {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;
        *this = {(m._23 - m._32) / s, (m._31 - m._13) / s, (m._12 - m._21) / s, 0.25f * s};
    }
    else if (m._11 > m._22 && m._11 > m._33)
    {
        const float s = std::sqrt(1.0f + m._11 - m._22 - m._33) * 2.0f;
        *this = {0.25f * s, (m._12 + m._21) / s, (m._13 + m._31) / s, (m._23 - m._32) / s};
    }
    else if (m._22 > m._33)
    {
        const float s = std::sqrt(1.0f + m._22 - m._11 - m._33) * 2.0f;
        *this = {(m._12 + m._21) / s, 0.25f * s, (m._23 + m._32) / s, (m._31 - m._13) / s};
    }
    else
    {
        const float s = std::sqrt(1.0f + m._33 - m._11 - m._22) * 2.0f;
        *this = {(m._13 + m._31) / s, (m._23 + m._32) / s, 0.25f * s, (m._12 - m._21) / s};
    }
    return *this;
}

Matrix4x4 Quaternion::ToMatrix() const
{
    const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, xz = x * z, yz = y * z, xw = x * w, yw = y * w,
                zw = z * w;
    return Matrix4x4(1 - 2 * (yy + zz), 2 * (xy + zw), 2 * (xz - yw), 0, 2 * (xy - zw), 1 - 2 * (xx + zz),
                     2 * (yz + xw), 0, 2 * (xz + yw), 2 * (yz - xw), 1 - 2 * (xx + yy), 0, 0, 0, 0, 1);
}

Quaternion Quaternion::Slerp(const Quaternion& a, const Quaternion& b, float t)
{
    float cosTheta = a.Dot(b);
    Quaternion end = b;
    if (cosTheta < 0.0f)
    {
        cosTheta = -cosTheta;
        end = {-b.x, -b.y, -b.z, -b.w};
    }
    float wa, wb;
    if (cosTheta > 0.9995f)
    {
        // Nearly parallel: linear blend avoids dividing by a vanishing sine.
        wa = 1.0f - t;
        wb = t;
    }
    else
    {
        const float theta = std::acos(cosTheta), sinTheta = std::sin(theta);
        wa = std::sin((1.0f - t) * theta) / sinTheta;
        wb = std::sin(t * theta) / sinTheta;
    }
    return {a.x * wa + end.x * wb, a.y * wa + end.y * wb, a.z * wa + end.z * wb, a.w * wa + end.w * wb};
}

} // namespace Kavro
