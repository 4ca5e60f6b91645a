#pragma once

#include "support/CallLog.h"
#include "support/FakeRegistry.h"

#include <kavro/IPhysicsJoint.h>
#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/ISceneNode.h>

#include <deque>
#include <string>
#include <vector>

namespace OrvaneTest
{

class Fake3D;

// Rigid body ("body<n>"): logs every setter and answers what was set (position, rotation, coefficients);
// the mass and state word are fixed by its maker.
class RecordingRigidBody : public CountedFake<Kavro::IPhysicsRigidBody>
{
public:
    RecordingRigidBody(CallLog& log, FakeRegistry* registry, const std::string& label, float mass);

    void setUserPointer(void* pointer) override;
    void* getUserPointer() override;
    int setPosition(const Kavro::Vector3D& position) override;
    Kavro::Vector3D getPosition() override;
    int setRotation(const Kavro::Matrix4x4& rotation) override;
    Kavro::Matrix4x4 getRotation() override;
    int setTransform(const Kavro::Matrix4x4& transform) override;
    Kavro::Vector3D getLinearVelocity() override;
    Kavro::Vector3D getAngularVelocity() override;
    int setLinearVelocity(const Kavro::Vector3D& velocity) override;
    int setAngularVelocity(const Kavro::Vector3D& velocity) override;
    int setLinearFactor(const Kavro::Vector3D& factor) override;
    int setAngularFactor(const Kavro::Vector3D& factor) override;
    float getMass() override;
    int setFrictionalCoefficient(float value) override;
    float getFrictionalCoefficient() override;
    int setRestitutionCoefficient(float value) override;
    float getRestitutionCoefficient() override;
    int setLinearDamping(float value) override;
    float getLinearDamping() override;
    int setAngularDamping(float value) override;
    float getAngularDamping() override;
    int setEnableDynamics(int enable) override;
    int setEnableCollision(int enable) override;
    int setEnableGravity(int enable) override;
    uint32_t getEnableGravity() override;
    int setEnableControler(int enable) override;
    uint32_t getStateWord() override;
    int reset() override;
    int attachToScene(Kavro::ISceneManager* scene, const float& lineWidth) override;
    Kavro::ISceneNode* getSceneObject() override;

    void* userPointer = nullptr;
    Kavro::Vector3D position;
    Kavro::Matrix4x4 rotation;
    Kavro::Vector3D linearVelocity, angularVelocity;
    float mass;
    float friction = 0.5f, restitution = 0.0f, linearDamping = 0.0f, angularDamping = 0.0f;
    uint32_t gravity = 1;
    uint32_t stateWord = 1;

    FakeSceneNode node{this};
};

// Joint ("joint<n>"): logs the connect calls, setters and detach; keeps the bodies and frames it was
// connected with (getBodyA and getBodyB add a reference, as the library does) and answers the solver
// values that were set.
class RecordingJoint : public CountedFake<Kavro::IPhysicsJoint>
{
public:
    using CountedFake::CountedFake;

    int connectBall(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Vector3D& pivot,
                    const uint32_t& flag) override;
    int connectBallFrames(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Matrix4x4& frameA,
                          const Kavro::Matrix4x4& frameB, const uint32_t& flag) override;
    int connect6DOF(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Matrix4x4& frame,
                    const uint32_t& flag) override;
    int connect6DOFFrames(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Matrix4x4& frameA,
                          const Kavro::Matrix4x4& frameB, const uint32_t& flag) override;
    int detach() override;
    int setAngularUpperLimit(const float& x, const float& y, const float& z) override;
    int setAngularLowerLimit(const float& x, const float& y, const float& z) override;
    int setLinearUpperLimit(const float& x, const float& y, const float& z) override;
    int setLinearLowerLimit(const float& x, const float& y, const float& z) override;
    int setAngularEnableSpring(const int& x, const int& y, const int& z) override;
    int setLinearEnableSpring(const int& x, const int& y, const int& z) override;
    int setAngularSpringStiffness(const float& x, const float& y, const float& z) override;
    int setAngularSpringDamping(const float& x, const float& y, const float& z) override;
    int setLinearSpringStiffness(const float& x, const float& y, const float& z) override;
    int setLinearSpringDamping(const float& x, const float& y, const float& z) override;
    int setERP(const float& value) override;
    float getERP() override;
    int setCFM(const float& value) override;
    float getCFM() override;
    int setBreakingImpulseThreshold(const float& value) override;
    float getBreakingImpulseThreshold() override;
    Kavro::IPhysicsRigidBody* getBodyA() override;
    Kavro::IPhysicsRigidBody* getBodyB() override;
    Kavro::Matrix4x4 getFrameA() override;
    Kavro::Matrix4x4 getFrameB() override;
    int attachToScene(Kavro::ISceneManager* scene, const float& lineWidth) override;
    Kavro::ISceneNode* getSceneObject() override;

