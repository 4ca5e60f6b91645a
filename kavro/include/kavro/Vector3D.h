#pragma once

#include <cmath>

namespace Kavro
{

struct Matrix4x4;

struct Vector3D
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3D() = default;
    constexpr Vector3D(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    constexpr Vector3D operator+(const Vector3D& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vector3D operator-(const Vector3D& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vector3D operator-() const { return {-x, -y, -z}; }
    constexpr Vector3D operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Vector3D operator/(float s) const { return {x / s, y / s, z / s}; }
    Vector3D& operator+=(const Vector3D& o) { return *this = *this + o; }
    Vector3D& operator-=(const Vector3D& o) { return *this = *this - o; }
    Vector3D& operator*=(float s) { return *this = *this * s; }
    Vector3D& operator/=(float s) { return *this = *this / s; }
    constexpr bool operator==(const Vector3D&) const = default;

    float Dot(const Vector3D& o) const { return x * o.x + y * o.y + z * o.z; }
    Vector3D Cross(const Vector3D& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    float LengthSq() const { return x * x + y * y + z * z; }
    float Length() const { return std::sqrt(LengthSq()); }
    // A zero vector stays zero rather than becoming NaN.
    Vector3D GetNormalize() const
    {
        const float len = Length();
        return len > 0.0f ? Vector3D(x / len, y / len, z / len) : Vector3D();
    }
    Vector3D& Normalize() { return *this = GetNormalize(); }
    // Reflection of this direction about a plane with the given unit normal.
    Vector3D Reflect(const Vector3D& normal) const { return *this - normal * (2.0f * Dot(normal)); }

    // As a point (w = 1), divided by the resulting w.
    Vector3D TransformCoord(const Matrix4x4& m) const;
    // As a point (w = 1), without the division.
    Vector3D Transform(const Matrix4x4& m) const;
    // As a direction (w = 0).
    Vector3D TransformNormal(const Matrix4x4& m) const;
    // This vector rotated about axis by angle degrees.
    Vector3D RotationAxis(float degrees, const Vector3D& axis) const;

    static Vector3D Lerp(const Vector3D& a, const Vector3D& b, float t) { return a + (b - a) * t; }
    static Vector3D Hermite(const Vector3D& p1, const Vector3D& t1, const Vector3D& p2, const Vector3D& t2,
                            float s)
    {
        const float s2 = s * s, s3 = s2 * s;
        return p1 * (2 * s3 - 3 * s2 + 1) + t1 * (s3 - 2 * s2 + s) + p2 * (-2 * s3 + 3 * s2) + t2 * (s3 - s2);
    }
};

} // namespace Kavro
