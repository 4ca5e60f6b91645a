#include "scene/CJoint.h"

#include "scene/CRigidBody.h"

#include <kavro/IPhysicsJoint.h>
#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

Vector3D timesScale(const Vector3D& v, const Vector3D& scale)
{
    return {v.x * scale.x, v.y * scale.y, v.z * scale.z};
}

Vector3D byScale(const Vector3D& v, const Vector3D& scale)
{
    return {v.x / scale.x, v.y / scale.y, v.z / scale.z};
}

Matrix4x4 translationTimesScale(Matrix4x4 m, const Vector3D& scale)
{
    m._41 *= scale.x;
    m._42 *= scale.y;
    m._43 *= scale.z;
    return m;
}

Matrix4x4 translationByScale(Matrix4x4 m, const Vector3D& scale)
{
    m._41 /= scale.x;
    m._42 /= scale.y;
    m._43 /= scale.z;
    return m;
}

// The engine body a library body stands for, or null; the library body's reference is let go.
CRigidBody* ownerOf(Kavro::IPhysicsRigidBody* body)
{
    auto* owner = static_cast<CRigidBody*>(body->getUserPointer());
    body->release();
    return owner;
}

} // namespace

CJoint::CJoint(const std::string& name) : CObject(name) {}

CJoint::~CJoint()
{
    releaseJoint();
    if (world)
        world->release();
}

void CJoint::releaseJoint()
{
    detach();
    if (joint)
        joint->release();
    joint = nullptr;
    detached = false;
}

int CJoint::setWorld(Kavro::IPhysicsWorld* newWorld)
{
    if (world)
        world->release();
    world = newWorld;
    if (!world)
        return -1;
    world->addRef();
    releaseJoint();
    joint = world->createJoint();
    return joint ? 0 : -1;
}

void CJoint::detach()
{
    if (joint && !detached)
        joint->detach();
    detached = true;
}

void CJoint::attachBall(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Vector3D& pivot,
                        uint32_t newFlag)
{
    if (!joint)
        return;
    jointType = BallJoint;
    flag = newFlag;
    joint->connectBall(a, b, pivot, flag);
}

void CJoint::attach6DOF(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Vector3D& position,
                        const Vector3D& rotation, uint32_t newFlag)
{
    if (!joint)
        return;
    Matrix4x4 frame = Matrix4x4::GetRotationZXY(rotation.x, rotation.y, rotation.z);
    frame._41 = position.x;
    frame._42 = position.y;
    frame._43 = position.z;
    joint->connect6DOF(a, b, frame, newFlag);
    jointType = SixDofJoint;
    parameters = JointParameters();
    flag = newFlag;
}

void CJoint::attachFromSetting(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Vector3D& scale,
                               const JointRecord& record)
{
    if (!joint)
        return;
    const Matrix4x4 frameA = translationTimesScale(record.frameA, scale);
    const Matrix4x4 frameB = translationTimesScale(record.frameB, scale);
    flag = record.flag;
    const JointParameters& p = record.parameters;
    if (record.jointType == int32_t(BallJoint))
    {
        // A ball joint has no limits or springs to send; its block is kept so that it exports as read.
        joint->connectBallFrames(a, b, frameA, frameB, flag);
        jointType = BallJoint;
        parameters = p;
        parameters.linearUpperLimit = timesScale(p.linearUpperLimit, scale);
        parameters.linearLowerLimit = timesScale(p.linearLowerLimit, scale);
    }
    else
    {
        joint->connect6DOFFrames(a, b, frameA, frameB, flag);
        jointType = SixDofJoint;
        parameters = JointParameters();
        setAngularUpperLimit(p.angularUpperLimit);
        setAngularLowerLimit(p.angularLowerLimit);
        setAngularEnableSpring(p.angularEnableSpring[0], p.angularEnableSpring[1], p.angularEnableSpring[2]);
        setAngularSpringDamping(p.angularSpringDamping);
        setAngularSpringStiffness(p.angularSpringStiffness);
        setLinearUpperLimit(timesScale(p.linearUpperLimit, scale));
        setLinearLowerLimit(timesScale(p.linearLowerLimit, scale));
        setLinearEnableSpring(p.linearEnableSpring[0], p.linearEnableSpring[1], p.linearEnableSpring[2]);
        setLinearSpringDamping(p.linearSpringDamping);
        setLinearSpringStiffness(p.linearSpringStiffness);
    }
    joint->setERP(record.erp);
    joint->setCFM(record.cfm);
    joint->setBreakingImpulseThreshold(record.breakingImpulseThreshold);
}

