#include "support/FakePhysics.h"

#include "support/Fake3D.h"

namespace OrvaneTest
{

RecordingRigidBody::RecordingRigidBody(CallLog& log, FakeRegistry* registry, const std::string& label, float mass)
    : CountedFake(log, registry, label), mass(mass)
{
}

void RecordingRigidBody::setUserPointer(void* pointer)
{
    call("setUserPointer", pointer ? "set" : "null");
    userPointer = pointer;
}

void* RecordingRigidBody::getUserPointer()
{
    touch("getUserPointer");
    return userPointer;
}

int RecordingRigidBody::setPosition(const Kavro::Vector3D& value)
{
    call("setPosition", Text(value));
    position = value;
    return 0;
}

Kavro::Vector3D RecordingRigidBody::getPosition()
{
    touch("getPosition");
    return position;
}

int RecordingRigidBody::setRotation(const Kavro::Matrix4x4& value)
{
    call("setRotation", Text(value));
    rotation = value;
    rotation._41 = rotation._42 = rotation._43 = 0.0f;
    return 0;
}

Kavro::Matrix4x4 RecordingRigidBody::getRotation()
{
    touch("getRotation");
    return rotation;
}

int RecordingRigidBody::setTransform(const Kavro::Matrix4x4& value)
{
    call("setTransform", Text(value));
    rotation = value;
    rotation._41 = rotation._42 = rotation._43 = 0.0f;
    position = value.GetPosition();
    return 0;
}

Kavro::Vector3D RecordingRigidBody::getLinearVelocity()
{
    touch("getLinearVelocity");
    return linearVelocity;
}

Kavro::Vector3D RecordingRigidBody::getAngularVelocity()
{
    touch("getAngularVelocity");
    return angularVelocity;
}

int RecordingRigidBody::setLinearVelocity(const Kavro::Vector3D& value)
{
    call("setLinearVelocity", Text(value));
    linearVelocity = value;
    return 0;
}

int RecordingRigidBody::setAngularVelocity(const Kavro::Vector3D& value)
{
    call("setAngularVelocity", Text(value));
    angularVelocity = value;
    return 0;
}

int RecordingRigidBody::setLinearFactor(const Kavro::Vector3D& factor)
{
    call("setLinearFactor", Text(factor));
    return 0;
}

int RecordingRigidBody::setAngularFactor(const Kavro::Vector3D& factor)
{
    call("setAngularFactor", Text(factor));
    return 0;
}

float RecordingRigidBody::getMass()
{
    touch("getMass");
    return mass;
}

int RecordingRigidBody::setFrictionalCoefficient(float value)
{
    call("setFrictionalCoefficient", value);
    friction = value;
    return 0;
}

float RecordingRigidBody::getFrictionalCoefficient()
{
    touch("getFrictionalCoefficient");
    return friction;
}

int RecordingRigidBody::setRestitutionCoefficient(float value)
{
    call("setRestitutionCoefficient", value);
    restitution = value;
    return 0;
}

float RecordingRigidBody::getRestitutionCoefficient()
{
    touch("getRestitutionCoefficient");
    return restitution;
}

int RecordingRigidBody::setLinearDamping(float value)
{
    call("setLinearDamping", value);
    linearDamping = value;
    return 0;
}

float RecordingRigidBody::getLinearDamping()
{
    touch("getLinearDamping");
    return linearDamping;
}

int RecordingRigidBody::setAngularDamping(float value)
{
    call("setAngularDamping", value);
    angularDamping = value;
    return 0;
}

float RecordingRigidBody::getAngularDamping()
{
    touch("getAngularDamping");
    return angularDamping;
}

int RecordingRigidBody::setEnableDynamics(int enable)
{
    call("setEnableDynamics", enable);
    return 0;
}

int RecordingRigidBody::setEnableCollision(int enable)
{
    call("setEnableCollision", enable);
    return 0;
}

int RecordingRigidBody::setEnableGravity(int enable)
{
    call("setEnableGravity", enable);
    gravity = uint32_t(enable);
    return 0;
}

uint32_t RecordingRigidBody::getEnableGravity()
{
    touch("getEnableGravity");
    return gravity;
}

int RecordingRigidBody::setEnableControler(int enable)
{
    call("setEnableControler", enable);
    return 0;
}

uint32_t RecordingRigidBody::getStateWord()
{
    touch("getStateWord");
    return stateWord;
}

int RecordingRigidBody::reset()
{
    call("reset");
    linearVelocity = angularVelocity = Kavro::Vector3D();
    return 0;
}

int RecordingRigidBody::attachToScene(Kavro::ISceneManager* scene, const float& lineWidth)
{
    call("attachToScene", scene ? "scene" : "null", lineWidth);
    return 0;
}

Kavro::ISceneNode* RecordingRigidBody::getSceneObject()
{
    call("getSceneObject");
    return &node;
}

int RecordingJoint::connected(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Matrix4x4& fa,
                              const Kavro::Matrix4x4& fb)
{
    bodyA = a;
    bodyB = b;
    frameA = fa;
    frameB = fb;
    return a ? 0 : -1;
}

int RecordingJoint::connectBall(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b,
                                const Kavro::Vector3D& pivot, const uint32_t& flag)
{
    call("connectBall", Text(dynamic_cast<FakeLife*>(a)), Text(dynamic_cast<FakeLife*>(b)), Text(pivot), flag);
    return connected(a, b, Kavro::Matrix4x4::GetTranslation(pivot.x, pivot.y, pivot.z), Kavro::Matrix4x4());
}

int RecordingJoint::connectBallFrames(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b,
                                      const Kavro::Matrix4x4& fa, const Kavro::Matrix4x4& fb, const uint32_t& flag)
{
    call("connectBallFrames", Text(dynamic_cast<FakeLife*>(a)), Text(dynamic_cast<FakeLife*>(b)), Text(fa), Text(fb),
         flag);
    return connected(a, b, fa, fb);
}

int RecordingJoint::connect6DOF(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b,
                                const Kavro::Matrix4x4& frame, const uint32_t& flag)
{
    call("connect6DOF", Text(dynamic_cast<FakeLife*>(a)), Text(dynamic_cast<FakeLife*>(b)), Text(frame), flag);
    return connected(a, b, frame, frame);
}

int RecordingJoint::connect6DOFFrames(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b,
                                      const Kavro::Matrix4x4& fa, const Kavro::Matrix4x4& fb, const uint32_t& flag)
{
    call("connect6DOFFrames", Text(dynamic_cast<FakeLife*>(a)), Text(dynamic_cast<FakeLife*>(b)), Text(fa), Text(fb),
         flag);
    return connected(a, b, fa, fb);
}

int RecordingJoint::detach()
{
    call("detach");
    return 0;
}

#define ORVANE_FAKE_JOINT_VECTOR(op, T)                                                                       \
    int RecordingJoint::op(const T& x, const T& y, const T& z)                                                \
    {                                                                                                          \
        call(#op, x, y, z);                                                                                    \
        return 0;                                                                                              \
    }
ORVANE_FAKE_JOINT_VECTOR(setAngularUpperLimit, float)
ORVANE_FAKE_JOINT_VECTOR(setAngularLowerLimit, float)
ORVANE_FAKE_JOINT_VECTOR(setLinearUpperLimit, float)
ORVANE_FAKE_JOINT_VECTOR(setLinearLowerLimit, float)
ORVANE_FAKE_JOINT_VECTOR(setAngularEnableSpring, int)
ORVANE_FAKE_JOINT_VECTOR(setLinearEnableSpring, int)
ORVANE_FAKE_JOINT_VECTOR(setAngularSpringStiffness, float)
ORVANE_FAKE_JOINT_VECTOR(setAngularSpringDamping, float)
ORVANE_FAKE_JOINT_VECTOR(setLinearSpringStiffness, float)
ORVANE_FAKE_JOINT_VECTOR(setLinearSpringDamping, float)
#undef ORVANE_FAKE_JOINT_VECTOR

int RecordingJoint::setERP(const float& value)
{
    call("setERP", value);
    erp = value;
    return 0;
}

float RecordingJoint::getERP()
{
    touch("getERP");
    return erp;
}

int RecordingJoint::setCFM(const float& value)
{
    call("setCFM", value);
    cfm = value;
    return 0;
}

float RecordingJoint::getCFM()
{
    touch("getCFM");
    return cfm;
}

int RecordingJoint::setBreakingImpulseThreshold(const float& value)
{
    call("setBreakingImpulseThreshold", value);
    breakingImpulse = value;
    return 0;
}

float RecordingJoint::getBreakingImpulseThreshold()
{
    touch("getBreakingImpulseThreshold");
    return breakingImpulse;
}

Kavro::IPhysicsRigidBody* RecordingJoint::getBodyA()
{
    touch("getBodyA");
    if (bodyA)
        bodyA->addRef();
    return bodyA;
}

Kavro::IPhysicsRigidBody* RecordingJoint::getBodyB()
{
    touch("getBodyB");
    if (bodyB)
        bodyB->addRef();
    return bodyB;
}

Kavro::Matrix4x4 RecordingJoint::getFrameA()
{
    touch("getFrameA");
    return frameA;
}

Kavro::Matrix4x4 RecordingJoint::getFrameB()
{
    touch("getFrameB");
    return frameB;
}

int RecordingJoint::attachToScene(Kavro::ISceneManager* scene, const float& lineWidth)
{
    call("attachToScene", scene ? "scene" : "null", lineWidth);
    return 0;
}

Kavro::ISceneNode* RecordingJoint::getSceneObject()
{
    call("getSceneObject");
    return &node;
}

int FakePhysicsWorld::step(float seconds)
{
    log_.add("step", label_, seconds);
    return 0;
}

int FakePhysicsWorld::setParameter(const void* value)
{
    log_.add("setParameter", label_, *static_cast<const float*>(value));
    return 0;
}

int FakePhysicsWorld::setGravity(const Kavro::Vector3D& value)
{
    log_.add(Join({label_, ".setGravity"}), Text(value));
    gravity = value;
    return 0;
}

const Kavro::Vector3D* FakePhysicsWorld::getGravity()
{
    return &gravity;
}

int FakePhysicsWorld::setActive(const int& value)
{
    log_.add(Join({label_, ".setActive"}), value);
    active = value;
    return 0;
}

int FakePhysicsWorld::isActive()
{
    return active;
}

int FakePhysicsWorld::rayTest(const Kavro::Vector3D& from, const Kavro::Vector3D& to,
                              Kavro::PhysicsHitResult& result, const int& mask)
{
    log_.add(Join({label_, ".rayTest"}), Text(from), Text(to), mask);
    if (rayHits.empty())
        return 0;
    result = rayHits.front();
    rayHits.pop_front();
    return 1;
}

int FakePhysicsWorld::sweepTest(Kavro::IPhysicsRigidBody* body, const Kavro::Vector3D& to, const float& margin,
                                Kavro::PhysicsHitResult& result, const int& mask)
{
    log_.add(Join({label_, ".sweepTest"}), Text(dynamic_cast<FakeLife*>(body)), Text(to), margin, mask);
    if (sweepHits.empty())
        return 0;
    result = sweepHits.front();
    sweepHits.pop_front();
    return 1;
}

RecordingRigidBody* FakePhysicsWorld::made(float mass, const Kavro::Vector3D& position)
{
    if (noCreate)
        return nullptr;
    const std::string label = fake ? fake->nextLabel("body") : Join({label_, ".body", std::to_string(bodies.size() + 1)});
    auto* body = new RecordingRigidBody(log_, fake ? &fake->registry : nullptr, label, mass);
    body->position = position;
    bodies.push_back(body);
    return body;
}

Kavro::IPhysicsRigidBody* FakePhysicsWorld::createPlane(const Kavro::Vector3D& position,
                                                        const Kavro::Vector3D& normal)
{
    log_.add(Join({label_, ".createPlane"}), Text(position), Text(normal));
    return made(0.0f, position);
}

Kavro::IPhysicsRigidBody* FakePhysicsWorld::createSphere(float mass, const Kavro::Vector3D& position, float radius,
                                                         const Kavro::Matrix4x4& transform)
{
    log_.add(Join({label_, ".createSphere"}), mass, Text(position), radius, Text(transform));
    return made(mass, position);
}

Kavro::IPhysicsRigidBody* FakePhysicsWorld::createBox(float mass, const Kavro::Vector3D& position,
                                                      const Kavro::Vector3D& size, const Kavro::Matrix4x4& transform)
{
    log_.add(Join({label_, ".createBox"}), mass, Text(position), Text(size), Text(transform));
    return made(mass, position);
}

Kavro::IPhysicsRigidBody* FakePhysicsWorld::createCylinder(float mass, const Kavro::Vector3D& position,
                                                           const float& radius, const float& height,
                                                           const Kavro::Matrix4x4& transform)
{
    log_.add(Join({label_, ".createCylinder"}), mass, Text(position), radius, height, Text(transform));
    return made(mass, position);
}

Kavro::IPhysicsRigidBody* FakePhysicsWorld::createCapsule(float mass, const Kavro::Vector3D& position,
                                                          const float& radius, const float& height,
                                                          const Kavro::Matrix4x4& transform)
{
    log_.add(Join({label_, ".createCapsule"}), mass, Text(position), radius, height, Text(transform));
    return made(mass, position);
}

Kavro::IPhysicsJoint* FakePhysicsWorld::createJoint()
{
    log_.add(Join({label_, ".createJoint"}));
    if (noCreate)
        return nullptr;
    const std::string label = fake ? fake->nextLabel("joint") : Join({label_, ".joint", std::to_string(joints.size() + 1)});
    auto* joint = new RecordingJoint(log_, fake ? &fake->registry : nullptr, label);
    joints.push_back(joint);
    return joint;
}

} // namespace OrvaneTest
