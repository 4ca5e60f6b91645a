#pragma once

#include <string>

namespace Kavro
{
struct Matrix4x4;
struct Vector3D;
} // namespace Kavro

namespace Orvane
{

// The part of the path after its last "/" or "\\"; with stripExtension, cut at its first ".".
// Paths of any length are handled.
void getFileNameFromPath(const std::string& path, std::string& result, bool stripExtension);

// Euler angles in degrees of the rotation part of a row-major matrix, the inverse of
// Matrix4x4::RotationZXY(x, y, z) for x in [-90, 90].
void matrixToEulerDegrees(const Kavro::Matrix4x4& m, Kavro::Vector3D& angles);

// The parent's world matrix, or the identity when there is no parent (parentWorld null).
void getParentWorldMatrix(const Kavro::Matrix4x4* parentWorld, Kavro::Matrix4x4& out);

} // namespace Orvane
