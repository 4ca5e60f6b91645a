#include "physics/CPhysicsJoint.h"

#include "physics/BulletMath.h"
#include "physics/CPhysicsWorld.h"

#include <cmath>

namespace Kavro
{

using physics::fromBullet;
using physics::toBullet;

namespace
{

bool finite(float x, float y, float z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

// The row-vector matrix m as seen from a body placed at placement.
btTransform relativeTo(const btTransform& placement, const Matrix4x4& m)
{
    return placement.inverse() * toBullet(m);
}

Matrix4x4 pivotFrame(const btVector3& pivot)
{
    Matrix4x4 m;
    m._41 = pivot.x(), m._42 = pivot.y(), m._43 = pivot.z();
    return m;
}

} // namespace

CPhysicsJoint::CPhysicsJoint(CPhysicsWorld& world) : world_(&world) {}

CPhysicsJoint::~CPhysicsJoint() { detach(); }

bool CPhysicsJoint::takeBodies(IPhysicsRigidBody* a, IPhysicsRigidBody* b)
{
    CPhysicsRigidBody* ownA = world_->ownBody(a);
    CPhysicsRigidBody* ownB = b ? world_->ownBody(b) : nullptr;
    if (!ownA || (b && !ownB) || ownA == ownB)
        return false;
    detach();
    a_ = Ref<CPhysicsRigidBody>(ownA);
    b_ = Ref<CPhysicsRigidBody>(ownB);
    return true;
}

btRigidBody& CPhysicsJoint::rigidB() { return b_ ? b_->rigid() : btTypedConstraint::getFixedBody(); }

int CPhysicsJoint::install(std::unique_ptr<btTypedConstraint> constraint, btGeneric6DofSpring2Constraint* sixDof,
                           uint32_t flag)
{
    constraint_ = std::move(constraint);
    sixDof_ = sixDof;
    applySolverValues();
    constraint_->setBreakingImpulseThreshold(threshold_);
    world_->dynamics().addConstraint(constraint_.get(), flag != 0);
    a_->rigid().activate(true);
    if (b_)
        b_->rigid().activate(true);
    return 0;
}

int CPhysicsJoint::connectBall(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Vector3D& pivot,
                               const uint32_t& flag)
{
    if (!physics::isFinite(pivot) || !takeBodies(a, b))
        return -1;
    const btVector3 world = toBullet(pivot);
    const btVector3 inA = a_->rigid().getWorldTransform().inverse()(world);
    const btVector3 inB = b_ ? b_->rigid().getWorldTransform().inverse()(world) : world;
    return install(std::make_unique<btPoint2PointConstraint>(a_->rigid(), rigidB(), inA, inB), nullptr, flag);
}

int CPhysicsJoint::connectBallFrames(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frameA,
                                     const Matrix4x4& frameB, const uint32_t& flag)
{
    if (!physics::isFinite(frameA.GetPosition()) || !physics::isFinite(frameB.GetPosition()) || !takeBodies(a, b))
        return -1;
    return install(std::make_unique<btPoint2PointConstraint>(a_->rigid(), rigidB(), toBullet(frameA.GetPosition()),
                                                             toBullet(frameB.GetPosition())),
                   nullptr, flag);
}

int CPhysicsJoint::connect6DOF(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frame,
                               const uint32_t& flag)
{
    if (!physics::isFinite(frame.GetPosition()) || !takeBodies(a, b))
        return -1;
    const btTransform inA = relativeTo(a_->rigid().getWorldTransform(), frame);
    const btTransform inB = b_ ? relativeTo(b_->rigid().getWorldTransform(), frame) : toBullet(frame);
    auto joint = std::make_unique<btGeneric6DofSpring2Constraint>(a_->rigid(), rigidB(), inA, inB);
    btGeneric6DofSpring2Constraint* sixDof = joint.get();
    return install(std::move(joint), sixDof, flag);
}

int CPhysicsJoint::connect6DOFFrames(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frameA,
                                     const Matrix4x4& frameB, const uint32_t& flag)
{
    if (!physics::isFinite(frameA.GetPosition()) || !physics::isFinite(frameB.GetPosition()) || !takeBodies(a, b))
        return -1;
    auto joint =
        std::make_unique<btGeneric6DofSpring2Constraint>(a_->rigid(), rigidB(), toBullet(frameA), toBullet(frameB));
    btGeneric6DofSpring2Constraint* sixDof = joint.get();
    return install(std::move(joint), sixDof, flag);
}

int CPhysicsJoint::detach()
{
    if (!constraint_)
        return -1;
    world_->dynamics().removeConstraint(constraint_.get());
    constraint_.reset();
    sixDof_ = nullptr;
    a_.reset();
    b_.reset();
    return 0;
}

template <class T, class Set> int CPhysicsJoint::perAxis(int first, T x, T y, T z, Set set)
{
    if (!sixDof_)
        return -1;
    const T values[3] = {x, y, z};
    for (int axis = 0; axis < 3; ++axis)
        set(first + axis, values[axis]);
    return 0;
}

// Limits: equal bounds lock an axis, a lower bound above the upper frees it (Bullet's rule). Angles in
// degrees.
int CPhysicsJoint::setAngularUpperLimit(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z) || !sixDof_)
        return -1;
    sixDof_->setAngularUpperLimit(physics::degreesToRadians({x, y, z}));
    return 0;
}

