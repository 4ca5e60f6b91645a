// Joints in real worlds stepped headless: ball joints keep their pivot, 6DOF limits lock, limit and free
// axes, springs pull, constraints break, and a detached or unconnected joint takes every call harmlessly.
#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace PhysicsTest;

namespace
{

// The angle in degrees by which rotation turns the x axis about z.
float turnAboutZ(const Matrix4x4& rotation) { return std::atan2(rotation._12, rotation._11) * 57.29578f; }

Matrix4x4 at(float x, float y, float z) { return Matrix4x4::GetTranslation(x, y, z); }

} // namespace

TEST(PhysicsJoint, ABallJointKeepsItsPivotDistanceWhileTheBodySwings)
{
    const Vector3D pivot(0, 5, 0);
    struct Case
    {
        const char* name;
        std::function<int(TestWorld&, IPhysicsJoint&, IPhysicsRigidBody& a, IPhysicsRigidBody* anchor)> connect;
        bool anchored; // body B is a static sphere at the pivot rather than the fixed body
    };
    const Case cases[] = {
        {"world pivot, fixed body B",
         [&](TestWorld&, IPhysicsJoint& j, IPhysicsRigidBody& a, IPhysicsRigidBody*) {
             return j.connectBall(&a, nullptr, pivot, 0);
         },
         false},
        {"frames, fixed body B",
         [&](TestWorld&, IPhysicsJoint& j, IPhysicsRigidBody& a, IPhysicsRigidBody*) {
             return j.connectBallFrames(&a, nullptr, at(-1, 0, 0), at(0, 5, 0), 0);
         },
         false},
        {"world pivot, static body B",
         [&](TestWorld&, IPhysicsJoint& j, IPhysicsRigidBody& a, IPhysicsRigidBody* anchor) {
             return j.connectBall(&a, anchor, pivot, 1);
         },
         true},
    };
    for (const Case& c : cases)
    {
        TestWorld w;
        Body bob = w.sphere(1, {1, 5, 0}, 0.2f);
        Body anchor = c.anchored ? w.sphere(0, {0, 5, 0}, 0.1f) : Body();
        Joint joint = w.joint();
        ASSERT_EQ(c.connect(w, *joint.get(), *bob.get(), anchor.get()), 0) << c.name;
        float lowest = 5.0f, worst = 0.0f;
        for (int frame = 0; frame < 180; ++frame)
        {
            w.world->step(Step);
            lowest = std::min(lowest, bob->getPosition().y);
            worst = std::max(worst, std::abs(distance(bob->getPosition(), pivot) - 1.0f));
        }
        // Bullet's velocity-level solver lets a fast swing stretch the joint a little, and pulls it back.
        EXPECT_LT(worst, 0.05f) << c.name;
        EXPECT_LT(std::abs(distance(bob->getPosition(), pivot) - 1.0f), 0.05f) << c.name;
        EXPECT_LT(lowest, 4.1f) << c.name << ": the bob swings down under the pivot";
    }
}

TEST(PhysicsJoint, SixDofLinearLimitsHoldAndEqualLimitsLock)
{
    TestWorld w;
    Body box = w.box(1, {0, 5, 0}, {0.5f, 0.5f, 0.5f});
    Joint joint = w.joint();
    ASSERT_EQ(joint->connect6DOF(box.get(), nullptr, at(0, 5, 0), 0), 0);
    // Limits bound where frame B (here the world's) stands in frame A: as the box drops, B rises in it.
    ASSERT_EQ(joint->setLinearLowerLimit(0, 0, 0), 0);
    ASSERT_EQ(joint->setLinearUpperLimit(0, 0.5f, 0), 0);
    box->setLinearVelocity({2, 0, 2});
    float lowest = 5.0f;
    for (int frame = 0; frame < 180; ++frame)
    {
        w.world->step(Step);
        lowest = std::min(lowest, box->getPosition().y);
        ASSERT_LT(std::abs(box->getPosition().x) + std::abs(box->getPosition().z), 0.02f) << "frame " << frame;
    }
    EXPECT_GT(lowest, 4.48f) << "the lower limit held";
    EXPECT_NEAR(box->getPosition().y, 4.5f, 0.005f) << "the box hangs at its lower limit";
}

TEST(PhysicsJoint, SixDofAngularLimitsLockLimitOrFreeAnAxis)
{
    struct Case
    {
        const char* name;
        float lower, upper;
        float expectedTurn; // degrees about z after one second at 90 degrees per second
    };
    const Case cases[] = {
        {"equal limits lock", 0, 0, 0},
        {"a range stops at its end", -30, 30, 30},
        {"lower above upper frees", 10, -10, 90},
    };
    for (const Case& c : cases)
    {
        TestWorld w;
        w.world->setGravity({0, 0, 0});
        Body box = w.box(1, {0, 5, 0}, {1, 1, 1});
        box->setAngularDamping(0);
        Joint joint = w.joint();
        ASSERT_EQ(joint->connect6DOF(box.get(), nullptr, at(0, 5, 0), 0), 0);
        ASSERT_EQ(joint->setAngularLowerLimit(0, 0, c.lower), 0);
        ASSERT_EQ(joint->setAngularUpperLimit(0, 0, c.upper), 0);
        box->setAngularVelocity({0, 0, 90});
        w.run(1.0f);
        EXPECT_NEAR(turnAboutZ(box->getRotation()), c.expectedTurn, 1.5f) << c.name;
        EXPECT_LT(distance(box->getPosition(), {0, 5, 0}), 0.01f) << c.name << ": the linear axes stay locked";
    }
}

