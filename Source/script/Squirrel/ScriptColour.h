#pragma once

#include <cstdint>

namespace Orvane::Squirrel
{

// A script's colour component (1.0 = full) as a byte: scaled by 255, truncated toward zero, and only
// the low eight bits kept, so 2.0 gives 254. A value beyond the integer range gives 0.
inline uint8_t scriptColourByte(float component)
{
    const float scaled = component * 255.0f;
    if (!(scaled > -2147483648.0f && scaled < 2147483648.0f))
        return 0;
    return uint8_t(uint32_t(int32_t(scaled)));
}

} // namespace Orvane::Squirrel
