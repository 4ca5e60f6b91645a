#include "physics/CPhysicsRigidBody.h"

#include "physics/BulletMath.h"
#include "physics/CPhysicsWorld.h"

#include <cmath>

namespace Kavro
{

using physics::fromBullet;
using physics::isFinite;
using physics::toBullet;

namespace
{

bool finite(float value) { return std::isfinite(value); }

} // namespace

CPhysicsRigidBody::CPhysicsRigidBody(CPhysicsWorld& world, std::unique_ptr<btCollisionShape> shape, float mass,
                                     const btTransform& start)
    : world_(&world), shape_(std::move(shape)), start_(start), mass_(mass), dynamics_(mass > 0.0f)
{
    if (mass > 0.0f)
        shape_->calculateLocalInertia(mass, inertia_);
    btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, shape_.get(), inertia_);
    info.m_startWorldTransform = start;
    body_ = std::make_unique<btRigidBody>(info);
    body_->setUserPointer(this);
    world.dynamics().addRigidBody(body_.get(), collisionGroup(), collisionMask());
}

CPhysicsRigidBody::~CPhysicsRigidBody() { world_->dynamics().removeRigidBody(body_.get()); }

CPhysicsRigidBody::Kind CPhysicsRigidBody::kind() const
{
    if (controller_)
        return Kind::Kinematic;
    return dynamics_ && mass_ > 0.0f ? Kind::Dynamic : Kind::Static;
}

int CPhysicsRigidBody::collisionGroup() const
{
    if (!collision_)
        return 0;
    switch (kind())
    {
    case Kind::Dynamic:
        return DynamicGroup;
    case Kind::Kinematic:
        return KinematicGroup;
    case Kind::Static:
        break;
    }
    return StaticGroup;
}

// Bodies the simulation does not move never meet each other.
int CPhysicsRigidBody::collisionMask() const
{
    if (!collision_)
        return 0;
    return kind() == Kind::Dynamic ? AllGroups : AllGroups & ~(StaticGroup | KinematicGroup);
}

const btConvexShape* CPhysicsRigidBody::convexShape() const
{
    return shape_->isConvex() ? static_cast<const btConvexShape*>(shape_.get()) : nullptr;
}

void CPhysicsRigidBody::wake()
{
    if (kind() == Kind::Dynamic)
        body_->activate(true);
}

void CPhysicsRigidBody::place(const btTransform& t)
{
    body_->setWorldTransform(t);
    // A kinematic body keeps where it was, so that its next step sees the move and gives it the velocity.
    if (kind() != Kind::Kinematic)
        body_->setInterpolationWorldTransform(t);
    world_->dynamics().updateSingleAabb(body_.get());
    wake();
}

int CPhysicsRigidBody::setPosition(const Vector3D& position)
{
    if (!isFinite(position))
        return -1;
    btTransform t = body_->getWorldTransform();
    t.setOrigin(toBullet(position));
    place(t);
    return 0;
}

Vector3D CPhysicsRigidBody::getPosition() { return fromBullet(body_->getWorldTransform().getOrigin()); }

int CPhysicsRigidBody::setRotation(const Matrix4x4& rotation)
{
    btTransform t = body_->getWorldTransform();
    t.setBasis(physics::rotationToBullet(rotation));
    place(t);
    return 0;
}

Matrix4x4 CPhysicsRigidBody::getRotation() { return physics::rotationFromBullet(body_->getWorldTransform().getBasis()); }

int CPhysicsRigidBody::setTransform(const Matrix4x4& transform)
{
    if (!isFinite(transform.GetPosition()))
        return -1;
    place(toBullet(transform));
    return 0;
}

Vector3D CPhysicsRigidBody::getLinearVelocity() { return fromBullet(body_->getLinearVelocity()); }

Vector3D CPhysicsRigidBody::getAngularVelocity() { return physics::radiansToDegrees(body_->getAngularVelocity()); }

int CPhysicsRigidBody::setLinearVelocity(const Vector3D& velocity)
{
    if (!isFinite(velocity))
        return -1;
    body_->setLinearVelocity(toBullet(velocity));
    wake();
    return 0;
}

int CPhysicsRigidBody::setAngularVelocity(const Vector3D& velocity)
{
    if (!isFinite(velocity))
        return -1;
    body_->setAngularVelocity(physics::degreesToRadians(velocity));
    wake();
    return 0;
}

int CPhysicsRigidBody::setLinearFactor(const Vector3D& factor)
{
    if (!isFinite(factor))
        return -1;
    body_->setLinearFactor(toBullet(factor));
    return 0;
}

int CPhysicsRigidBody::setAngularFactor(const Vector3D& factor)
{
    if (!isFinite(factor))
        return -1;
    body_->setAngularFactor(toBullet(factor));
    return 0;
}

