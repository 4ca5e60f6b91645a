#pragma once

namespace Kavro
{

// Axis-aligned rectangle: position and size.
template <typename T> struct Rect2D
{
    T x{};
    T y{};
    T w{};
    T h{};

    constexpr Rect2D() = default;
    constexpr Rect2D(T x_, T y_, T w_, T h_) : x(x_), y(y_), w(w_), h(h_) {}
    constexpr T right() const { return x + w; }
    constexpr T bottom() const { return y + h; }
    constexpr bool contains(T px, T py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    constexpr bool operator==(const Rect2D&) const = default;
};

using Rect2DF = Rect2D<float>;

} // namespace Kavro
