#include "scene/Squirrel/SQJoint.h"

#include "core/CApp.h"
#include "core/TaskObjectLinks.h"
#include "scene/CJoint.h"
#include "scene/CRigidBody.h"
#include "scene/Squirrel/SQRigidBody.h"

namespace Orvane::Squirrel
{

using Kavro::Vector3D;

namespace
{

// The scale of the lines the library draws for a constraint.
constexpr float SceneLineWidth = 3.0f;

} // namespace

SQJoint::SQJoint(const char* name) : SQRenderer<Kavro::IPhysicsJoint>(name ? name : "") {}

SQJoint::~SQJoint()
{
    scene.hold(nullptr);
    releaseHeldJoint();
}

void SQJoint::releaseHeldJoint()
{
    if (joint)
        joint->release();
    joint = nullptr;
}

Kavro::IPhysicsJoint* SQJoint::constraint() const
{
    return joint ? joint->getJoint() : nullptr;
}

int SQJoint::render()
{
    scene.visible = erase ? 0 : 1;
    return 0;
}

int SQJoint::create(const char* bodyName, const char* jointName)
{
    releaseHeldJoint();
    if (!jointName || !*jointName)
        return -1;
    auto* owner = dynamic_cast<SQRigidBody*>(FindTaskObject(getTask(), bodyName));
    CRigidBody* body = owner ? owner->getRigidBody() : nullptr;
    if (!body)
        return -1;
    joint = body->findJoint(jointName);
    if (!joint)
        return -1;
    scene.hold(joint->getJoint());
    CApp* app = CApp::get();
    if (scene.get())
        scene.get()->attachToScene(app ? app->sceneManager : nullptr, SceneLineWidth);
    return 0;
}

void SQJoint::setAngularUpperLimit(float x, float y, float z)
{
    if (joint)
        joint->setAngularUpperLimit(Vector3D(x, y, z));
}

void SQJoint::setAngularLowerLimit(float x, float y, float z)
{
    if (joint)
        joint->setAngularLowerLimit(Vector3D(x, y, z));
}

void SQJoint::setAngularEnableSpring(int32_t x, int32_t y, int32_t z)
{
    if (joint)
        joint->setAngularEnableSpring(x, y, z);
}

void SQJoint::setAngularSpringStiffness(float x, float y, float z)
{
    if (joint)
        joint->setAngularSpringStiffness(Vector3D(x, y, z));
}

void SQJoint::setAngularSpringDamping(float x, float y, float z)
{
    if (joint)
        joint->setAngularSpringDamping(Vector3D(x, y, z));
}

void SQJoint::setLinearUpperLimit(float x, float y, float z)
{
    if (joint)
        joint->setLinearUpperLimit(Vector3D(x, y, z));
}

void SQJoint::setLinearLowerLimit(float x, float y, float z)
{
    if (joint)
        joint->setLinearLowerLimit(Vector3D(x, y, z));
}

void SQJoint::setLinearEnableSpring(int32_t x, int32_t y, int32_t z)
{
    if (joint)
        joint->setLinearEnableSpring(x, y, z);
}

void SQJoint::setLinearSpringStiffness(float x, float y, float z)
{
    if (joint)
        joint->setLinearSpringStiffness(Vector3D(x, y, z));
}

void SQJoint::setLinearSpringDamping(float x, float y, float z)
{
    if (joint)
        joint->setLinearSpringDamping(Vector3D(x, y, z));
}

void SQJoint::setERP(float value)
{
    if (Kavro::IPhysicsJoint* c = constraint())
        c->setERP(value);
}

float SQJoint::getERP()
{
    Kavro::IPhysicsJoint* c = constraint();
    return c ? c->getERP() : 0.0f;
}

void SQJoint::setCFM(float value)
{
    if (Kavro::IPhysicsJoint* c = constraint())
        c->setCFM(value);
}

float SQJoint::getCFM()
{
    Kavro::IPhysicsJoint* c = constraint();
    return c ? c->getCFM() : 0.0f;
}

void SQJoint::setBreakingImpulseThreshold(float value)
{
    if (Kavro::IPhysicsJoint* c = constraint())
        c->setBreakingImpulseThreshold(value);
}

float SQJoint::getBreakingImpulseThreshold()
{
    Kavro::IPhysicsJoint* c = constraint();
    return c ? c->getBreakingImpulseThreshold() : 0.0f;
}

void SQJoint::registerClass()
{
    using J = SQJoint;
    SquirrelObject c = SqPlus::RegisterClassType<J>("SQJoint");
    SqPlus::RegisterConstructor<J, const char*>(c);
    RegisterRenderingMethods<J>(c);
    SqPlus::RegisterInstance(c, &J::create, "create");
    SqPlus::RegisterInstance(c, &J::setAngularUpperLimit, "setAngularUpperLimit");
    SqPlus::RegisterInstance(c, &J::setAngularLowerLimit, "setAngularLowerLimit");
    SqPlus::RegisterInstance(c, &J::setAngularEnableSpring, "setAngularEnableSpring");
    SqPlus::RegisterInstance(c, &J::setAngularSpringStiffness, "setAngularSpringStiffness");
    SqPlus::RegisterInstance(c, &J::setAngularSpringDamping, "setAngularSpringDamping");
    SqPlus::RegisterInstance(c, &J::setLinearUpperLimit, "setLinearUpperLimit");
    SqPlus::RegisterInstance(c, &J::setLinearLowerLimit, "setLinearLowerLimit");
    SqPlus::RegisterInstance(c, &J::setLinearEnableSpring, "setLinearEnableSpring");
    SqPlus::RegisterInstance(c, &J::setLinearSpringStiffness, "setLinearSpringStiffness");
    SqPlus::RegisterInstance(c, &J::setLinearSpringDamping, "setLinearSpringDamping");
    SqPlus::RegisterInstance(c, &J::setERP, "setERP");
    SqPlus::RegisterInstance(c, &J::getERP, "getERP");
    SqPlus::RegisterInstance(c, &J::setCFM, "setCFM");
    SqPlus::RegisterInstance(c, &J::getCFM, "getCFM");
    SqPlus::RegisterInstance(c, &J::setBreakingImpulseThreshold, "setBreakingImpulseThreshold");
    SqPlus::RegisterInstance(c, &J::getBreakingImpulseThreshold, "getBreakingImpulseThreshold");
}

} // namespace Orvane::Squirrel
