// Rigid bodies in real worlds stepped headless: shapes resting on their documented sizes, the switches,
// kinematic bodies, reset, determinism and lifetimes.
#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace PhysicsTest;

namespace
{

void expectNear(const Vector3D& actual, const Vector3D& expected, float tolerance, const std::string& what = "")
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

void expectRotation(const Matrix4x4& actual, const Matrix4x4& expected, float tolerance, const std::string& what = "")
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(actual.m[row][column], expected.m[row][column], tolerance)
                << what << " [" << row << "][" << column << "]";
}

} // namespace

TEST(PhysicsBody, EachShapeComesToRestOnItsDocumentedSize)
{
    struct Case
    {
        const char* name;
        std::function<Body(TestWorld&)> make;
        float restingHeight;
    };
    const Case cases[] = {
        {"sphere of radius 0.5", [](TestWorld& w) { return w.sphere(1, {0, 2, 0}, 0.5f); }, 0.5f},
        // Sizes are whole edge lengths.
        {"box 1 x 0.4 x 2", [](TestWorld& w) { return w.box(2, {0, 2, 0}, {1, 0.4f, 2}); }, 0.2f},
        // Height is the whole height of the cylinder along y; kept upright by its angular factor.
        {"cylinder r 0.3 h 1.2",
         [](TestWorld& w) {
             Body cylinder = Body::adopt(w.world->createCylinder(1, {0, 2, 0}, 0.3f, 1.2f, Matrix4x4()));
             cylinder->setAngularFactor({0, 0, 0});
             return cylinder;
         },
         0.6f},
        // Height is the straight part between the two caps' centres.
        {"capsule r 0.25 h 1",
         [](TestWorld& w) {
             Body capsule = Body::adopt(w.world->createCapsule(1, {0, 2, 0}, 0.25f, 1.0f, Matrix4x4()));
             capsule->setAngularFactor({0, 0, 0});
             return capsule;
         },
         0.75f},
    };
    for (const Case& c : cases)
    {
        TestWorld w;
        Body floor = w.floor();
        Body body = c.make(w);
        ASSERT_TRUE(body) << c.name;
        w.run(3.0f);
        EXPECT_NEAR(body->getPosition().y, c.restingHeight, 0.001f) << c.name;
        // A box lands with a little bounce and may slip a few centimetres.
        expectNear(body->getPosition(), {0, c.restingHeight, 0}, 0.05f, c.name);
        EXPECT_LT(body->getLinearVelocity().Length(), 0.01f) << c.name;
    }
}

TEST(PhysicsBody, CreationRefusesShapesAndPlacesThatMakeNoBody)
{
    TestWorld w;
    const float nan = std::nanf("");
    const Matrix4x4 I;
    IPhysicsWorld& world = *w.world.get();
    const std::vector<std::pair<const char*, std::function<IPhysicsRigidBody*()>>> cases = {
        {"zero radius", [&] { return world.createSphere(1, {}, 0, I); }},
        {"negative mass", [&] { return world.createSphere(-1, {}, 1, I); }},
        {"position not a number", [&] { return world.createSphere(1, {nan, 0, 0}, 1, I); }},
        {"flat box", [&] { return world.createBox(1, {}, {1, 0, 1}, I); }},
        {"cylinder without height", [&] { return world.createCylinder(1, {}, 0.5f, 0.0f, I); }},
        {"capsule of negative height", [&] { return world.createCapsule(1, {}, 0.5f, -1.0f, I); }},
        {"plane without a normal", [&] { return world.createPlane({}, {0, 0, 0}); }},
    };
    for (const auto& [name, make] : cases)
        EXPECT_EQ(make(), nullptr) << name;
}

TEST(PhysicsBody, APlaneLiesWhereItsPointAndNormalPutIt)
{
    TestWorld w;
    // A floor through (0, 2, 0) whose normal is given unnormalised.
    Body floor = Body::adopt(w.world->createPlane({5, 2, 5}, {0, 3, 0}));
    Body ball = w.sphere(1, {0, 4, 0}, 0.5f);
    w.run(3.0f);
    EXPECT_NEAR(ball->getPosition().y, 2.5f, 0.001f);
}

