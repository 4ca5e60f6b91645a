#pragma once

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane
{

// One cell of a sprite broken into flying pieces: its rectangle inside the source rectangle (texels),
// where it has flown to, how it has turned, how its corners have moved, and the centre of the group it
// turns about.
struct SplitPiece
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    Kavro::Vector3D position;
    Kavro::Vector3D rotation;
    Kavro::Vector2D cornerOffsets[4];
    Kavro::Vector2D groupCentre;
};

} // namespace Orvane
