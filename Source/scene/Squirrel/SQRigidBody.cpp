#include "scene/Squirrel/SQRigidBody.h"

#include "core/CApp.h"
#include "core/CTask.h"
#include "core/TaskObjectLinks.h"
#include "scene/CRigidBody.h"
#include "scene/IBoneFrame.h"
#include "script/Squirrel/ScriptResults.h"
#include "script/TableReaders.h"

namespace Orvane::Squirrel
{

using Kavro::Vector3D;

namespace
{

// The scale of the wire frame the library draws for a body.
constexpr float SceneLineWidth = 3.0f;

void setVectorResult(const Vector3D& v)
{
    SetScriptResults({v.x, v.y, v.z});
}

} // namespace

bool ReadTableVector(const SquirrelObject& table, Vector3D& v)
{
    Vector3D read;
    if (!getTableFloat(table, "x", read.x) || !getTableFloat(table, "y", read.y) ||
        !getTableFloat(table, "z", read.z))
        return false;
    v = read;
    return true;
}

SQRigidBody::SQRigidBody(const char* name) : SQRenderer<Kavro::IPhysicsRigidBody>(name ? name : "") {}

SQRigidBody::~SQRigidBody()
{
    if (body)
        body->release();
    body = nullptr;
    scene.hold(nullptr);
}

int SQRigidBody::update()
{
    if (!body)
        return -1;
    body->update();
    return 0;
}

int SQRigidBody::render()
{
    scene.visible = erase ? 0 : 1;
    return 0;
}

CRigidBody* SQRigidBody::renew()
{
    if (body)
        body->release();
    body = new CRigidBody(getName());
    return body;
}

void SQRigidBody::attachScenePart()
{
    scene.hold(body->getBody());
    CApp* app = CApp::get();
    if (scene.get())
        scene.get()->attachToScene(app ? app->sceneManager : nullptr, SceneLineWidth);
}

Kavro::IPhysicsRigidBody* SQRigidBody::library() const
{
    return body ? body->getBody() : nullptr;
}

CRigidBody* SQRigidBody::findBody(const char* name) const
{
    auto* other = dynamic_cast<SQRigidBody*>(FindTaskObject(getTask(), name));
    return other ? other->getRigidBody() : nullptr;
}

// ---- Creation

int SQRigidBody::create(const char* boneName)
{
    auto* bone = dynamic_cast<IBoneFrame*>(FindTaskObject(getTask(), boneName));
    Kavro::ISceneFrame* frame = bone ? bone->getBoneFrame() : nullptr;
    if (!frame)
        return -1;
    const int result = renew()->createFromFrame(frame);
    if (result >= 0)
        attachScenePart();
    return result;
}

int SQRigidBody::createPlane(SquirrelObject position, SquirrelObject normal, int32_t worldId)
{
    Vector3D at, up;
    if (!ReadTableVector(position, at) || !ReadTableVector(normal, up))
        return -1;
    const int result = renew()->createPlane(at, up, worldId);
    if (result == 0)
        attachScenePart();
    return result;
}

int SQRigidBody::createSphere(float mass, SquirrelObject position, float radius, int32_t worldId)
{
    Vector3D at;
    if (!ReadTableVector(position, at))
        return -1;
    const int result = renew()->createSphere(mass, at, radius, worldId);
    if (result == 0)
        attachScenePart();
    return result;
}

int SQRigidBody::createBox(float mass, SquirrelObject position, SquirrelObject size, int32_t worldId)
{
    Vector3D at, extent;
    if (!ReadTableVector(position, at) || !ReadTableVector(size, extent))
        return -1;
    const int result = renew()->createBox(mass, at, extent, worldId);
    if (result == 0)
        attachScenePart();
    return result;
}

int SQRigidBody::createCylinder(float mass, SquirrelObject position, float radius, float height, int32_t worldId)
{
    Vector3D at;
    if (!ReadTableVector(position, at))
        return -1;
    const int result = renew()->createCylinder(mass, at, radius, height, worldId);
    if (result == 0)
        attachScenePart();
    return result;
}

int SQRigidBody::createCapsule(float mass, SquirrelObject position, float radius, float height, int32_t worldId)
{
    Vector3D at;
    if (!ReadTableVector(position, at))
        return -1;
    const int result = renew()->createCapsule(mass, at, radius, height, worldId);
    if (result == 0)
        attachScenePart();
    return result;
}

// ---- Switches and coefficients

void SQRigidBody::setEnableDynamics(int32_t enable)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setEnableDynamics(enable ? 1 : 0);
}

