#include "physics/CPhysicsWorld.h"

#include "physics/BulletMath.h"
#include "physics/CPhysicsJoint.h"
#include "physics/CPhysicsRigidBody.h"
#include "physics/PhysicsWorldFactory.h"

#include <algorithm>
#include <cmath>

namespace Kavro
{

using physics::fromBullet;
using physics::isFinite;
using physics::toBullet;

namespace
{

bool positive(float value) { return std::isfinite(value) && value > 0.0f; }
bool validMass(float mass) { return std::isfinite(mass) && mass >= 0.0f; }

CPhysicsRigidBody* bodyOf(const btCollisionObject* object)
{
    return object ? static_cast<CPhysicsRigidBody*>(object->getUserPointer()) : nullptr;
}

// The nearest hit of a sweep that is not the swept body itself.
class SweepCallback : public btCollisionWorld::ClosestConvexResultCallback
{
public:
    SweepCallback(const btCollisionObject* self, const btVector3& from, const btVector3& to)
        : ClosestConvexResultCallback(from, to), self_(self)
    {
    }
    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        return proxy->m_clientObject != self_ && ClosestConvexResultCallback::needsCollision(proxy);
    }

private:
    const btCollisionObject* self_;
};

// Test masks select groups; a body's own mask does not turn a test away, so the test stands in every group.
template <class Callback> void filterBy(Callback& callback, int mask)
{
    callback.m_collisionFilterGroup = CPhysicsRigidBody::AllGroups;
    callback.m_collisionFilterMask = mask & CPhysicsRigidBody::AllGroups;
}

} // namespace

CPhysicsWorld::CPhysicsWorld()
    : configuration_(std::make_unique<btDefaultCollisionConfiguration>()),
      dispatcher_(std::make_unique<btCollisionDispatcher>(configuration_.get())),
      broadphase_(std::make_unique<btDbvtBroadphase>()),
      solver_(std::make_unique<btSequentialImpulseConstraintSolver>()),
      world_(std::make_unique<btDiscreteDynamicsWorld>(dispatcher_.get(), broadphase_.get(), solver_.get(),
                                                       configuration_.get()))
{
    world_->setGravity(toBullet(gravity_));
}

// Bodies and joints hold the world, so none is left in it here.
CPhysicsWorld::~CPhysicsWorld() = default;

int CPhysicsWorld::step(float seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0f)
        return -1;
    if (!active_)
        return 0;
    // Bullet answers the steps the time was worth, also those it dropped.
    return std::min(world_->stepSimulation(seconds, MaxStepsPerCall, FixedStep), MaxStepsPerCall);
}

int CPhysicsWorld::setParameter(const void* value)
{
    if (!value)
        return -1;
    const float erp = *static_cast<const float*>(value);
    if (!(erp >= 0.0f && erp <= 1.0f))
        return -1;
    world_->getSolverInfo().m_erp2 = erp;
    return 0;
}

int CPhysicsWorld::setGravity(const Vector3D& gravity)
{
    if (!isFinite(gravity))
        return -1;
    gravity_ = gravity;
    // Bullet's own setGravity passes sleeping bodies by, which would wake later under the old gravity.
    world_->setGravity(toBullet(gravity));
    const btCollisionObjectArray& objects = world_->getCollisionObjectArray();
    for (int i = 0; i < objects.size(); ++i)
        bodyOf(objects[i])->takeWorldGravity(toBullet(gravity));
    return 0;
}

int CPhysicsWorld::setActive(const int& active)
{
    active_ = active ? 1 : 0;
    return 0;
}

int CPhysicsWorld::rayTest(const Vector3D& from, const Vector3D& to, PhysicsHitResult& result, const int& mask)
{
    if (!isFinite(from) || !isFinite(to))
        return 0;
    btCollisionWorld::ClosestRayResultCallback callback(toBullet(from), toBullet(to));
    filterBy(callback, mask);
    world_->rayTest(toBullet(from), toBullet(to), callback);
    if (!callback.hasHit())
        return 0;
    result.start = from;
    result.position = fromBullet(callback.m_hitPointWorld);
    result.normal = fromBullet(callback.m_hitNormalWorld.normalized());
    result.body = bodyOf(callback.m_collisionObject);
    result.distance = (result.position - from).Length();
    return 1;
}

