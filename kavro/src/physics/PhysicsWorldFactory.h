#pragma once

#include <kavro/IPhysicsWorld.h>

namespace Kavro::physics
{

// A new world with one reference (what ICore::createPhysicsWorld hands out), reachable without Bullet's
// headers.
IPhysicsWorld* createWorld();

} // namespace Kavro::physics