TEST(PhysicsBody, SwitchesDecideWhetherABodyFallsHoldsOrPassesThrough)
{
    enum Outcome
    {
        Holds,
        RestsOnFloor,
        PassesThrough,
    };
    struct Case
    {
        const char* name;
        float mass;
        std::function<void(IPhysicsRigidBody&)> apply;
        Outcome outcome;
    };
    const Case cases[] = {
        {"a body as made", 1, [](IPhysicsRigidBody&) {}, RestsOnFloor},
        {"mass 0 is static", 0, [](IPhysicsRigidBody&) {}, Holds},
        {"dynamics off", 1, [](IPhysicsRigidBody& b) { b.setEnableDynamics(0); }, Holds},
        {"dynamics off and on again", 1,
         [](IPhysicsRigidBody& b) {
             b.setEnableDynamics(0);
             b.setEnableDynamics(1);
         },
         RestsOnFloor},
        {"gravity off", 1, [](IPhysicsRigidBody& b) { b.setEnableGravity(0); }, Holds},
        {"collision off", 1, [](IPhysicsRigidBody& b) { b.setEnableCollision(0); }, PassesThrough},
        {"collision off and on again", 1,
         [](IPhysicsRigidBody& b) {
             b.setEnableCollision(0);
             b.setEnableCollision(1);
         },
         RestsOnFloor},
        {"controller on", 1, [](IPhysicsRigidBody& b) { b.setEnableControler(1); }, Holds},
        {"controller on and off again", 1,
         [](IPhysicsRigidBody& b) {
             b.setEnableControler(1);
             b.setEnableControler(0);
         },
         RestsOnFloor},
        {"no linear motion", 1, [](IPhysicsRigidBody& b) { b.setLinearFactor({0, 0, 0}); }, Holds},
    };
    for (const Case& c : cases)
    {
        TestWorld w;
        Body floor = w.floor();
        Body ball = w.sphere(c.mass, {0, 3, 0}, 0.5f);
        c.apply(*ball.get());
        w.run(3.0f);
        const float y = ball->getPosition().y;
        switch (c.outcome)
        {
        case Holds:
            EXPECT_FLOAT_EQ(y, 3.0f) << c.name;
            break;
        case RestsOnFloor:
            EXPECT_NEAR(y, 0.5f, 0.001f) << c.name;
            break;
        case PassesThrough:
            EXPECT_LT(y, -10.0f) << c.name;
            break;
        }
        EXPECT_EQ(ball->getMass(), c.mass) << c.name;
    }
}

TEST(PhysicsBody, AStaticBodyCannotBeMadeDynamicWithoutAMass)
{
    TestWorld w;
    Body still = w.sphere(0, {0, 3, 0}, 0.5f);
    EXPECT_EQ(still->setEnableDynamics(1), -1);
    w.run(1.0f);
    EXPECT_FLOAT_EQ(still->getPosition().y, 3.0f);
}

TEST(PhysicsBody, GravityIsTheWorldsAndFollowsItsChangesEvenInSleepingBodies)
{
    TestWorld w;
    EXPECT_EQ(*w.world->getGravity(), Vector3D(0, -9.8f, 0));
    Body floor = w.floor();
    Body ball = w.sphere(1, {0, 0.5f, 0}, 0.5f);
    Body floating = w.sphere(1, {5, 3, 0}, 0.5f);
    floating->setEnableGravity(0);
    EXPECT_EQ(floating->getEnableGravity(), 0u);
    w.run(5.0f);
    EXPECT_EQ(ball->getStateWord(), 2u) << "the resting ball has fallen asleep";
    EXPECT_EQ(w.world->setGravity({0, 9.8f, 0}), 0);
    w.run(1.0f);
    EXPECT_GT(ball->getPosition().y, 4.0f) << "the sleeping ball was woken and fell upwards";
    EXPECT_FLOAT_EQ(floating->getPosition().y, 3.0f) << "a body without gravity ignores the world's";
    floating->setEnableGravity(1);
    w.run(1.0f);
    EXPECT_GT(floating->getPosition().y, 7.0f);
}

TEST(PhysicsBody, StateWordIsTheActivationState)
{
    TestWorld w;
    Body floor = w.floor();
    Body ball = w.sphere(1, {0, 2, 0}, 0.5f);
    Body carried = w.box(1, {3, 2, 0}, {1, 1, 1});
    carried->setEnableControler(1);
    EXPECT_EQ(ball->getStateWord(), 1u) << "active";
    EXPECT_EQ(carried->getStateWord(), 4u) << "never deactivated";
    w.run(5.0f);
    EXPECT_EQ(ball->getStateWord(), 2u) << "sleeping";
    EXPECT_EQ(carried->getStateWord(), 4u);
    ball->setLinearVelocity({0, 1, 0});
    EXPECT_EQ(ball->getStateWord(), 1u) << "woken by a new velocity";
}

