#pragma once

namespace Orvane::Squirrel
{

// Vector2D (x, y), Vector3D (x, y, z), ColorF (r, g, b, a) and Rect2DF (x, y, w, h): script classes
// owning one library value each, with float members.
void RegisterValueClasses();

} // namespace Orvane::Squirrel
