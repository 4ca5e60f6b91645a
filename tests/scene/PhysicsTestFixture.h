#pragma once

// Rigid bodies and joints over recording physics worlds kept by a test application.
#include "scene/CJoint.h"
#include "scene/CRigidBody.h"

#include "support/Fake3D.h"
#include "support/FakePhysics.h"
#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace OrvaneTest
{

// Fills a record with a byte pattern, so that a field left unwritten shows.
template <class Record> void scribble(Record& record)
{
    std::memset(static_cast<void*>(&record), 0xAB, sizeof record);
}

class PhysicsTest : public ::testing::Test
{
protected:
    static constexpr uint32_t FrameMs = 20;

    PhysicsTest()
    {
        for (int id : {1, 2})
        {
            auto* world = new FakePhysicsWorld(log, "world" + std::to_string(id), &fake);
            t.app->physicsWorlds[id] = world;
            worlds.push_back(world);
        }
    }
    ~PhysicsTest() override
    {
        for (auto it = owned.rbegin(); it != owned.rend(); ++it)
            (*it)->release();
    }

    // A wrapper the fixture releases at the end.
    Orvane::CRigidBody* body(const std::string& name)
    {
        auto* made = new Orvane::CRigidBody(name);
        owned.push_back(made);
        return made;
    }
    // A sphere of radius 1 at the origin in world 1.
    Orvane::CRigidBody* sphere(const std::string& name)
    {
        Orvane::CRigidBody* made = body(name);
        EXPECT_EQ(made->createSphere(1.0f, {}, 1.0f, 1), 0);
        return made;
    }
    static RecordingRigidBody* fakeOf(Orvane::CRigidBody* wrapper)
    {
        return dynamic_cast<RecordingRigidBody*>(wrapper->getBody());
    }
    static RecordingJoint* fakeOf(Orvane::CJoint* joint) { return dynamic_cast<RecordingJoint*>(joint->getJoint()); }
    // The interpolators step exactly FrameMs.
    void nextFrame()
    {
        t.core->milliTime += FrameMs;
        t.app->frameSpeed = 2.0f;
        t.app->frameTimeCap = float(FrameMs);
    }
    std::vector<std::string> calls() const { return log.calls(); }

    // The fakes outlive the application and every wrapper: the registry checks their counts at the end.
    CallLog log;
    Fake3D fake{log};
    TaskTestApp t;
    std::vector<FakePhysicsWorld*> worlds;
    std::vector<Orvane::CObject*> owned;
};

} // namespace OrvaneTest
