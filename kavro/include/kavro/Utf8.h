#pragma once

#include <cstdint>

namespace Kavro
{

// Length of the UTF-8 sequence that byte b opens, itself included: 1 for ASCII, 2 to 6 for 0xC0
// to 0xFD; 0 for a byte that cannot lead (0x80 to 0xBF, 0xFE, 0xFF).
constexpr int utf8SequenceLength(uint8_t b)
{
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    if ((b & 0xFC) == 0xF8)
        return 5;
    if ((b & 0xFE) == 0xFC)
        return 6;
    return 0;
}

} // namespace Kavro
