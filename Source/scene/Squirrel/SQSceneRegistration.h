#pragma once

namespace Orvane::Squirrel
{

// Registers the script classes of the 3D scene: cameras, null nodes, physics, scene settings,
// point lights, 3D sprites.
void RegisterSceneClasses();

} // namespace Orvane::Squirrel
