#pragma once

#include <kavro/Vector3D.h>

#include <algorithm>
#include <cstdint>

namespace Orvane
{

// A 0..1 colour channel as a byte.
inline uint32_t channelByte(float v)
{
    return uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f);
}

// Red, green, blue bytes into the low three bytes of the packed colour (memory order r, g, b, a); alpha kept.
inline void writeColor(uint32_t& packed, const Kavro::Vector3D& rgb)
{
    packed = (packed & 0xFF000000u) | channelByte(rgb.x) | (channelByte(rgb.y) << 8) | (channelByte(rgb.z) << 16);
}

} // namespace Orvane
