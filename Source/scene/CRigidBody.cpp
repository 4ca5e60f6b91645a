#include "scene/CRigidBody.h"

#include "core/CApp.h"
#include "core/SharedFunctions.h"
#include "scene/CJoint.h"

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/ISceneFrame.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

float largest(const Vector3D& v)
{
    return std::max({v.x, v.y, v.z});
}

} // namespace

CRigidBody::CRigidBody(const std::string& name) : CObject(name) {}

CRigidBody::~CRigidBody()
{
    // A script may still hold a joint; its constraint must not outlive the body it connects.
    for (auto& [name, joint] : joints)
    {
        joint->detach();
        joint->release();
    }
    joints.clear();
    releaseBody();
    if (world)
        world->release();
}

bool CRigidBody::takeWorld(int32_t worldId)
{
    if (world)
        world->release();
    world = CApp::get()->getPhysicsWorld(worldId);
    return world != nullptr;
}

void CRigidBody::releaseBody()
{
    if (!body)
        return;
    // A body that lives on (attached to a frame) must not lead to a wrapper that is gone.
    if (body->getUserPointer() == this)
        body->setUserPointer(nullptr);
    body->release();
    body = nullptr;
}

int CRigidBody::takeBody(Kavro::IPhysicsRigidBody* newBody)
{
    body = newBody;
    if (!body)
        return -1;
    body->setUserPointer(this);
    return 0;
}

void CRigidBody::setShape(ShapeType type, float a, float b, float c)
{
    shapeType = type;
    shape[0] = a;
    shape[1] = b;
    shape[2] = c;
}

int CRigidBody::createPlane(const Vector3D& position, const Vector3D& normal, int32_t worldId)
{
    if (!takeWorld(worldId))
        return -1;
    releaseBody();
    if (takeBody(world->createPlane(position, normal)) < 0)
        return -1;
    moveInterpolator.set(moveInterpolator.scaledValue, position, 0, 0);
    setShape(Plane, normal.x, normal.y, normal.z);
    return 0;
}

int CRigidBody::createSphere(float mass, const Vector3D& position, float radius, int32_t worldId)
{
    if (!takeWorld(worldId))
        return -1;
    releaseBody();
    if (takeBody(world->createSphere(mass, position, radius, Matrix4x4())) < 0)
        return -1;
    moveInterpolator.set(moveInterpolator.scaledValue, position, 0, 0);
    shapeType = Sphere;
    shape[0] = radius;
    return 0;
}

int CRigidBody::createBox(float mass, const Vector3D& position, const Vector3D& size, int32_t worldId)
{
    if (!takeWorld(worldId))
        return -1;
    releaseBody();
    if (takeBody(world->createBox(mass, position, size, Matrix4x4())) < 0)
        return -1;
    moveInterpolator.set(moveInterpolator.scaledValue, position, 0, 0);
    setShape(Box, size.x, size.y, size.z);
    return 0;
}

int CRigidBody::createCylinder(float mass, const Vector3D& position, float radius, float height, int32_t worldId)
{
    if (!takeWorld(worldId))
        return -1;
    releaseBody();
    if (takeBody(world->createCylinder(mass, position, radius, height, Matrix4x4())) < 0)
        return -1;
    moveInterpolator.set(moveInterpolator.scaledValue, position, 0, 0);
    setShape(Cylinder, radius, height, shape[2]);
    return 0;
}

int CRigidBody::createCapsule(float mass, const Vector3D& position, float radius, float height, int32_t worldId)
{
    if (!takeWorld(worldId))
        return -1;
    releaseBody();
    if (takeBody(world->createCapsule(mass, position, radius, height, Matrix4x4())) < 0)
        return -1;
    moveInterpolator.set(moveInterpolator.scaledValue, position, 0, 0);
    setShape(Capsule, radius, height, shape[2]);
    return 0;
}

int CRigidBody::createFromFrame(Kavro::ISceneFrame* frame)
{
    if (!frame)
        return -1;
    releaseBody();
    body = frame->getRigidBody();
    return body ? 0 : -1;
}

int CRigidBody::importSetting(const Vector3D& scale, const RigidBodyRecord& record, int32_t worldId)
{
    if (!takeWorld(worldId))
        return -1;
    shapeType = uint32_t(record.shapeType);
    releaseBody();
    const float* size = record.shape;
    const Vector3D origin;
    Kavro::IPhysicsRigidBody* made = nullptr;
    switch (record.shapeType)
    {
    case Sphere:
        shape[0] = size[0] * largest(scale);
        made = world->createSphere(record.mass, origin, shape[0], Matrix4x4());
        break;
    case Box:
        setShape(Box, size[0] * scale.x, size[1] * scale.y, size[2] * scale.z);
        made = world->createBox(record.mass, origin, Vector3D(shape[0], shape[1], shape[2]), Matrix4x4());
        break;
    case Cylinder:
    case Capsule:
        shape[0] = size[0] * std::max(scale.x, scale.z);
        shape[1] = size[1] * scale.y;
        made = record.shapeType == Cylinder
                   ? world->createCylinder(record.mass, origin, shape[0], shape[1], Matrix4x4())
                   : world->createCapsule(record.mass, origin, shape[0], shape[1], Matrix4x4());
        break;
    case Plane:
        setShape(Plane, size[0], size[1], size[2]);
        made = world->createPlane(origin, Vector3D(size[0], size[1], size[2]));
        break;
    default:
        return 0;
    }
    return takeBody(made);
}