int CPhysicsJoint::setAngularLowerLimit(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z) || !sixDof_)
        return -1;
    sixDof_->setAngularLowerLimit(physics::degreesToRadians({x, y, z}));
    return 0;
}

int CPhysicsJoint::setLinearUpperLimit(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z) || !sixDof_)
        return -1;
    sixDof_->setLinearUpperLimit(btVector3(x, y, z));
    return 0;
}

int CPhysicsJoint::setLinearLowerLimit(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z) || !sixDof_)
        return -1;
    sixDof_->setLinearLowerLimit(btVector3(x, y, z));
    return 0;
}

int CPhysicsJoint::setAngularEnableSpring(const int& x, const int& y, const int& z)
{
    return perAxis(3, x, y, z, [this](int axis, int on) { sixDof_->enableSpring(axis, on != 0); });
}

int CPhysicsJoint::setLinearEnableSpring(const int& x, const int& y, const int& z)
{
    return perAxis(0, x, y, z, [this](int axis, int on) { sixDof_->enableSpring(axis, on != 0); });
}

int CPhysicsJoint::setAngularSpringStiffness(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z))
        return -1;
    return perAxis(3, x, y, z, [this](int axis, float value) { sixDof_->setStiffness(axis, value); });
}

int CPhysicsJoint::setAngularSpringDamping(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z))
        return -1;
    return perAxis(3, x, y, z, [this](int axis, float value) { sixDof_->setDamping(axis, value); });
}

int CPhysicsJoint::setLinearSpringStiffness(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z))
        return -1;
    return perAxis(0, x, y, z, [this](int axis, float value) { sixDof_->setStiffness(axis, value); });
}

int CPhysicsJoint::setLinearSpringDamping(const float& x, const float& y, const float& z)
{
    if (!finite(x, y, z))
        return -1;
    return perAxis(0, x, y, z, [this](int axis, float value) { sixDof_->setDamping(axis, value); });
}

// The 6DOF constraint takes ERP and CFM per axis only (a call for all axes at once asserts), so each of
// the six gets the value; a ball joint takes them whole.
void CPhysicsJoint::applySolverValues()
{
    if (!constraint_)
        return;
    const int firstAxis = sixDof_ ? 0 : -1;
    const int lastAxis = sixDof_ ? 5 : -1;
    for (int axis = firstAxis; axis <= lastAxis; ++axis)
    {
        if (erpSet_)
            constraint_->setParam(BT_CONSTRAINT_STOP_ERP, erp_, axis);
        if (cfmSet_)
            constraint_->setParam(BT_CONSTRAINT_STOP_CFM, cfm_, axis);
    }
}

int CPhysicsJoint::setERP(const float& value)
{
    if (!std::isfinite(value) || value < 0.0f)
        return -1;
    erp_ = value;
    erpSet_ = true;
    applySolverValues();
    return 0;
}

int CPhysicsJoint::setCFM(const float& value)
{
    if (!std::isfinite(value) || value < 0.0f)
        return -1;
    cfm_ = value;
    cfmSet_ = true;
    applySolverValues();
    return 0;
}

int CPhysicsJoint::setBreakingImpulseThreshold(const float& value)
{
    if (std::isnan(value) || value < 0.0f)
        return -1;
    threshold_ = value;
    if (constraint_)
        constraint_->setBreakingImpulseThreshold(value);
    return 0;
}

IPhysicsRigidBody* CPhysicsJoint::getBodyA()
{
    if (!a_)
        return nullptr;
    a_->addRef();
    return a_.get();
}

IPhysicsRigidBody* CPhysicsJoint::getBodyB()
{
    if (!b_)
        return nullptr;
    b_->addRef();
    return b_.get();
}

Matrix4x4 CPhysicsJoint::getFrameA()
{
    if (sixDof_)
        return fromBullet(sixDof_->getFrameOffsetA());
    if (constraint_)
        return pivotFrame(static_cast<btPoint2PointConstraint&>(*constraint_).getPivotInA());
    return {};
}

Matrix4x4 CPhysicsJoint::getFrameB()
{
    if (sixDof_)
        return fromBullet(sixDof_->getFrameOffsetB());
    if (constraint_)
        return pivotFrame(static_cast<btPoint2PointConstraint&>(*constraint_).getPivotInB());
    return {};
}

int CPhysicsJoint::attachToScene(ISceneManager* scene, const float& lineWidth)
{
    if (!scene)
        return -1;
    scene_ = Ref<ISceneManager>(scene);
    lineWidth_ = lineWidth;
    return 0;
}

} // namespace Kavro
