#pragma once

#include "physics/PhysicsWorldFactory.h"

#include <kavro/IPhysicsJoint.h>
#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/Ref.h>

#include <cmath>

namespace PhysicsTest
{

using Kavro::IPhysicsJoint;
using Kavro::IPhysicsRigidBody;
using Kavro::IPhysicsWorld;
using Kavro::Matrix4x4;
using Kavro::Ref;
using Kavro::Vector3D;
using Body = Ref<IPhysicsRigidBody>;
using Joint = Ref<IPhysicsJoint>;

constexpr float Step = 1.0f / 60.0f;

// A fresh library world (gravity 9.8 down) with helpers to make bodies and to run it as the
// application does, one 1/60 s step per frame.
struct TestWorld
{
    Ref<IPhysicsWorld> world = Ref<IPhysicsWorld>::adopt(Kavro::physics::createWorld());

    void run(float seconds)
    {
        for (int frame = 0; frame < int(std::lround(seconds / Step)); ++frame)
            world->step(Step);
    }
    // The floor: the plane y = 0, facing up.
    Body floor() { return Body::adopt(world->createPlane({0, 0, 0}, {0, 1, 0})); }
    Body sphere(float mass, const Vector3D& at, float radius)
    {
        return Body::adopt(world->createSphere(mass, at, radius, Matrix4x4()));
    }
    Body box(float mass, const Vector3D& at, const Vector3D& size)
    {
        return Body::adopt(world->createBox(mass, at, size, Matrix4x4()));
    }
    Joint joint() { return Joint::adopt(world->createJoint()); }
};

inline float distance(const Vector3D& a, const Vector3D& b) { return (a - b).Length(); }

} // namespace PhysicsTest
