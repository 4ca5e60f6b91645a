#pragma once

#include <cmath>

namespace Kavro
{

struct Matrix4x4;

struct Vector4D
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr Vector4D() = default;
    constexpr Vector4D(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    constexpr Vector4D operator+(const Vector4D& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
    constexpr Vector4D operator-(const Vector4D& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
    constexpr Vector4D operator-() const { return {-x, -y, -z, -w}; }
    constexpr Vector4D operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    constexpr Vector4D operator/(float s) const { return {x / s, y / s, z / s, w / s}; }
    Vector4D& operator+=(const Vector4D& o) { return *this = *this + o; }
    Vector4D& operator-=(const Vector4D& o) { return *this = *this - o; }
    Vector4D& operator*=(float s) { return *this = *this * s; }
    Vector4D& operator/=(float s) { return *this = *this / s; }
    constexpr bool operator==(const Vector4D&) const = default;

    float Dot(const Vector4D& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
    float LengthSq() const { return Dot(*this); }
    float Length() const { return std::sqrt(LengthSq()); }

    // Row vector times matrix, all four components.
    Vector4D Transform(const Matrix4x4& m) const;
    // Transform, then divided by the resulting w.
    Vector4D TransformCoord(const Matrix4x4& m) const;

    static Vector4D Lerp(const Vector4D& a, const Vector4D& b, float t) { return a + (b - a) * t; }
    static Vector4D Hermite(const Vector4D& p1, const Vector4D& t1, const Vector4D& p2, const Vector4D& t2,
                            float s)
    {
        const float s2 = s * s, s3 = s2 * s;
        return p1 * (2 * s3 - 3 * s2 + 1) + t1 * (s3 - 2 * s2 + s) + p2 * (-2 * s3 + 3 * s2) + t2 * (s3 - s2);
    }
};

} // namespace Kavro