int CJoint::exportSetting(const Vector3D& scale, JointRecord& record)
{
    if (!joint)
        return -1;
    Kavro::IPhysicsRigidBody* a = joint->getBodyA();
    Kavro::IPhysicsRigidBody* b = joint->getBodyB();
    if (!a || !b)
    {
        if (a)
            a->release();
        if (b)
            b->release();
        return -1;
    }
    CRigidBody* ownerA = ownerOf(a);
    CRigidBody* ownerB = ownerOf(b);
    if (!ownerA || !ownerB)
        return -1;

    record.jointType = int32_t(jointType);
    record.parameters = parameters;
    record.parameters.linearUpperLimit = byScale(parameters.linearUpperLimit, scale);
    record.parameters.linearLowerLimit = byScale(parameters.linearLowerLimit, scale);
    record.flag = flag;
    record.erp = joint->getERP();
    record.cfm = joint->getCFM();
    record.breakingImpulseThreshold = joint->getBreakingImpulseThreshold();
    record.frameA = translationByScale(joint->getFrameA(), scale);
    record.frameB = translationByScale(joint->getFrameB(), scale);
    setRecordName(record.name, getName());
    setRecordName(record.bodyAName, ownerA->getName());
    setRecordName(record.bodyBName, ownerB->getName());
    return 0;
}

void CJoint::setAngularLowerLimit(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setAngularLowerLimit(value.x, value.y, value.z);
    parameters.angularLowerLimit = value;
}

void CJoint::setAngularUpperLimit(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setAngularUpperLimit(value.x, value.y, value.z);
    parameters.angularUpperLimit = value;
}

void CJoint::setAngularEnableSpring(int32_t x, int32_t y, int32_t z)
{
    if (!joint)
        return;
    joint->setAngularEnableSpring(x, y, z);
    parameters.angularEnableSpring[0] = x;
    parameters.angularEnableSpring[1] = y;
    parameters.angularEnableSpring[2] = z;
}

void CJoint::setAngularSpringStiffness(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setAngularSpringStiffness(value.x, value.y, value.z);
    parameters.angularSpringStiffness = value;
}

void CJoint::setAngularSpringDamping(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setAngularSpringDamping(value.x, value.y, value.z);
    parameters.angularSpringDamping = value;
}

void CJoint::setLinearLowerLimit(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setLinearLowerLimit(value.x, value.y, value.z);
    parameters.linearLowerLimit = value;
}

void CJoint::setLinearUpperLimit(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setLinearUpperLimit(value.x, value.y, value.z);
    parameters.linearUpperLimit = value;
}

void CJoint::setLinearEnableSpring(int32_t x, int32_t y, int32_t z)
{
    if (!joint)
        return;
    joint->setLinearEnableSpring(x, y, z);
    parameters.linearEnableSpring[0] = x;
    parameters.linearEnableSpring[1] = y;
    parameters.linearEnableSpring[2] = z;
}

void CJoint::setLinearSpringStiffness(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setLinearSpringStiffness(value.x, value.y, value.z);
    parameters.linearSpringStiffness = value;
}

void CJoint::setLinearSpringDamping(const Vector3D& value)
{
    if (!joint)
        return;
    joint->setLinearSpringDamping(value.x, value.y, value.z);
    parameters.linearSpringDamping = value;
}

} // namespace Orvane
