#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"

namespace Kavro
{

class IPhysicsJoint;
class IPhysicsRigidBody;

// What a ray or sweep test found.
struct PhysicsHitResult
{
    // Where the test started.
    Vector3D start;
    Vector3D position;
    Vector3D normal;
    // Not counted.
    IPhysicsRigidBody* body = nullptr;
    // How far the ray, or a swept body's centre, went before the hit (scene units).
    float distance = 0.0f;
};

// A physics world. Bodies and joints made by it come with one reference each.
class IPhysicsWorld : public IInterface
{
public:
    virtual int step(float seconds) = 0;
    virtual int setParameter(const void* value) = 0;
    virtual int setGravity(const Vector3D& gravity) = 0;
    virtual const Vector3D* getGravity() = 0;
    // 0 stops the simulation: step does nothing.
    virtual int setActive(const int& active) = 0;
    virtual int isActive() = 0;
    // Nonzero when the ray hits a body whose collision group shares a bit with mask; the nearest hit goes
    // into result.
    virtual int rayTest(const Vector3D& from, const Vector3D& to, PhysicsHitResult& result, const int& mask) = 0;
    // Moves body's shape from where it is to to; nonzero on a hit (the nearest into result). margin is how
    // deep (scene units) the shape may sink into what it meets before the sweep stops; below 0, a gap.
    virtual int sweepTest(IPhysicsRigidBody* body, const Vector3D& to, const float& margin, PhysicsHitResult& result,
                          const int& mask) = 0;

    virtual IPhysicsRigidBody* createPlane(const Vector3D& position, const Vector3D& normal) = 0;
    virtual IPhysicsRigidBody* createSphere(float mass, const Vector3D& position, float radius,
                                            const Matrix4x4& transform) = 0;
    virtual IPhysicsRigidBody* createBox(float mass, const Vector3D& position, const Vector3D& size,
                                         const Matrix4x4& transform) = 0;
    virtual IPhysicsRigidBody* createCylinder(float mass, const Vector3D& position, const float& radius,
                                              const float& height, const Matrix4x4& transform) = 0;
    virtual IPhysicsRigidBody* createCapsule(float mass, const Vector3D& position, const float& radius,
                                             const float& height, const Matrix4x4& transform) = 0;
    virtual IPhysicsJoint* createJoint() = 0;
};

} // namespace Kavro