TEST(PhysicsBody, AKinematicBodyFollowsSetTransformAndPushesWhatIsInItsWay)
{
    TestWorld w;
    Body floor = w.floor();
    Body ball = w.sphere(1, {2, 0.5f, 0}, 0.5f);
    Body pusher = w.box(5, {0, 0.5f, 0}, {1, 1, 1});
    pusher->setEnableControler(1);
    Matrix4x4 placement;
    for (int frame = 1; frame <= 180; ++frame)
    {
        placement = Matrix4x4::GetRotationY(frame * 0.5f);
        placement._41 = frame / 60.0f;
        placement._42 = 0.5f;
        ASSERT_EQ(pusher->setTransform(placement), 0);
        w.world->step(Step);
        ASSERT_EQ(pusher->getPosition(), placement.GetPosition()) << "frame " << frame;
    }
    expectRotation(pusher->getRotation(), Matrix4x4::GetRotationY(90.0f), 1e-5f);
    EXPECT_GT(ball->getPosition().x, 3.0f) << "the ball was pushed along";
}

TEST(PhysicsBody, RotationsAreTheLibrarysAndAngularVelocityIsInDegreesPerSecond)
{
    TestWorld w;
    const Matrix4x4 turned = Matrix4x4::GetRotationZXY(10, 20, 30);
    Body spinner = Body::adopt(w.world->createBox(1, {0, 5, 0}, {1, 2, 3}, turned));
    expectRotation(spinner->getRotation(), turned, 1e-6f, "the creation transform's rotation");
    // A scaled rotation is taken without its scale.
    spinner->setRotation(Matrix4x4::GetScaling(2, 2, 2) * Matrix4x4::GetRotationX(30));
    expectRotation(spinner->getRotation(), Matrix4x4::GetRotationX(30), 1e-6f, "scale taken out");
    spinner->setRotation(Matrix4x4());
    spinner->setEnableGravity(0);
    spinner->setAngularDamping(0);
    spinner->setAngularVelocity({0, 90, 0});
    expectNear(spinner->getAngularVelocity(), {0, 90, 0}, 1e-4f);
    w.run(1.0f);
    expectRotation(spinner->getRotation(), Matrix4x4::GetRotationY(90), 0.01f, "turned as RotationY turns");
}

TEST(PhysicsBody, ResetPutsTheBodyBackAtRestWhereItWasMade)
{
    TestWorld w;
    Body floor = w.floor();
    const Matrix4x4 turned = Matrix4x4::GetRotationZXY(0, 0, 30);
    Body box = Body::adopt(w.world->createBox(1, {0, 3, 0}, {1, 1, 1}, turned));
    box->setAngularVelocity({90, 0, 0});
    box->setLinearVelocity({2, 0, 0});
    w.run(2.0f);
    ASSERT_GT(distance(box->getPosition(), {0, 3, 0}), 1.0f);
    EXPECT_EQ(box->reset(), 0);
    EXPECT_EQ(box->getPosition(), Vector3D(0, 3, 0));
    expectRotation(box->getRotation(), turned, 1e-6f);
    EXPECT_EQ(box->getLinearVelocity(), Vector3D());
    EXPECT_EQ(box->getAngularVelocity(), Vector3D());
    // It starts again from rest: one step of gravity.
    w.world->step(Step);
    EXPECT_NEAR(box->getLinearVelocity().y, -9.8f * Step, 1e-4f);
    EXPECT_NEAR(box->getLinearVelocity().x, 0.0f, 1e-6f);
}

TEST(PhysicsBody, TwoRunsOfOneSceneGiveIdenticalPositions)
{
    auto run = [] {
        TestWorld w;
        Body floor = w.floor();
        std::vector<Body> bodies;
        for (int i = 0; i < 24; ++i)
        {
            const Vector3D at(float(i % 3) * 0.7f - 0.7f, 1.0f + float(i) * 0.9f, float(i % 2) * 0.3f);
            bodies.push_back(i % 2 ? w.box(1, at, {0.8f, 0.6f, 0.7f}) : w.sphere(1, at, 0.4f));
        }
        w.run(4.0f);
        std::vector<Vector3D> positions;
        for (const Body& body : bodies)
            positions.push_back(body->getPosition());
        return positions;
    };
    const std::vector<Vector3D> first = run();
    EXPECT_EQ(run(), first);
}

