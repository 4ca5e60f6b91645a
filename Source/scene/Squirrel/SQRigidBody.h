#pragma once

#include "scene/PhysicsSceneObjects.h"
#include "script/Squirrel/SQRenderer.h"
#include "script/SquirrelObject.h"

#include <kavro/IPhysicsRigidBody.h>

#include <cstdint>

namespace Orvane
{
class CRigidBody;
}

namespace Orvane::Squirrel
{

// The script class "SQRigidBody": makes rigid bodies in the application's physics worlds (five shapes, or
// the body a bone's frame carries), drives their timed moves and rotations once per frame, sets their
// switches and coefficients, and joins them to other bodies. Each creation makes a new engine body named
// after the object; the scene part keeps the library body of the last successful one.
class SQRigidBody : public SQRenderer<Kavro::IPhysicsRigidBody>
{
public:
    class CSceneJointObject : public CSceneObject<Kavro::IPhysicsRigidBody>
    {
    };

    explicit SQRigidBody(const char* name);
    ~SQRigidBody() override;

    Kavro::IPhysicsRigidBody* getEngineObject() override { return scene.get(); }
    ISceneObject* getSceneObject() override { return &scene; }
    // Null before the first creation.
    CRigidBody* getRigidBody() const { return body; }
    // The body's timed motion; -1 without an engine body.
    int update() override;
    // The scene part shows the body while the object is not erased.
    int render() override;

    int create(const char* boneName);
    int createPlane(SquirrelObject position, SquirrelObject normal, int32_t worldId);
    int createSphere(float mass, SquirrelObject position, float radius, int32_t worldId);
    int createBox(float mass, SquirrelObject position, SquirrelObject size, int32_t worldId);
    int createCylinder(float mass, SquirrelObject position, float radius, float height, int32_t worldId);
    int createCapsule(float mass, SquirrelObject position, float radius, float height, int32_t worldId);

    void setEnableDynamics(int32_t enable);
    void setEnableCollision(int32_t enable);
    void setEnableGravity(int32_t enable);
    void setEnableControler(int32_t enable);
    void reset();
    void setFrictionalCoefficient(float value);
    float getFrictionalCoefficient();
    void setRestitutionCoefficient(float value);
    float getRestitutionCoefficient();
    void setLinearDamping(float value);
    void setAngularDamping(float value);
    void setLinearFactor(float x, float y, float z);
    void setAngularFactor(float x, float y, float z);
    void setLinearVelocity(SquirrelObject velocity);
    void setAngularVelocity(SquirrelObject velocity);
    // Registered for scripts that call them; they only check their tables.
    void addForce(SquirrelObject force, int32_t a, int32_t b);
    void addForceAt(SquirrelObject force, SquirrelObject at, int32_t a, int32_t b);
    void addTorque(SquirrelObject torque, int32_t a, int32_t b);

    // 0, also when no joint could be made; -1 without a body, a full pivot table or a created other body.
    int attachWithBallJoint(const char* jointName, const char* otherName, SquirrelObject pivot, int32_t flag);
    int attachWith6DOFJoint(const char* jointName, const char* otherName, SquirrelObject position,
                            SquirrelObject rotation, int32_t flag);
    int releaseJoint(const char* jointName);

    void move(float x, float y, float z, int32_t time, int32_t easing);
    void rotate(float x, float y, float z, int32_t time, int32_t easing);
    // x, y, z and 0 to SQMATH_RET_1..4; zeros without a body.
    void getMove();
    void getRotate();
    void getLinearVelocity();
    void getAngularVelocity();
    int isMoving();
    int isRotating();

    static void registerClass();

private:
    // A new engine body in place of the old one (released), named after this object.
    CRigidBody* renew();
    // The scene part takes the new library body and shows it in the scene.
    void attachScenePart();
    // The library body when there is an engine body with one.
    Kavro::IPhysicsRigidBody* library() const;
    // The created rigid body of the object of that name in this object's task, or null.
    CRigidBody* findBody(const char* name) const;

    CRigidBody* body = nullptr;
    CSceneJointObject scene;
};

// The vector under "x", "y" and "z" of a script table (numbers; anything else 0.0). False, leaving v alone,
// when the value is no table or a key is missing.
bool ReadTableVector(const SquirrelObject& table, Kavro::Vector3D& v);

} // namespace Orvane::Squirrel