TEST(PhysicsJoint, ALinearSpringHoldsTheBodyWhereItBalancesGravity)
{
    TestWorld w;
    Body box = w.box(1, {0, 5, 0}, {0.5f, 0.5f, 0.5f});
    Joint joint = w.joint();
    ASSERT_EQ(joint->connect6DOF(box.get(), nullptr, at(0, 5, 0), 0), 0);
    joint->setLinearLowerLimit(0, -2, 0);
    joint->setLinearUpperLimit(0, 2, 0);
    EXPECT_EQ(joint->setLinearEnableSpring(0, 1, 0), 0);
    EXPECT_EQ(joint->setLinearSpringStiffness(0, 100, 0), 0);
    EXPECT_EQ(joint->setLinearSpringDamping(0, 5, 0), 0);
    w.run(5.0f);
    // Stiffness in force per unit of stretch: m g / k below the frame.
    EXPECT_NEAR(box->getPosition().y, 5.0f - 9.8f / 100.0f, 0.005f);
}

TEST(PhysicsJoint, AJointBreaksAboveItsThreshold)
{
    struct Case
    {
        float threshold;
        bool breaks;
    };
    // Holding 1 kg against gravity takes 9.8 / 60 impulse per step.
    for (const Case& c : {Case{1000.0f, false}, Case{0.05f, true}})
    {
        TestWorld w;
        Body bob = w.sphere(1, {0, 4, 0}, 0.2f);
        Joint joint = w.joint();
        ASSERT_EQ(joint->connectBall(bob.get(), nullptr, {0, 5, 0}, 0), 0);
        EXPECT_EQ(joint->setBreakingImpulseThreshold(c.threshold), 0);
        EXPECT_FLOAT_EQ(joint->getBreakingImpulseThreshold(), c.threshold);
        w.run(1.0f);
        if (c.breaks)
            EXPECT_LT(bob->getPosition().y, 0.0f) << c.threshold;
        else
            EXPECT_NEAR(bob->getPosition().y, 4.0f, 0.01f) << c.threshold;
    }
}

TEST(PhysicsJoint, CallsOnADetachedOrUnconnectedJointAreHarmless)
{
    TestWorld w;
    Body bob = w.sphere(1, {0, 4, 0}, 0.2f);
    Joint fresh = w.joint();
    Joint detached = w.joint();
    ASSERT_EQ(detached->connect6DOF(bob.get(), nullptr, at(0, 5, 0), 0), 0);
    EXPECT_EQ(detached->detach(), 0);
    for (IPhysicsJoint* joint : {fresh.get(), detached.get()})
    {
        const float f = 1.0f;
        const int i = 1;
        EXPECT_EQ(joint->detach(), -1);
        EXPECT_EQ(joint->setAngularUpperLimit(f, f, f), -1);
        EXPECT_EQ(joint->setAngularLowerLimit(f, f, f), -1);
        EXPECT_EQ(joint->setLinearUpperLimit(f, f, f), -1);
        EXPECT_EQ(joint->setLinearLowerLimit(f, f, f), -1);
        EXPECT_EQ(joint->setAngularEnableSpring(i, i, i), -1);
        EXPECT_EQ(joint->setLinearEnableSpring(i, i, i), -1);
        EXPECT_EQ(joint->setAngularSpringStiffness(f, f, f), -1);
        EXPECT_EQ(joint->setAngularSpringDamping(f, f, f), -1);
        EXPECT_EQ(joint->setLinearSpringStiffness(f, f, f), -1);
        EXPECT_EQ(joint->setLinearSpringDamping(f, f, f), -1);
        // Solver values are kept for the getters (and a later connect).
        EXPECT_EQ(joint->setERP(0.5f), 0);
        EXPECT_EQ(joint->setCFM(0.25f), 0);
        EXPECT_FLOAT_EQ(joint->getERP(), 0.5f);
        EXPECT_FLOAT_EQ(joint->getCFM(), 0.25f);
        EXPECT_EQ(joint->getBodyA(), nullptr);
        EXPECT_EQ(joint->getBodyB(), nullptr);
        EXPECT_EQ(joint->getFrameA(), Matrix4x4());
        EXPECT_EQ(joint->getFrameB(), Matrix4x4());
    }
    EXPECT_EQ(bob->getRefCount(), 1) << "the detached joint let the body go";
    w.run(1.0f);
    EXPECT_LT(bob->getPosition().y, 0.0f) << "nothing holds the body any more";
    // A detached joint can be connected again.
    EXPECT_EQ(detached->connectBall(bob.get(), nullptr, {0, 0, 0}, 0), 0);
}