int CPhysicsRigidBody::setFrictionalCoefficient(float value)
{
    if (!finite(value) || value < 0.0f)
        return -1;
    body_->setFriction(value);
    return 0;
}

int CPhysicsRigidBody::setRestitutionCoefficient(float value)
{
    if (!finite(value) || value < 0.0f)
        return -1;
    body_->setRestitution(value);
    return 0;
}

int CPhysicsRigidBody::setLinearDamping(float value)
{
    if (!finite(value))
        return -1;
    // Bullet keeps damping within 0..1 itself.
    body_->setDamping(value, body_->getAngularDamping());
    return 0;
}

int CPhysicsRigidBody::setAngularDamping(float value)
{
    if (!finite(value))
        return -1;
    body_->setDamping(body_->getLinearDamping(), value);
    return 0;
}

int CPhysicsRigidBody::setEnableDynamics(int enable)
{
    if (enable && mass_ <= 0.0f)
        return -1;
    if (dynamics_ != (enable != 0))
    {
        dynamics_ = enable != 0;
        applySwitches();
    }
    return 0;
}

int CPhysicsRigidBody::setEnableCollision(int enable)
{
    if (collision_ != (enable != 0))
    {
        collision_ = enable != 0;
        applySwitches();
    }
    return 0;
}

int CPhysicsRigidBody::setEnableControler(int enable)
{
    if (controller_ != (enable != 0))
    {
        controller_ = enable != 0;
        applySwitches();
    }
    return 0;
}

int CPhysicsRigidBody::setEnableGravity(int enable)
{
    gravity_ = enable != 0;
    if (gravity_)
        body_->setFlags(body_->getFlags() & ~BT_DISABLE_WORLD_GRAVITY);
    else
        body_->setFlags(body_->getFlags() | BT_DISABLE_WORLD_GRAVITY);
    body_->setGravity(gravity_ ? world_->dynamics().getGravity() : btVector3(0, 0, 0));
    wake();
    return 0;
}

void CPhysicsRigidBody::takeWorldGravity(const btVector3& gravity)
{
    if (!gravity_)
        return;
    body_->setGravity(gravity);
    wake();
}

void CPhysicsRigidBody::applySwitches()
{
    btDiscreteDynamicsWorld& dynamics = world_->dynamics();
    dynamics.removeRigidBody(body_.get());
    const Kind now = kind();
    int flags = body_->getCollisionFlags() & ~(btCollisionObject::CF_STATIC_OBJECT |
                                               btCollisionObject::CF_KINEMATIC_OBJECT);
    if (now == Kind::Dynamic)
    {
        body_->setMassProps(mass_, inertia_);
    }
    else
    {
        body_->setMassProps(0.0f, btVector3(0, 0, 0));
        body_->setLinearVelocity(btVector3(0, 0, 0));
        body_->setAngularVelocity(btVector3(0, 0, 0));
        flags |= now == Kind::Kinematic ? btCollisionObject::CF_KINEMATIC_OBJECT : btCollisionObject::CF_STATIC_OBJECT;
    }
    body_->setCollisionFlags(flags);
    body_->updateInertiaTensor();
    // A kinematic body is moved by its owner every frame and must never fall asleep.
    body_->forceActivationState(now == Kind::Kinematic ? DISABLE_DEACTIVATION : ACTIVE_TAG);
    body_->setDeactivationTime(0);
    body_->setInterpolationWorldTransform(body_->getWorldTransform());
    dynamics.addRigidBody(body_.get(), collisionGroup(), collisionMask());
    if (gravity_)
        body_->setGravity(dynamics.getGravity());
}

int CPhysicsRigidBody::reset()
{
    body_->setWorldTransform(start_);
    body_->setInterpolationWorldTransform(start_);
    body_->setLinearVelocity(btVector3(0, 0, 0));
    body_->setAngularVelocity(btVector3(0, 0, 0));
    body_->setInterpolationLinearVelocity(btVector3(0, 0, 0));
    body_->setInterpolationAngularVelocity(btVector3(0, 0, 0));
    body_->clearForces();
    btDiscreteDynamicsWorld& dynamics = world_->dynamics();
    // Contacts cached at the old place would push the body on its first step back.
    if (btBroadphaseProxy* proxy = body_->getBroadphaseHandle())
        dynamics.getBroadphase()->getOverlappingPairCache()->cleanProxyFromPairs(proxy, dynamics.getDispatcher());
    dynamics.updateSingleAabb(body_.get());
    wake();
    return 0;
}

int CPhysicsRigidBody::attachToScene(ISceneManager* scene, const float& lineWidth)
{
    if (!scene)
        return -1;
    scene_ = Ref<ISceneManager>(scene);
    lineWidth_ = lineWidth;
    return 0;
}

} // namespace Kavro
