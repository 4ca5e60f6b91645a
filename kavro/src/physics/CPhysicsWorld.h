#pragma once

#include <kavro/IPhysicsWorld.h>
#include <kavro/RefCounted.h>

#include <btBulletDynamicsCommon.h>

#include <memory>

namespace Kavro
{

class CPhysicsRigidBody;

// One Bullet discrete dynamics world. Its bodies and joints each hold a reference on it, so it lives
// while any of them does; it holds none on them (a body leaves the simulation when its last reference
// goes).
class CPhysicsWorld : public RefCounted<IPhysicsWorld>
{
public:
    // The one step length of the simulation.
    static constexpr float FixedStep = 1.0f / 60.0f;
    // Steps made up at most by one call: a longer stall drops the rest of its time.
    static constexpr int MaxStepsPerCall = 10;

    CPhysicsWorld();
    ~CPhysicsWorld() override;

    int step(float seconds) override;
    int setParameter(const void* value) override;
    int setGravity(const Vector3D& gravity) override;
    const Vector3D* getGravity() override { return &gravity_; }
    int setActive(const int& active) override;
    int isActive() override { return active_; }
    int rayTest(const Vector3D& from, const Vector3D& to, PhysicsHitResult& result, const int& mask) override;
    int sweepTest(IPhysicsRigidBody* body, const Vector3D& to, const float& margin, PhysicsHitResult& result,
                  const int& mask) override;

    IPhysicsRigidBody* createPlane(const Vector3D& position, const Vector3D& normal) override;
    IPhysicsRigidBody* createSphere(float mass, const Vector3D& position, float radius,
                                    const Matrix4x4& transform) override;
    IPhysicsRigidBody* createBox(float mass, const Vector3D& position, const Vector3D& size,
                                 const Matrix4x4& transform) override;
    IPhysicsRigidBody* createCylinder(float mass, const Vector3D& position, const float& radius, const float& height,
                                      const Matrix4x4& transform) override;
    IPhysicsRigidBody* createCapsule(float mass, const Vector3D& position, const float& radius, const float& height,
                                     const Matrix4x4& transform) override;
    IPhysicsJoint* createJoint() override;

    btDiscreteDynamicsWorld& dynamics() { return *world_; }
    // body as one of this world's bodies, or null (another world's, or not the library's).
    CPhysicsRigidBody* ownBody(IPhysicsRigidBody* body);

private:
    IPhysicsRigidBody* createBody(std::unique_ptr<btCollisionShape> shape, float mass, const Vector3D& position,
                                  const Matrix4x4& transform);

    // Declared in the order Bullet needs them built; destroyed in reverse.
    std::unique_ptr<btDefaultCollisionConfiguration> configuration_;
    std::unique_ptr<btCollisionDispatcher> dispatcher_;
    std::unique_ptr<btDbvtBroadphase> broadphase_;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver_;
    std::unique_ptr<btDiscreteDynamicsWorld> world_;
    Vector3D gravity_{0.0f, -9.8f, 0.0f};
    int active_ = 1;
};

} // namespace Kavro
