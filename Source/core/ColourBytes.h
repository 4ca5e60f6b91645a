#pragma once

#include <kavro/Vector3D.h>

#include <algorithm>
#include <cstdint>

namespace Orvane
{

// A colour component of 0..1 as a byte: clamped to 0..1, times 255, truncated; NaN gives 0.
inline uint8_t UnitColourByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    return uint8_t(std::min(value, 1.0f) * 255.0f);
}

// Red, green and blue of 0..1 with an alpha byte, packed as bytes red, green, blue, alpha in memory order.
inline uint32_t PackRgba(const Kavro::Vector3D& rgb, uint8_t alpha)
{
    return uint32_t(UnitColourByte(rgb.x)) | uint32_t(UnitColourByte(rgb.y)) << 8 |
           uint32_t(UnitColourByte(rgb.z)) << 16 | uint32_t(alpha) << 24;
}

} // namespace Orvane