void SQRigidBody::setEnableCollision(int32_t enable)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setEnableCollision(enable);
}

void SQRigidBody::setEnableGravity(int32_t enable)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setEnableGravity(enable);
}

void SQRigidBody::setEnableControler(int32_t enable)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setEnableControler(enable);
}

void SQRigidBody::reset()
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->reset();
}

void SQRigidBody::setFrictionalCoefficient(float value)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setFrictionalCoefficient(value);
}

float SQRigidBody::getFrictionalCoefficient()
{
    Kavro::IPhysicsRigidBody* b = library();
    return b ? b->getFrictionalCoefficient() : 0.0f;
}

void SQRigidBody::setRestitutionCoefficient(float value)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setRestitutionCoefficient(value);
}

float SQRigidBody::getRestitutionCoefficient()
{
    Kavro::IPhysicsRigidBody* b = library();
    return b ? b->getRestitutionCoefficient() : 0.0f;
}

void SQRigidBody::setLinearDamping(float value)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setLinearDamping(value);
}

void SQRigidBody::setAngularDamping(float value)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setAngularDamping(value);
}

void SQRigidBody::setLinearFactor(float x, float y, float z)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setLinearFactor(Vector3D(x, y, z));
}

void SQRigidBody::setAngularFactor(float x, float y, float z)
{
    if (Kavro::IPhysicsRigidBody* b = library())
        b->setAngularFactor(Vector3D(x, y, z));
}

void SQRigidBody::setLinearVelocity(SquirrelObject velocity)
{
    Vector3D v;
    Kavro::IPhysicsRigidBody* b = library();
    if (b && ReadTableVector(velocity, v))
        b->setLinearVelocity(v);
}

void SQRigidBody::setAngularVelocity(SquirrelObject velocity)
{
    Vector3D v;
    Kavro::IPhysicsRigidBody* b = library();
    if (b && ReadTableVector(velocity, v))
        b->setAngularVelocity(v);
}

void SQRigidBody::addForce(SquirrelObject force, int32_t, int32_t)
{
    Vector3D v;
    ReadTableVector(force, v);
}

void SQRigidBody::addForceAt(SquirrelObject force, SquirrelObject at, int32_t, int32_t)
{
    Vector3D v;
    ReadTableVector(force, v) && ReadTableVector(at, v);
}

void SQRigidBody::addTorque(SquirrelObject torque, int32_t, int32_t)
{
    Vector3D v;
    ReadTableVector(torque, v);
}

// ---- Joints

int SQRigidBody::attachWithBallJoint(const char* jointName, const char* otherName, SquirrelObject pivot,
                                     int32_t flag)
{
    Vector3D at;
    if (!body || !ReadTableVector(pivot, at))
        return -1;
    CRigidBody* other = findBody(otherName);
    if (!other)
        return -1;
    body->createBallJoint(jointName ? jointName : "", other, at, flag ? 1 : 0);
    return 0;
}

int SQRigidBody::attachWith6DOFJoint(const char* jointName, const char* otherName, SquirrelObject position,
                                     SquirrelObject rotation, int32_t flag)
{
    Vector3D at, angles;
    if (!body || !ReadTableVector(position, at) || !ReadTableVector(rotation, angles))
        return -1;
    CRigidBody* other = findBody(otherName);
    if (!other)
        return -1;
    body->create6DOFJoint(jointName ? jointName : "", other, at, angles, flag ? 1 : 0);
    return 0;
}

int SQRigidBody::releaseJoint(const char* jointName)
{
    if (!body)
        return -1;
    body->releaseJoint(jointName ? jointName : "");
    return 0;
}

// ---- Timed motion and queries

