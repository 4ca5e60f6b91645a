#pragma once

#include "script/Squirrel/SQObject.h"
#include "script/SquirrelObject.h"

#include <cstdint>

namespace Kavro
{
class IPhysicsWorld;
struct PhysicsHitResult;
} // namespace Kavro

namespace Orvane::Squirrel
{

// The script class "SQPhysics": a script's handle on one of the application's physics worlds, picked by id.
// It sets and reads gravity and the active flag, and casts rays or sweeps a rigid body's shape, answering a
// hit as a table that names the engine body that was hit.
class SQPhysics : public SQObject
{
public:
    explicit SQPhysics(const char* name);
    ~SQPhysics() override;

    // 1 when the application has a world of that id (now held), else 0 (none held).
    int init(int32_t id);
    void setGravity(float x, float y, float z);
    // Gravity to SQMATH_RET_1..3, 0 to SQMATH_RET_4; zeros without a world.
    void getGravity();
    void setActive(int32_t active);
    int isActive();
    // {name, normal, position} of the nearest hit, or null.
    SquirrelObject rayTest(float fromX, float fromY, float fromZ, float toX, float toY, float toZ, int32_t mask);
    // {name, normal, position, distance}, null, or -1 when no created rigid body bears the name.
    SquirrelObject sweepTest(const char* bodyName, float x, float y, float z, float margin, int32_t mask);

    static void registerClass();

private:
    // The hit's table, or null when the body hit stands for no engine body.
    static SquirrelObject hitTable(const Kavro::PhysicsHitResult& hit);

    Kavro::IPhysicsWorld* world = nullptr;
};

} // namespace Orvane::Squirrel
