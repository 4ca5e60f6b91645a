#pragma once

#include "scene/PhysicsSceneObjects.h"
#include "script/Squirrel/SQRenderer.h"

#include <kavro/IPhysicsJoint.h>

#include <cstdint>

namespace Orvane
{
class CJoint;
}

namespace Orvane::Squirrel
{

// The script class "SQJoint": takes a joint out of a rigid-body object's joint table by name and tunes its
// limits, springs and solver values. The limits and springs are kept by the joint (for the physics-setting
// export); ERP, CFM and the breaking threshold live in the library only.
class SQJoint : public SQRenderer<Kavro::IPhysicsJoint>
{
public:
    class CSceneJointObject : public CSceneObject<Kavro::IPhysicsJoint>
    {
    };

    explicit SQJoint(const char* name);
    ~SQJoint() override;

    Kavro::IPhysicsJoint* getEngineObject() override { return scene.get(); }
    ISceneObject* getSceneObject() override { return &scene; }
    // Null before a successful create.
    CJoint* getJoint() const { return joint; }
    int update() override { return 0; }
    // The scene part shows the constraint while the object is not erased.
    int render() override;

    // 0, or -1 (holding no joint then) for an empty name, a name of no created rigid body or of no joint.
    int create(const char* bodyName, const char* jointName);
    void setAngularUpperLimit(float x, float y, float z);
    void setAngularLowerLimit(float x, float y, float z);
    void setAngularEnableSpring(int32_t x, int32_t y, int32_t z);
    void setAngularSpringStiffness(float x, float y, float z);
    void setAngularSpringDamping(float x, float y, float z);
    void setLinearUpperLimit(float x, float y, float z);
    void setLinearLowerLimit(float x, float y, float z);
    void setLinearEnableSpring(int32_t x, int32_t y, int32_t z);
    void setLinearSpringStiffness(float x, float y, float z);
    void setLinearSpringDamping(float x, float y, float z);
    void setERP(float value);
    float getERP();
    void setCFM(float value);
    float getCFM();
    void setBreakingImpulseThreshold(float value);
    float getBreakingImpulseThreshold();

    static void registerClass();

private:
    void releaseHeldJoint();
    // The constraint of the joint held, or null.
    Kavro::IPhysicsJoint* constraint() const;

    CJoint* joint = nullptr;
    CSceneJointObject scene;
};

} // namespace Orvane::Squirrel