void SQRigidBody::move(float x, float y, float z, int32_t time, int32_t easing)
{
    if (body)
        body->move(Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQRigidBody::rotate(float x, float y, float z, int32_t time, int32_t easing)
{
    if (body)
        body->rotate(Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQRigidBody::getMove()
{
    setVectorResult(body ? body->getMove() : Vector3D());
}

void SQRigidBody::getRotate()
{
    setVectorResult(body ? body->getRotate() : Vector3D());
}

void SQRigidBody::getLinearVelocity()
{
    setVectorResult(body ? body->getLinearVelocity() : Vector3D());
}

void SQRigidBody::getAngularVelocity()
{
    setVectorResult(body ? body->getAngularVelocity() : Vector3D());
}

int SQRigidBody::isMoving()
{
    return body ? body->isMoving() : 0;
}

int SQRigidBody::isRotating()
{
    return body ? body->isRotating() : 0;
}

void SQRigidBody::registerClass()
{
    using R = SQRigidBody;
    SquirrelObject c = SqPlus::RegisterClassType<R>("SQRigidBody");
    SqPlus::RegisterConstructor<R, const char*>(c);
    RegisterRenderingMethods<R>(c);
    SqPlus::RegisterInstance(c, &R::create, "create");
    SqPlus::RegisterInstance(c, &R::createPlane, "createPlane");
    SqPlus::RegisterInstance(c, &R::createSphere, "createSphere");
    SqPlus::RegisterInstance(c, &R::createBox, "createBox");
    SqPlus::RegisterInstance(c, &R::createCylinder, "createCylinder");
    SqPlus::RegisterInstance(c, &R::createCapsule, "createCapsule");
    SqPlus::RegisterInstance(c, &R::setEnableDynamics, "setEnableDynamics");
    SqPlus::RegisterInstance(c, &R::setEnableCollision, "setEnableCollision");
    SqPlus::RegisterInstance(c, &R::setEnableGravity, "setEnableGravity");
    SqPlus::RegisterInstance(c, &R::setEnableControler, "setEnableControler");
    SqPlus::RegisterInstance(c, &R::reset, "reset");
    SqPlus::RegisterInstance(c, &R::setFrictionalCoefficient, "setFrictionalCoefficient");
    SqPlus::RegisterInstance(c, &R::getFrictionalCoefficient, "getFrictionalCoefficient");
    SqPlus::RegisterInstance(c, &R::setRestitutionCoefficient, "setRestitutionCoefficient");
    SqPlus::RegisterInstance(c, &R::getRestitutionCoefficient, "getRestitutionCoefficient");
    SqPlus::RegisterInstance(c, &R::setLinearDamping, "setLinearDamping");
    SqPlus::RegisterInstance(c, &R::setAngularDamping, "setAngularDamping");
    SqPlus::RegisterInstance(c, &R::setLinearFactor, "setLinearFactor");
    SqPlus::RegisterInstance(c, &R::setAngularFactor, "setAngularFactor");
    SqPlus::RegisterInstance(c, &R::setLinearVelocity, "setLinearVelocity");
    SqPlus::RegisterInstance(c, &R::setAngularVelocity, "setAngularVelocity");
    SqPlus::RegisterInstance(c, &R::addForce, "addForce");
    SqPlus::RegisterInstance(c, &R::addForceAt, "addForceAt");
    SqPlus::RegisterInstance(c, &R::addTorque, "addTorque");
    SqPlus::RegisterInstance(c, &R::attachWithBallJoint, "attachWithBallJoint");
    SqPlus::RegisterInstance(c, &R::attachWith6DOFJoint, "attachWith6DOFJoint");
    SqPlus::RegisterInstance(c, &R::releaseJoint, "releaseJoint");
    SqPlus::RegisterInstance(c, &R::move, "move");
    SqPlus::RegisterInstance(c, &R::rotate, "rotate");
    SqPlus::RegisterInstance(c, &R::getMove, "getMove");
    SqPlus::RegisterInstance(c, &R::getMove, "getPosition");
    SqPlus::RegisterInstance(c, &R::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &R::getLinearVelocity, "getLinearVelocity");
    SqPlus::RegisterInstance(c, &R::getAngularVelocity, "getAngularVelocity");
    SqPlus::RegisterInstance(c, &R::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &R::isRotating, "isRotating");
}

} // namespace Orvane::Squirrel
