// Ray and sweep tests of real worlds: the nearest hit through the group mask, what a hit reports, and a
// body never sweeping into itself.
#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

using namespace PhysicsTest;
using Kavro::PhysicsHitResult;

namespace
{

// Groups the library files bodies under.
constexpr int Dynamic = 1, Static = 2, Kinematic = 4;

} // namespace

TEST(PhysicsQuery, ARayFindsTheNearestBodyInItsMaskAndNamesItThroughTheUserPointer)
{
    TestWorld w;
    Body floor = w.floor();
    Body ball = w.sphere(1, {0, 1, 0}, 0.5f);
    Body crate = w.box(1, {0, 3, 0}, {1, 1, 1});
    Body carried = w.box(1, {0, 5, 0}, {1, 1, 1});
    carried->setEnableControler(1);
    int floorTag = 0, ballTag = 0, crateTag = 0, carriedTag = 0;
    floor->setUserPointer(&floorTag);
    ball->setUserPointer(&ballTag);
    crate->setUserPointer(&crateTag);
    carried->setUserPointer(&carriedTag);

    struct Case
    {
        const char* name;
        int mask;
        int* expected; // null: no hit
        float hitY;
    };
    const Case cases[] = {
        {"every group: the nearest", 0xFFFF, &carriedTag, 5.5f},
        {"dynamic bodies", Dynamic, &crateTag, 3.5f},
        {"static bodies", Static, &floorTag, 0.0f},
        {"kinematic bodies", Kinematic, &carriedTag, 5.5f},
        {"dynamic and static", Dynamic | Static, &crateTag, 3.5f},
        {"no group", 0, nullptr, 0},
        {"only bits above the sixteen", 0x10000, nullptr, 0},
    };
    for (const Case& c : cases)
    {
        PhysicsHitResult hit;
        const int found = w.world->rayTest({0, 10, 0}, {0, -10, 0}, hit, c.mask);
        if (!c.expected)
        {
            EXPECT_EQ(found, 0) << c.name;
            continue;
        }
        ASSERT_NE(found, 0) << c.name;
        ASSERT_NE(hit.body, nullptr) << c.name;
        EXPECT_EQ(hit.body->getUserPointer(), c.expected) << c.name;
        EXPECT_NEAR(hit.position.y, c.hitY, 1e-4f) << c.name;
        EXPECT_NEAR(hit.normal.y, 1.0f, 1e-5f) << c.name;
        EXPECT_NEAR(hit.distance, 10.0f - c.hitY, 1e-4f) << c.name;
        EXPECT_EQ(hit.start, Vector3D(0, 10, 0)) << c.name;
    }
}

TEST(PhysicsQuery, ABodyWithoutCollisionIsNotFound)
{
    TestWorld w;
    Body ball = w.sphere(1, {0, 1, 0}, 0.5f);
    ball->setEnableCollision(0);
    PhysicsHitResult hit;
    EXPECT_EQ(w.world->rayTest({0, 10, 0}, {0, -10, 0}, hit, 0xFFFF), 0);
    ball->setEnableCollision(1);
    EXPECT_NE(w.world->rayTest({0, 10, 0}, {0, -10, 0}, hit, 0xFFFF), 0);
    EXPECT_EQ(hit.body, ball.get());
}

TEST(PhysicsQuery, ASphereSweptAtABoxReportsHowFarItGoes)
{
    TestWorld w;
    Body ball = w.sphere(1, {0, 1, 0}, 0.5f);
    Body wall = w.box(0, {5, 1, 0}, {1, 4, 4});
    int wallTag = 0;
    wall->setUserPointer(&wallTag);
    PhysicsHitResult hit;
    ASSERT_NE(w.world->sweepTest(ball.get(), {10, 1, 0}, 0.0f, hit, 0xFFFF), 0);
    // The ball's surface meets the wall's face at x = 4.5 after its centre has gone 4.
    EXPECT_NEAR(hit.distance, 4.0f, 0.001f);
    EXPECT_EQ(hit.body->getUserPointer(), &wallTag);
    EXPECT_NEAR(hit.position.x, 4.5f, 0.001f);
    EXPECT_NEAR(hit.normal.x, -1.0f, 1e-4f);
    EXPECT_EQ(hit.start, Vector3D(0, 1, 0));
    EXPECT_EQ(ball->getPosition(), Vector3D(0, 1, 0)) << "a sweep does not move the body";
    // The margin is how deep the ball may sink into the wall before the sweep stops; below 0 a gap.
    for (float margin : {0.2f, -0.2f})
    {
        ASSERT_NE(w.world->sweepTest(ball.get(), {10, 1, 0}, margin, hit, 0xFFFF), 0);
        EXPECT_NEAR(hit.distance, 4.0f + margin, 0.001f) << margin;
    }

    EXPECT_EQ(w.world->sweepTest(ball.get(), {10, 1, 0}, 0.0f, hit, Dynamic), 0) << "the wall is static";
    EXPECT_EQ(w.world->sweepTest(ball.get(), {-10, 1, 0}, 0.0f, hit, 0xFFFF), 0) << "nothing that way";
}

TEST(PhysicsQuery, ASweepNeverHitsTheSweptBodyAndAPlaneCannotBeSwept)
{
    TestWorld w;
    Body floor = w.floor();
    Body box = w.box(1, {0, 2, 0}, {1, 1, 1});
    PhysicsHitResult hit;
    // Upwards the only thing in the way would be the box itself.
    EXPECT_EQ(w.world->sweepTest(box.get(), {0, 10, 0}, 0.0f, hit, 0xFFFF), 0);
    ASSERT_NE(w.world->sweepTest(box.get(), {0, -10, 0}, 0.0f, hit, 0xFFFF), 0);
    EXPECT_EQ(hit.body, floor.get());
    EXPECT_NEAR(hit.distance, 1.5f, 0.001f);

    EXPECT_EQ(w.world->sweepTest(floor.get(), {0, 10, 0}, 0.0f, hit, 0xFFFF), 0);
    TestWorld elsewhere;
    Body foreign = elsewhere.sphere(1, {0, 5, 0}, 0.5f);
    EXPECT_EQ(w.world->sweepTest(foreign.get(), {0, -10, 0}, 0.0f, hit, 0xFFFF), 0) << "another world's body";
    EXPECT_EQ(w.world->sweepTest(nullptr, {0, -10, 0}, 0.0f, hit, 0xFFFF), 0);
}
