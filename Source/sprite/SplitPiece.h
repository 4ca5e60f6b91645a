#pragma once

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstdint>
#include <vector>

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
    // The cell's centre relative to the middle of the source rectangle.
    Kavro::Vector3D centre;
    // -1 for the root cell of its piece, else the root (while merging: the cell it joined).
    int32_t group = -1;
    int32_t cellCount = 1;
    int32_t pieceIndex = -1;
};

// How one piece flies during one action: from its start pose with its velocities, accelerations and
// damping, after its delay (seconds).
struct SplitPieceMotion
{
    Kavro::Vector3D startPosition;
    Kavro::Vector3D velocity;
    Kavro::Vector3D acceleration;
    Kavro::Vector3D startRotation;
    Kavro::Vector3D angularVelocity;
    Kavro::Vector3D angularAcceleration;
    float delay = 0.0f;
    float damping = 0.0f;
    float angularDamping = 0.0f;
};

// One queued action: its length (seconds) and one motion per piece.
struct SplitAction
{
    float time = 0.0f;
    std::vector<SplitPieceMotion> motions;
};

} // namespace Orvane
