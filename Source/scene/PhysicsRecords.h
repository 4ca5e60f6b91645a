#pragma once

#include <kavro/Matrix4x4.h>
#include <kavro/Vector3D.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace Orvane
{

// The records of a physics-setting file, laid out byte for byte as they stand in the file (little-endian
// fields, matrices in row order, names zero-padded to 128 bytes). Positions and sizes are stored without
// the model's scale.

constexpr size_t PhysicsNameSize = 128;

// The limits and springs last given to a joint; the library cannot report them back.
struct JointParameters
{
    Kavro::Vector3D angularLowerLimit;
    Kavro::Vector3D angularUpperLimit;
    int32_t angularEnableSpring[3] = {};
    Kavro::Vector3D angularSpringStiffness;
    Kavro::Vector3D angularSpringDamping;
    Kavro::Vector3D linearLowerLimit;
    Kavro::Vector3D linearUpperLimit;
    int32_t linearEnableSpring[3] = {};
    Kavro::Vector3D linearSpringStiffness;
    Kavro::Vector3D linearSpringDamping;
};

struct RigidBodyRecord
{
    char name[PhysicsNameSize] = {};
    char frameName[PhysicsNameSize] = {};
    Kavro::Matrix4x4 matrix;
    float mass = 0.0f;
    float friction = 0.0f;
    float restitution = 0.0f;
    float linearDamping = 0.0f;
    float angularDamping = 0.0f;
    uint32_t gravity = 0;
    uint32_t attachFlag1 = 0;
    uint32_t attachFlag2 = 0;
    uint32_t attachFlag3 = 0;
    uint32_t stateWord = 0;
    int32_t shapeType = 0;
    float shape[3] = {};
};

struct JointRecord
{
    char name[PhysicsNameSize] = {};
    char bodyAName[PhysicsNameSize] = {};
    char bodyBName[PhysicsNameSize] = {};
    Kavro::Matrix4x4 frameA;
    Kavro::Matrix4x4 frameB;
    uint32_t flag = 0;
    float erp = 0.0f;
    float cfm = 0.0f;
    float breakingImpulseThreshold = 0.0f;
    int32_t jointType = 0;
    JointParameters parameters;
};

static_assert(sizeof(JointParameters) == 120);
static_assert(sizeof(RigidBodyRecord) == 376 && offsetof(RigidBodyRecord, mass) == 320 &&
              offsetof(RigidBodyRecord, shapeType) == 360);
static_assert(sizeof(JointRecord) == 652 && offsetof(JointRecord, flag) == 512 &&
              offsetof(JointRecord, parameters) == 532);
static_assert(std::is_trivially_copyable_v<RigidBodyRecord> && std::is_trivially_copyable_v<JointRecord>);

// A name field of a record: zeroed, then the name's bytes, cut so that a terminating zero always fits.
void setRecordName(char (&field)[PhysicsNameSize], const std::string& name);
// The text of a name field, which need not be terminated within its 128 bytes.
std::string getRecordName(const char (&field)[PhysicsNameSize]);

} // namespace Orvane
