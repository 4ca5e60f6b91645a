#pragma once

namespace Orvane::Squirrel
{

// Registers the script classes of the 3D scene: cameras, null nodes, physics.
void RegisterSceneClasses();

} // namespace Orvane::Squirrel
