#pragma once

#include "core/CObject.h"
#include "scene/PhysicsRecords.h"

#include <kavro/Vector3D.h>

#include <cstdint>
#include <string>

namespace Kavro
{
class IPhysicsJoint;
class IPhysicsRigidBody;
class IPhysicsWorld;
} // namespace Kavro

namespace Orvane
{

// The engine's handle on one constraint of a physics world between two rigid bodies. It keeps its own copy
// of the limits and springs it was given, which is what a physics-setting export writes. Joints are made
// and owned by the first of their bodies (CRigidBody's joint table).
class CJoint : public CObject
{
public:
    static constexpr uint32_t BallJoint = 0;
    static constexpr uint32_t SixDofJoint = 1;

    explicit CJoint(const std::string& name);
    ~CJoint() override;

    // Keeps the world and asks it for a new, unconnected constraint: 0, or -1 without a world or when the
    // world made none.
    int setWorld(Kavro::IPhysicsWorld* newWorld);
    // Connects the constraint (made by setWorld); nothing without one.
    void attachBall(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Vector3D& pivot,
                    uint32_t newFlag);
    // A six-degrees-of-freedom joint whose frame is RotationZXY(rotation) placed at position.
    void attach6DOF(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Vector3D& position,
                    const Kavro::Vector3D& rotation, uint32_t newFlag);
    // Connects as the record says at a model of the given scale: a ball joint (type 0) through the record's
    // two frames with its block kept, any other type as a six-degrees-of-freedom joint with the record's
    // limits and springs sent to the library; then the record's ERP, CFM and breaking threshold.
    void attachFromSetting(Kavro::IPhysicsRigidBody* a, Kavro::IPhysicsRigidBody* b, const Kavro::Vector3D& scale,
                           const JointRecord& record);
    // Fills a physics-setting record, unscaled: 0, or -1 (record untouched) without a constraint, without
    // both bodies, or when a body stands for no engine body.
    int exportSetting(const Kavro::Vector3D& scale, JointRecord& record);
    // Takes the constraint out of its world once; the constraint itself is kept (its owner body is gone).
    void detach();

    // Each sends its values to the constraint and keeps them; nothing without a constraint.
    void setAngularLowerLimit(const Kavro::Vector3D& value);
    void setAngularUpperLimit(const Kavro::Vector3D& value);
    void setAngularEnableSpring(int32_t x, int32_t y, int32_t z);
    void setAngularSpringStiffness(const Kavro::Vector3D& value);
    void setAngularSpringDamping(const Kavro::Vector3D& value);
    void setLinearLowerLimit(const Kavro::Vector3D& value);
    void setLinearUpperLimit(const Kavro::Vector3D& value);
    void setLinearEnableSpring(int32_t x, int32_t y, int32_t z);
    void setLinearSpringStiffness(const Kavro::Vector3D& value);
    void setLinearSpringDamping(const Kavro::Vector3D& value);

    uint32_t getJointType() const { return jointType; }
    uint32_t getFlag() const { return flag; }
    const JointParameters& getParameters() const { return parameters; }
    // Not counted; null before setWorld succeeded.
    Kavro::IPhysicsJoint* getJoint() const { return joint; }
    Kavro::IPhysicsWorld* getWorld() const { return world; }

private:
    void releaseJoint();

    uint32_t jointType = BallJoint;
    JointParameters parameters;
    uint32_t flag = 0;
    Kavro::IPhysicsJoint* joint = nullptr;
    Kavro::IPhysicsWorld* world = nullptr;
    bool detached = false;
};

} // namespace Orvane