TEST(PhysicsBody, AnInactiveWorldDoesNotStep)
{
    TestWorld w;
    Body ball = w.sphere(1, {0, 3, 0}, 0.5f);
    EXPECT_EQ(w.world->setActive(0), 0);
    EXPECT_EQ(w.world->isActive(), 0);
    EXPECT_EQ(w.world->step(Step), 0);
    EXPECT_EQ(ball->getPosition(), Vector3D(0, 3, 0));
    w.world->setActive(7);
    EXPECT_EQ(w.world->isActive(), 1);
    EXPECT_EQ(w.world->step(Step), 1);
    EXPECT_LT(ball->getPosition().y, 3.0f);
}

TEST(PhysicsBody, StepsAreFixedSixtiethsOfASecond)
{
    TestWorld w;
    struct Case
    {
        float seconds;
        int steps;
    };
    // Time short of a step is carried over; a long stall makes up ten steps at most.
    for (const Case& c : {Case{Step, 1}, Case{Step / 2, 0}, Case{Step / 2, 1}, Case{2 * Step, 2}, Case{1.0f, 10}})
        EXPECT_EQ(w.world->step(c.seconds), c.steps) << c.seconds;
    for (float bad : {-Step, std::nanf(""), INFINITY})
        EXPECT_EQ(w.world->step(bad), -1) << bad;
}

TEST(PhysicsBody, SetParameterTakesTheContactErpBetweenZeroAndOne)
{
    TestWorld w;
    for (float value : {0.0f, 0.8f, 1.0f})
        EXPECT_EQ(w.world->setParameter(&value), 0) << value;
    for (float value : {-0.1f, 1.5f, std::nanf("")})
        EXPECT_EQ(w.world->setParameter(&value), -1) << value;
    EXPECT_EQ(w.world->setParameter(nullptr), -1);
}

TEST(PhysicsBody, CoefficientsAreKeptAndNonsenseIsRefused)
{
    TestWorld w;
    Body ball = w.sphere(1, {}, 0.5f);
    EXPECT_FLOAT_EQ(ball->getFrictionalCoefficient(), 0.5f) << "Bullet's default";
    EXPECT_FLOAT_EQ(ball->getRestitutionCoefficient(), 0.0f);
    EXPECT_EQ(ball->setFrictionalCoefficient(0.25f), 0);
    EXPECT_EQ(ball->setRestitutionCoefficient(0.75f), 0);
    EXPECT_EQ(ball->setLinearDamping(0.1f), 0);
    EXPECT_EQ(ball->setAngularDamping(0.2f), 0);
    EXPECT_FLOAT_EQ(ball->getFrictionalCoefficient(), 0.25f);
    EXPECT_FLOAT_EQ(ball->getRestitutionCoefficient(), 0.75f);
    EXPECT_FLOAT_EQ(ball->getLinearDamping(), 0.1f);
    EXPECT_FLOAT_EQ(ball->getAngularDamping(), 0.2f);
    EXPECT_EQ(ball->setFrictionalCoefficient(-1), -1);
    EXPECT_EQ(ball->setRestitutionCoefficient(std::nanf("")), -1);
    EXPECT_EQ(ball->setLinearVelocity({std::nanf(""), 0, 0}), -1);
    EXPECT_FLOAT_EQ(ball->getFrictionalCoefficient(), 0.25f);
    EXPECT_EQ(ball->getLinearVelocity(), Vector3D());
}

TEST(PhysicsBody, ABodyOutlivesTheApplicationsDeletionOfItsWorld)
{
    TestWorld w;
    Body ball = w.sphere(1, {0, 3, 0}, 0.5f);
    Body other = w.sphere(1, {0, 6, 0}, 0.5f);
    Joint joint = w.joint();
    ASSERT_EQ(joint->connectBall(ball.get(), other.get(), {0, 4.5f, 0}, 0), 0);
    EXPECT_EQ(w.world->getRefCount(), 4) << "each body and the joint hold the world";
    w.world.reset();
    // Nobody steps the world any more, yet its bodies and joint still answer and take changes.
    EXPECT_EQ(ball->setPosition({1, 2, 3}), 0);
    EXPECT_EQ(ball->getPosition(), Vector3D(1, 2, 3));
    EXPECT_EQ(ball->reset(), 0);
    EXPECT_EQ(joint->detach(), 0);
    ball.reset();
    other.reset();
    joint.reset(); // the last reference: the world goes with it (the sanitizer build checks for leaks)
}

TEST(PhysicsBody, TheSceneObjectIsANodeThatDrawsNothing)
{
    TestWorld w;
    Body ball = w.sphere(1, {}, 0.5f);
    EXPECT_NE(ball->getSceneObject(), nullptr);
    EXPECT_EQ(ball->attachToScene(nullptr, 3.0f), -1);
}
