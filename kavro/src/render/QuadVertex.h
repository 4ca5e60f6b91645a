#pragma once

#include <cstdint>

namespace Kavro
{

// One corner as the GPU gets it: clip-space position (depth 0..w), packed RGBA bytes, texture coordinate.
struct QuadVertex
{
    float position[4];
    uint32_t colour;
    float uv[2];
};

} // namespace Kavro
