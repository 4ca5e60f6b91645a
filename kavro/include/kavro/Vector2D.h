#pragma once

#include <cmath>

namespace Kavro
{

struct Vector2D
{
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vector2D() = default;
    constexpr Vector2D(float x_, float y_) : x(x_), y(y_) {}

    constexpr Vector2D operator+(const Vector2D& o) const { return {x + o.x, y + o.y}; }
    constexpr Vector2D operator-(const Vector2D& o) const { return {x - o.x, y - o.y}; }
    constexpr Vector2D operator-() const { return {-x, -y}; }
    constexpr Vector2D operator*(float s) const { return {x * s, y * s}; }
    constexpr Vector2D operator/(float s) const { return {x / s, y / s}; }
    Vector2D& operator+=(const Vector2D& o) { return *this = *this + o; }
    Vector2D& operator-=(const Vector2D& o) { return *this = *this - o; }
    Vector2D& operator*=(float s) { return *this = *this * s; }
    Vector2D& operator/=(float s) { return *this = *this / s; }
    constexpr bool operator==(const Vector2D&) const = default;

    float Dot(const Vector2D& o) const { return x * o.x + y * o.y; }
    float LengthSq() const { return x * x + y * y; }
    float Length() const { return std::sqrt(LengthSq()); }
    Vector2D GetNormalize() const
    {
        const float len = Length();
        return len > 0.0f ? Vector2D(x / len, y / len) : Vector2D();
    }
    Vector2D& Normalize() { return *this = GetNormalize(); }

    static Vector2D Lerp(const Vector2D& a, const Vector2D& b, float t) { return a + (b - a) * t; }
    // Cubic Hermite between p1 and p2 with tangents t1 and t2.
    static Vector2D Hermite(const Vector2D& p1, const Vector2D& t1, const Vector2D& p2, const Vector2D& t2,
                            float s)
    {
        const float s2 = s * s, s3 = s2 * s;
        return p1 * (2 * s3 - 3 * s2 + 1) + t1 * (s3 - 2 * s2 + s) + p2 * (-2 * s3 + 3 * s2) + t2 * (s3 - s2);
    }
};

} // namespace Kavro
