#pragma once

#include <cstdint>

namespace Kavro
{

// One corner as the GPU gets it: clip-space position (depth 0..w), packed RGBA bytes, texture coordinate.
// Quads travel as four corners (top-left, top-right, bottom-left, bottom-right); a shared index buffer
// makes the two triangles (0, 1, 2) and (2, 1, 3) of them.
struct QuadVertex
{
    float position[4];
    uint32_t colour;
    float uv[2];
};

static_assert(sizeof(QuadVertex) == 28, "vertices are packed for the GPU");

} // namespace Kavro