int CPhysicsWorld::sweepTest(IPhysicsRigidBody* body, const Vector3D& to, const float& margin,
                             PhysicsHitResult& result, const int& mask)
{
    CPhysicsRigidBody* swept = ownBody(body);
    if (!swept || !swept->convexShape() || !isFinite(to) || !std::isfinite(margin))
        return 0;
    const btTransform from = swept->rigid().getWorldTransform();
    const btTransform target(from.getBasis(), toBullet(to));
    if (from.getOrigin() == target.getOrigin())
        return 0;
    SweepCallback callback(&swept->rigid(), from.getOrigin(), target.getOrigin());
    filterBy(callback, mask);
    world_->convexSweepTest(swept->convexShape(), from, target, callback, margin);
    if (!callback.hasHit())
        return 0;
    result.start = fromBullet(from.getOrigin());
    result.position = fromBullet(callback.m_hitPointWorld);
    result.normal = fromBullet(callback.m_hitNormalWorld.normalized());
    result.body = bodyOf(callback.m_hitCollisionObject);
    result.distance = callback.m_closestHitFraction * (to - result.start).Length();
    return 1;
}

IPhysicsRigidBody* CPhysicsWorld::createBody(std::unique_ptr<btCollisionShape> shape, float mass,
                                             const Vector3D& position, const Matrix4x4& transform)
{
    if (!validMass(mass) || !isFinite(position))
        return nullptr;
    btTransform start = toBullet(transform);
    start.setOrigin(toBullet(position));
    return new CPhysicsRigidBody(*this, std::move(shape), mass, start);
}

IPhysicsRigidBody* CPhysicsWorld::createPlane(const Vector3D& position, const Vector3D& normal)
{
    const float length = normal.Length();
    if (!isFinite(position) || !std::isfinite(length) || length <= 0.0f)
        return nullptr;
    const Vector3D unit = normal / length;
    auto shape = std::make_unique<btStaticPlaneShape>(toBullet(unit), unit.Dot(position));
    return new CPhysicsRigidBody(*this, std::move(shape), 0.0f, btTransform::getIdentity());
}

IPhysicsRigidBody* CPhysicsWorld::createSphere(float mass, const Vector3D& position, float radius,
                                               const Matrix4x4& transform)
{
    if (!positive(radius))
        return nullptr;
    return createBody(std::make_unique<btSphereShape>(radius), mass, position, transform);
}

IPhysicsRigidBody* CPhysicsWorld::createBox(float mass, const Vector3D& position, const Vector3D& size,
                                            const Matrix4x4& transform)
{
    if (!positive(size.x) || !positive(size.y) || !positive(size.z))
        return nullptr;
    return createBody(std::make_unique<btBoxShape>(toBullet(size * 0.5f)), mass, position, transform);
}

IPhysicsRigidBody* CPhysicsWorld::createCylinder(float mass, const Vector3D& position, const float& radius,
                                                 const float& height, const Matrix4x4& transform)
{
    if (!positive(radius) || !positive(height))
        return nullptr;
    return createBody(std::make_unique<btCylinderShape>(btVector3(radius, height * 0.5f, radius)), mass, position,
                      transform);
}

IPhysicsRigidBody* CPhysicsWorld::createCapsule(float mass, const Vector3D& position, const float& radius,
                                                const float& height, const Matrix4x4& transform)
{
    if (!positive(radius) || !std::isfinite(height) || height < 0.0f)
        return nullptr;
    return createBody(std::make_unique<btCapsuleShape>(radius, height), mass, position, transform);
}

IPhysicsJoint* CPhysicsWorld::createJoint() { return new CPhysicsJoint(*this); }

CPhysicsRigidBody* CPhysicsWorld::ownBody(IPhysicsRigidBody* body)
{
    auto* own = dynamic_cast<CPhysicsRigidBody*>(body);
    return own && &own->world() == this ? own : nullptr;
}

} // namespace Kavro

namespace Kavro::physics
{

IPhysicsWorld* createWorld() { return new CPhysicsWorld; }

} // namespace Kavro::physics
