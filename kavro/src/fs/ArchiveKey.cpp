#include "kavro/ArchiveKey.h"

#include <cstddef>

namespace Kavro
{

std::array<uint8_t, 32> BuildArchiveKey()
{
    // Volatile so the words are read one by one instead of folding into a 32-byte constant.
    static const volatile uint32_t words[8] = {0x6f72766eu, 0x9e3779b9u, 0x2545f491u, 0xc2b2ae35u,
                                               0x27d4eb2fu, 0x165667b1u, 0x85ebca6bu, 0x7f4a7c15u};
    std::array<uint8_t, 32> key{};
    for (int i = 0; i < 8; ++i)
    {
        const uint32_t word = words[i];
        for (int b = 0; b < 4; ++b)
            key[std::size_t(i * 4 + b)] = uint8_t(word >> (8 * b));
    }
    return key;
}

} // namespace Kavro
