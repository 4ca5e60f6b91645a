#include "scene/Squirrel/SQPhysics.h"

#include "core/CApp.h"
#include "core/TaskObjectLinks.h"
#include "scene/CRigidBody.h"
#include "scene/Squirrel/SQRigidBody.h"
#include "script/CSquirrel.h"
#include "script/Squirrel/ScriptResults.h"

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>

namespace Orvane::Squirrel
{

using Kavro::Vector3D;

namespace
{

// The library takes the mask's low 16 bits.
constexpr int32_t MaskBits = 0xFFFF;

SquirrelObject vectorTable(const Vector3D& v)
{
    SquirrelObject table = CSquirrel::createTable();
    table.SetValue("x", SQFloat(v.x));
    table.SetValue("y", SQFloat(v.y));
    table.SetValue("z", SQFloat(v.z));
    return table;
}

} // namespace

SQPhysics::SQPhysics(const char* name) : SQObject(name ? name : "") {}

SQPhysics::~SQPhysics()
{
    if (world)
        world->release();
}

int SQPhysics::init(int32_t id)
{
    if (world)
        world->release();
    CApp* app = CApp::get();
    world = app ? app->getPhysicsWorld(id) : nullptr;
    return world ? 1 : 0;
}

void SQPhysics::setGravity(float x, float y, float z)
{
    if (world)
        world->setGravity(Vector3D(x, y, z));
}

void SQPhysics::getGravity()
{
    const Vector3D* gravity = world ? world->getGravity() : nullptr;
    const Vector3D g = gravity ? *gravity : Vector3D();
    SetScriptResults({g.x, g.y, g.z});
}

void SQPhysics::setActive(int32_t active)
{
    if (world)
        world->setActive(active);
}

int SQPhysics::isActive()
{
    return world ? world->isActive() : 0;
}

SquirrelObject SQPhysics::hitTable(const Kavro::PhysicsHitResult& hit)
{
    auto* owner = hit.body ? static_cast<CRigidBody*>(hit.body->getUserPointer()) : nullptr;
    if (!owner)
        return SquirrelObject();
    SquirrelObject table = CSquirrel::createTable();
    table.SetValue("name", owner->getName().c_str());
    table.SetValue("normal", vectorTable(hit.normal));
    table.SetValue("position", vectorTable(hit.position));
    return table;
}

SquirrelObject SQPhysics::rayTest(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                                  int32_t mask)
{
    if (!world)
        return SquirrelObject();
    Kavro::PhysicsHitResult hit;
    const int32_t bits = mask & MaskBits;
    if (!world->rayTest(Vector3D(fromX, fromY, fromZ), Vector3D(toX, toY, toZ), hit, bits))
        return SquirrelObject();
    return hitTable(hit);
}

SquirrelObject SQPhysics::sweepTest(const char* bodyName, float x, float y, float z, float margin, int32_t mask)
{
    if (!world)
        return SquirrelObject();
    // Only a created rigid body with a library body can be swept.
    auto* object = dynamic_cast<SQRigidBody*>(FindTaskObject(getTask(), bodyName));
    CRigidBody* body = object ? object->getRigidBody() : nullptr;
    if (!body || !body->getBody())
    {
        SquirrelObject failed;
        failed.SetByValue(SQInteger(-1));
        return failed;
    }
    Kavro::PhysicsHitResult hit;
    const int32_t bits = mask & MaskBits;
    if (!world->sweepTest(body->getBody(), Vector3D(x, y, z), margin, hit, bits))
        return SquirrelObject();
    SquirrelObject table = hitTable(hit);
    if (!table.IsNull())
        table.SetValue("distance", SQFloat(hit.distance));
    return table;
}

void SQPhysics::registerClass()
{
    using P = SQPhysics;
    SquirrelObject c = SqPlus::RegisterClassType<P>("SQPhysics");
    SqPlus::RegisterConstructor<P, const char*>(c);
    SqPlus::RegisterInstance(c, &P::init, "init");
    SqPlus::RegisterInstance(c, &P::setGravity, "setGravity");
    SqPlus::RegisterInstance(c, &P::getGravity, "getGravity");
    SqPlus::RegisterInstance(c, &P::setActive, "setActive");
    SqPlus::RegisterInstance(c, &P::isActive, "isActive");
    SqPlus::RegisterInstance(c, &P::rayTest, "rayTest");
    SqPlus::RegisterInstance(c, &P::sweepTest, "sweepTest");
}

} // namespace Orvane::Squirrel
