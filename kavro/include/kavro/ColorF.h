#pragma once

namespace Kavro
{

// Colour with float channels, 1.0 = full.
struct ColorF
{
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;

    constexpr ColorF() = default;
    constexpr ColorF(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}
    constexpr bool operator==(const ColorF&) const = default;
};

} // namespace Kavro