TEST(PhysicsJoint, ConnectRefusesBodiesItCannotJoin)
{
    TestWorld w, elsewhere;
    Body a = w.sphere(1, {}, 0.5f);
    Body b = w.sphere(1, {2, 0, 0}, 0.5f);
    Body foreign = elsewhere.sphere(1, {}, 0.5f);
    Joint joint = w.joint();
    ASSERT_EQ(joint->connectBall(a.get(), b.get(), {1, 0, 0}, 0), 0);
    const Vector3D pivot(1, 0, 0);
    const std::pair<IPhysicsRigidBody*, IPhysicsRigidBody*> refused[] = {
        {nullptr, b.get()}, {a.get(), a.get()}, {foreign.get(), b.get()}, {a.get(), foreign.get()}};
    for (const auto& [first, second] : refused)
        EXPECT_EQ(joint->connectBall(first, second, pivot, 0), -1);
    // A refused connect leaves the joint as it was.
    Body stillA = Body::adopt(joint->getBodyA());
    EXPECT_EQ(stillA, a);
}

TEST(PhysicsJoint, FramesAreRelativeToTheirBodiesAndBodyBIsTheWorldWhenMissing)
{
    TestWorld w;
    Body a = w.box(1, {1, 2, 3}, {1, 1, 1});
    Body b = w.box(1, {1, 2, 5}, {1, 1, 1});
    Matrix4x4 frame = Matrix4x4::GetRotationY(90);
    frame._41 = 1, frame._42 = 2, frame._43 = 4;
    Joint joint = w.joint();
    ASSERT_EQ(joint->connect6DOF(a.get(), b.get(), frame, 0), 0);
    EXPECT_NEAR(joint->getFrameA()._43, 1.0f, 1e-6f);
    EXPECT_NEAR(joint->getFrameB()._43, -1.0f, 1e-6f);
    EXPECT_NEAR(joint->getFrameA()._13, -1.0f, 1e-6f) << "the frame's rotation is kept";
    ASSERT_EQ(joint->connect6DOF(a.get(), nullptr, frame, 0), 0);
    EXPECT_NEAR(joint->getFrameB()._43, 4.0f, 1e-6f);
    ASSERT_EQ(joint->connectBall(a.get(), b.get(), {1, 2, 4}, 0), 0);
    EXPECT_EQ(joint->getFrameA().GetPosition(), Vector3D(0, 0, 1));
    EXPECT_EQ(joint->getFrameB().GetPosition(), Vector3D(0, 0, -1));
}

TEST(PhysicsJoint, SolverValuesStartAtBulletsDefaultsAndReachEverySixDofAxis)
{
    TestWorld w;
    Body a = w.box(1, {0, 5, 0}, {1, 1, 1});
    Joint joint = w.joint();
    EXPECT_FLOAT_EQ(joint->getERP(), 0.2f);
    EXPECT_FLOAT_EQ(joint->getCFM(), 0.0f);
    EXPECT_GT(joint->getBreakingImpulseThreshold(), 1e30f);
    ASSERT_EQ(joint->connect6DOF(a.get(), nullptr, at(0, 5, 0), 0), 0);
    // Bullet asserts on a 6DOF ERP for all axes at once; the joint sets each axis.
    EXPECT_EQ(joint->setERP(0.6f), 0);
    EXPECT_EQ(joint->setCFM(0.01f), 0);
    EXPECT_FLOAT_EQ(joint->getERP(), 0.6f);
    EXPECT_EQ(joint->setERP(-1.0f), -1);
    EXPECT_EQ(joint->setBreakingImpulseThreshold(std::nanf("")), -1);
    w.run(1.0f);
    EXPECT_LT(distance(a->getPosition(), {0, 5, 0}), 0.05f) << "the joint still holds";
}

TEST(PhysicsJoint, AJointKeepsItsBodiesAndGetBodyAddsAReference)
{
    TestWorld w;
    Body a = w.sphere(1, {0, 4, 0}, 0.2f);
    Joint joint = w.joint();
    ASSERT_EQ(joint->connectBall(a.get(), nullptr, {0, 5, 0}, 0), 0);
    EXPECT_EQ(a->getRefCount(), 2);
    IPhysicsRigidBody* got = joint->getBodyA();
    EXPECT_EQ(got, a.get());
    EXPECT_EQ(a->getRefCount(), 3);
    got->release();
    a.reset();
    w.run(1.0f); // the body is still simulated, held by the joint
    Body again = Body::adopt(joint->getBodyA());
    EXPECT_NEAR(again->getPosition().y, 4.0f, 0.01f);
}
