#pragma once

#include "Vector3D.h"

namespace Kavro
{

struct Matrix4x4;

// Rotation quaternion. Mul(a, b) is "a, then b", matching Matrix4x4: M(Mul(a, b)) = M(a) x M(b).
struct Quaternion
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    constexpr bool operator==(const Quaternion&) const = default;

    static Quaternion Add(const Quaternion& a, const Quaternion& b) { return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w}; }
    static Quaternion Sub(const Quaternion& a, const Quaternion& b) { return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w}; }
    static Quaternion Mul(const Quaternion& a, const Quaternion& b);
    Quaternion& operator*=(const Quaternion& o) { return *this = Mul(*this, o); }

    float Dot(const Quaternion& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    float LengthSq() const { return Dot(*this); }
    float Length() const;
    Quaternion GetNormalize() const;
    Quaternion& Normalize() { return *this = GetNormalize(); }
    Quaternion Conjugate() const { return {-x, -y, -z, w}; }

    // Builders: each sets this quaternion and returns it.
    Quaternion& RotationAxis(const Vector3D& axis, float degrees);
    // Rotation about X, then Y, then Z.
    Quaternion& RotationXYZ(float x, float y, float z);
    Quaternion& FromMatrix(const Matrix4x4& m);
    static Quaternion GetRotationAxis(const Vector3D& axis, float degrees)
    {
        return Quaternion().RotationAxis(axis, degrees);
    }

    Matrix4x4 ToMatrix() const;
    // Shortest-path spherical interpolation.
    static Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);
};

} // namespace Kavro