int CRigidBody::exportSetting(Kavro::ISceneFrame* frame, const Vector3D& scale, RigidBodyRecord& record)
{
    setRecordName(record.name, {});
    setRecordName(record.frameName, {});
    if (!frame || frame->getName(record.frameName, int(PhysicsNameSize)) < 0)
        return -1;
    setRecordName(record.name, getName());

    record.matrix = Matrix4x4::GetScaling(scale.x, scale.y, scale.z).Inverse() * frame->getRigidBodyMatrix();
    record.matrix._41 /= scale.x;
    record.matrix._42 /= scale.y;
    record.matrix._43 /= scale.z;
    if (body)
    {
        record.mass = body->getMass();
        record.friction = body->getFrictionalCoefficient();
        record.restitution = body->getRestitutionCoefficient();
        record.gravity = body->getEnableGravity();
        record.linearDamping = body->getLinearDamping();
        record.angularDamping = body->getAngularDamping();
        record.stateWord = body->getStateWord();
    }
    record.attachFlag1 = frame->getRigidBodyFlag1();
    record.attachFlag2 = frame->getRigidBodyFlag2();
    record.attachFlag3 = frame->getRigidBodyFlag3();

    record.shapeType = int32_t(shapeType);
    std::copy(shape, shape + 3, record.shape);
    switch (shapeType)
    {
    case Sphere:
        record.shape[0] /= largest(scale);
        break;
    case Box:
        record.shape[0] /= scale.x;
        record.shape[1] /= scale.y;
        record.shape[2] /= scale.z;
        break;
    case Cylinder:
    case Capsule:
        record.shape[0] /= std::max(scale.x, scale.z);
        record.shape[1] /= scale.y;
        break;
    default:
        break;
    }
    return 0;
}

void CRigidBody::move(const Vector3D& target, uint32_t duration, int32_t curve)
{
    moveInterpolator.set(getPosition(), target, duration, curve);
    if (duration == 0)
    {
        if (body)
            body->setPosition(target);
    }
    else
        pending = 1;
}

void CRigidBody::rotate(const Vector3D& angles, uint32_t duration, int32_t curve)
{
    rotateInterpolator.set(getRotate(), angles, duration, curve);
    if (duration == 0)
    {
        if (body)
            body->setRotation(Matrix4x4::GetRotationZXY(angles.x, angles.y, angles.z));
    }
    else
        pending = 1;
}

Vector3D CRigidBody::getMove()
{
    if (moveInterpolator.active || !body)
        return moveInterpolator.scaledValue;
    return body->getPosition();
}

Vector3D CRigidBody::getRotate()
{
    if (rotateInterpolator.active || !body)
        return rotateInterpolator.scaledValue;
    Vector3D angles;
    matrixToEulerDegrees(body->getRotation(), angles);
    return angles;
}

Vector3D CRigidBody::getLinearVelocity()
{
    return body ? body->getLinearVelocity() : Vector3D();
}

Vector3D CRigidBody::getAngularVelocity()
{
    return body ? body->getAngularVelocity() : Vector3D();
}

int CRigidBody::update()
{
    const bool rotated = rotateInterpolator.update() != 0;
    const bool moved = moveInterpolator.update() != 0;
    if (!rotated && !moved && !pending)
        return 0;
    pending = 0;
    if (!body)
        return 0;
    // The step that ends a move or rotation lands on its target: the simulation still has the step before.
    const Vector3D angles = rotated ? rotateInterpolator.scaledValue : getRotate();
    const Vector3D position = moved ? moveInterpolator.scaledValue : getPosition();
    Matrix4x4 transform = Matrix4x4::GetRotationZXY(angles.x, angles.y, angles.z);
    transform._41 = position.x;
    transform._42 = position.y;
    transform._43 = position.z;
    body->setTransform(transform);
    return 0;
}

template <class Connect> void CRigidBody::addJoint(const std::string& name, Connect connect)
{
    releaseJoint(name);
    auto* joint = new CJoint(name);
    if (joint->setWorld(world) < 0)
    {
        joint->release();
        return;
    }
    connect(*joint);
    joints[name] = joint;
}

void CRigidBody::createBallJoint(const std::string& name, CRigidBody* other, const Vector3D& pivot, uint32_t flag)
{
    Kavro::IPhysicsRigidBody* b = other ? other->getBody() : nullptr;
    addJoint(name, [&](CJoint& joint) { joint.attachBall(body, b, pivot, flag); });
}

void CRigidBody::create6DOFJoint(const std::string& name, CRigidBody* other, const Vector3D& position,
                                 const Vector3D& rotation, uint32_t flag)
{
    Kavro::IPhysicsRigidBody* b = other ? other->getBody() : nullptr;
    addJoint(name, [&](CJoint& joint) { joint.attach6DOF(body, b, position, rotation, flag); });
}

void CRigidBody::importJointSetting(CRigidBody* other, const Vector3D& scale, const JointRecord& record)
{
    Kavro::IPhysicsRigidBody* b = other ? other->getBody() : nullptr;
    addJoint(getRecordName(record.name),
             [&](CJoint& joint) { joint.attachFromSetting(body, b, scale, record); });
}

CJoint* CRigidBody::findJoint(const std::string& name)
{
    const auto entry = joints.find(name);
    if (entry == joints.end())
        return nullptr;
    entry->second->addRef();
    return entry->second;
}

std::vector<CJoint*> CRigidBody::getJointList() const
{
    std::vector<CJoint*> list;
    for (const auto& [name, joint] : joints)
        list.push_back(joint);
    return list;
}

void CRigidBody::releaseJoint(const std::string& name)
{
    const auto entry = joints.find(name);
    if (entry == joints.end())
        return;
    entry->second->release();
    joints.erase(entry);
}

} // namespace Orvane
