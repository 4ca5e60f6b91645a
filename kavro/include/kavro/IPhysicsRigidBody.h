#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"

namespace Kavro
{

class ISceneManager;
class ISceneNode;

// A rigid body of a physics world (IPhysicsWorld::create*). Positions are in scene units, angles in
// degrees, masses in kilograms; a mass of 0 makes a static body.
class IPhysicsRigidBody : public IInterface
{
public:
    // The engine object the body stands for (not counted); null at first.
    virtual void setUserPointer(void* pointer) = 0;
    virtual void* getUserPointer() = 0;

    virtual int setPosition(const Vector3D& position) = 0;
    virtual Vector3D getPosition() = 0;
    // Orientation from the rotation part of matrix.
    virtual int setRotation(const Matrix4x4& rotation) = 0;
    virtual Matrix4x4 getRotation() = 0;
    // Orientation and position at once (rotation part and translation row).
    virtual int setTransform(const Matrix4x4& transform) = 0;
    virtual Vector3D getLinearVelocity() = 0;
    virtual Vector3D getAngularVelocity() = 0;
    virtual int setLinearVelocity(const Vector3D& velocity) = 0;
    virtual int setAngularVelocity(const Vector3D& velocity) = 0;
    // Per-axis multipliers of the motion the simulation gives the body.
    virtual int setLinearFactor(const Vector3D& factor) = 0;
    virtual int setAngularFactor(const Vector3D& factor) = 0;

    virtual float getMass() = 0;
    virtual int setFrictionalCoefficient(float value) = 0;
    virtual float getFrictionalCoefficient() = 0;
    virtual int setRestitutionCoefficient(float value) = 0;
    virtual float getRestitutionCoefficient() = 0;
    virtual int setLinearDamping(float value) = 0;
    virtual float getLinearDamping() = 0;
    virtual int setAngularDamping(float value) = 0;
    virtual float getAngularDamping() = 0;
    virtual int setEnableDynamics(int enable) = 0;
    virtual int setEnableCollision(int enable) = 0;
    virtual int setEnableGravity(int enable) = 0;
    virtual uint32_t getEnableGravity() = 0;
    // 1: the body is moved by its owner (kinematic) rather than by the simulation.
    virtual int setEnableControler(int enable) = 0;
    // The simulation's activation state of the body (1 active, 2 sleeping, 4 never sleeping: kinematic).
    virtual uint32_t getStateWord() = 0;
    // Puts the body back where and as it was created, at rest: velocities zero, forces cleared.
    virtual int reset() = 0;

    // Keeps the scene (counted) and the line width; the library draws no physics shapes, so the scene
    // object is a node the scene manager leaves undrawn.
    virtual int attachToScene(ISceneManager* scene, const float& lineWidth) = 0;
    virtual ISceneNode* getSceneObject() = 0;
};

} // namespace Kavro