    Kavro::IPhysicsRigidBody* bodyA = nullptr; // not counted
    Kavro::IPhysicsRigidBody* bodyB = nullptr;
    Kavro::Matrix4x4 frameA, frameB;
    float erp = 0.2f, cfm = 0.0f, breakingImpulse = 3.4e38f;

private:
    int connected(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Matrix4x4& fa,
                  const Kavro::Matrix4x4& fb);

public:
    FakeSceneNode node{this};
};

// Physics world: logs step and setParameter as "step(label, seconds)" and "setParameter(label, value)",
// every other operation as "label.<operation>(...)". Bodies and joints it makes are RecordingRigidBody and
// RecordingJoint, kept by the Fake3D's registry when it has one; ray and sweep tests answer the queued hits
// (no hit once the queue is empty); noCreate makes every create answer null.
class FakePhysicsWorld : public LoggedRefCounted<Kavro::IPhysicsWorld>
{
public:
    FakePhysicsWorld(CallLog& log, std::string label, Fake3D* fake = nullptr)
        : fake(fake), log_(log), label_(std::move(label))
    {
    }
    int step(float seconds) override;
    int setParameter(const void* value) override;
    int setGravity(const Kavro::Vector3D& gravity) override;
    const Kavro::Vector3D* getGravity() override;
    int setActive(const int& active) override;
    int isActive() override;
    int rayTest(const Kavro::Vector3D& from, const Kavro::Vector3D& to, Kavro::PhysicsHitResult& result,
                const int& mask) override;
    int sweepTest(Kavro::IPhysicsRigidBody* body, const Kavro::Vector3D& to, const float& margin,
                  Kavro::PhysicsHitResult& result, const int& mask) override;
    Kavro::IPhysicsRigidBody* createPlane(const Kavro::Vector3D& position, const Kavro::Vector3D& normal) override;
    Kavro::IPhysicsRigidBody* createSphere(float mass, const Kavro::Vector3D& position, float radius,
                                           const Kavro::Matrix4x4& transform) override;
    Kavro::IPhysicsRigidBody* createBox(float mass, const Kavro::Vector3D& position, const Kavro::Vector3D& size,
                                        const Kavro::Matrix4x4& transform) override;
    Kavro::IPhysicsRigidBody* createCylinder(float mass, const Kavro::Vector3D& position, const float& radius,
                                             const float& height, const Kavro::Matrix4x4& transform) override;
    Kavro::IPhysicsRigidBody* createCapsule(float mass, const Kavro::Vector3D& position, const float& radius,
                                            const float& height, const Kavro::Matrix4x4& transform) override;
    Kavro::IPhysicsJoint* createJoint() override;

    Fake3D* fake;
    Kavro::Vector3D gravity{0.0f, -9.8f, 0.0f};
    int active = 1;
    std::deque<Kavro::PhysicsHitResult> rayHits;
    std::deque<Kavro::PhysicsHitResult> sweepHits;
    bool noCreate = false;
    std::vector<RecordingRigidBody*> bodies;
    std::vector<RecordingJoint*> joints;

private:
    // A new body standing at position.
    RecordingRigidBody* made(float mass, const Kavro::Vector3D& position);
    CallLog& log_;
    std::string label_;
};

} // namespace OrvaneTest
