// Rigid bodies over recording physics worlds: creation, timed motion pushed once per frame, the
// physics-setting records and what a body's end does to its joints.
#include "PhysicsTestFixture.h"

#include <kavro/Matrix4x4.h>

#include <cstring>
#include <functional>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Calls = std::vector<std::string>;

namespace
{

void expectNear(const Vector3D& actual, const Vector3D& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectNear(const Matrix4x4& actual, const Matrix4x4& expected)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-4f) << "row " << r << " column " << c;
}

using RigidBodyTest = PhysicsTest;

} // namespace

TEST_F(RigidBodyTest, EachShapeIsCreatedWithItsValuesAndLeadsBackToItsWrapper)
{
    const Vector3D at(1.0f, 2.0f, 3.0f);
    const struct
    {
        const char* shape;
        std::function<int(CRigidBody*)> create;
        std::string call;
        uint32_t type;
        std::vector<float> parameters;
    } cases[] = {
        {"plane", [&](CRigidBody* b) { return b->createPlane(at, {0.0f, 1.0f, 0.0f}, 1); },
         "world1.createPlane((1 2 3), (0 1 0))", CRigidBody::Plane, {0.0f, 1.0f, 0.0f}},
        {"sphere", [&](CRigidBody* b) { return b->createSphere(2.0f, at, 0.5f, 1); },
         "world1.createSphere(2, (1 2 3), 0.5, identity)", CRigidBody::Sphere, {0.5f, 0.0f, 0.0f}},
        {"box", [&](CRigidBody* b) { return b->createBox(3.0f, at, {4.0f, 5.0f, 6.0f}, 1); },
         "world1.createBox(3, (1 2 3), (4 5 6), identity)", CRigidBody::Box, {4.0f, 5.0f, 6.0f}},
        {"cylinder", [&](CRigidBody* b) { return b->createCylinder(4.0f, at, 0.25f, 2.0f, 1); },
         "world1.createCylinder(4, (1 2 3), 0.25, 2, identity)", CRigidBody::Cylinder, {0.25f, 2.0f, 0.0f}},
        {"capsule", [&](CRigidBody* b) { return b->createCapsule(5.0f, at, 0.75f, 3.0f, 2); },
         "world2.createCapsule(5, (1 2 3), 0.75, 3, identity)", CRigidBody::Capsule, {0.75f, 3.0f, 0.0f}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.shape);
        log.clear();
        CRigidBody* wrapper = body(c.shape);
        ASSERT_EQ(c.create(wrapper), 0);
        ASSERT_NE(fakeOf(wrapper), nullptr);
        EXPECT_EQ(calls(), (Calls{c.call, Join({fakeOf(wrapper)->label(), ".setUserPointer(set)"})}));
        EXPECT_EQ(fakeOf(wrapper)->userPointer, wrapper);
        EXPECT_EQ(wrapper->getShapeType(), c.type);
        EXPECT_EQ(std::vector<float>(wrapper->getShapeParameters(), wrapper->getShapeParameters() + 3), c.parameters);
        // The creation position is reported at once, without asking the body.
        EXPECT_EQ(wrapper->getMove(), at);
        EXPECT_EQ(wrapper->isMoving(), 0);
    }
}

TEST_F(RigidBodyTest, AFailedCreationKeepsTheFirstBodyButNoWorld)
{
    CRigidBody* wrapper = sphere("ball");
    RecordingRigidBody* first = fakeOf(wrapper);
    EXPECT_EQ(wrapper->createBox(1.0f, {}, {1.0f, 1.0f, 1.0f}, 7), -1);
    EXPECT_EQ(wrapper->getBody(), first);
    EXPECT_EQ(first->count(), 1);
    EXPECT_EQ(wrapper->getWorld(), nullptr);
    // Without a world no joint can be made.
    wrapper->createBallJoint("j", nullptr, {}, 0);
    EXPECT_TRUE(wrapper->getJointList().empty());

    // A world that makes no body fails the creation too.
    worlds[0]->noCreate = true;
    EXPECT_EQ(wrapper->createSphere(1.0f, {}, 1.0f, 1), -1);
    EXPECT_EQ(wrapper->getBody(), nullptr);
    EXPECT_EQ(first->count(), 0);
    EXPECT_EQ(wrapper->getWorld(), worlds[0]);
}

TEST_F(RigidBodyTest, ZeroDurationsPlaceTheBodyAtOnce)
{
    CRigidBody* wrapper = sphere("ball");
    log.clear();
    wrapper->move({1.0f, 2.0f, 3.0f}, 0, 0);
    wrapper->rotate({10.0f, 20.0f, 30.0f}, 0, 0);
    EXPECT_EQ(calls(), (Calls{"body1.setPosition((1 2 3))",
                              Join({"body1.setRotation(", Text(Matrix4x4::GetRotationZXY(10.0f, 20.0f, 30.0f)), ")"})}));
    EXPECT_EQ(wrapper->isMoving(), 0);
    EXPECT_EQ(wrapper->isRotating(), 0);
    log.clear();
    nextFrame();
    wrapper->update();
    EXPECT_TRUE(calls().empty());
}

TEST_F(RigidBodyTest, ATimedMoveIsPushedEachFrameUntilItLandsOnItsTarget)
{
    CRigidBody* wrapper = sphere("ball");
    RecordingRigidBody* fakeBody = fakeOf(wrapper);
    // The simulation has turned the body; a move keeps that orientation.
    fakeBody->rotation = Matrix4x4::GetRotationY(90.0f);
    nextFrame();
    wrapper->update();
    log.clear();

    wrapper->move({0.0f, 10.0f, 0.0f}, 2 * FrameMs, 0);
    EXPECT_EQ(wrapper->isMoving(), 1);
    EXPECT_TRUE(calls().empty());
    std::vector<size_t> pushes;
    for (int frame = 0; frame < 4; ++frame)
    {
        nextFrame();
        log.clear();
        wrapper->update();
        pushes.push_back(log.named("body1.setTransform").size());
    }
    EXPECT_EQ(pushes, (std::vector<size_t>{1, 1, 0, 0}));
    EXPECT_EQ(wrapper->isMoving(), 0);
    expectNear(fakeBody->position, {0.0f, 10.0f, 0.0f});
    expectNear(wrapper->getRotate(), {0.0f, 90.0f, 0.0f});
}

TEST_F(RigidBodyTest, ARotationToWhereTheBodyStandsIsStillPushedOnce)
{
    CRigidBody* wrapper = sphere("ball");
    log.clear();
    // Equal ends start no ease, but the body is placed once all the same.
    wrapper->rotate({0.0f, 0.0f, 0.0f}, 1000, 0);
    EXPECT_EQ(wrapper->isRotating(), 0);
    std::vector<size_t> pushes;
    for (int frame = 0; frame < 2; ++frame)
    {
        nextFrame();
        log.clear();
        wrapper->update();
        pushes.push_back(log.named("body1.setTransform").size());
    }
    EXPECT_EQ(pushes, (std::vector<size_t>{1, 0}));
}

TEST_F(RigidBodyTest, CurvesBeyondTheTableAreTheFirstCurve)
{
    CRigidBody* linear = sphere("a");
    CRigidBody* beyond = sphere("b");
    linear->move({100.0f, 0.0f, 0.0f}, 100, 0);
    beyond->move({100.0f, 0.0f, 0.0f}, 100, 61);
    nextFrame();
    linear->update();
    beyond->update();
    EXPECT_EQ(beyond->getMove(), linear->getMove());
    EXPECT_NEAR(linear->getMove().x, 20.0f, 1e-3f);
}

TEST_F(RigidBodyTest, AnIdleBodyReportsTheSimulation)
{
    CRigidBody* wrapper = sphere("ball");
    RecordingRigidBody* fakeBody = fakeOf(wrapper);
    wrapper->rotate({1.0f, 2.0f, 3.0f}, 0, 0);
    fakeBody->rotation = Matrix4x4::GetRotationZXY(10.0f, 20.0f, 30.0f);
    fakeBody->position = Vector3D(4.0f, 5.0f, 6.0f);
    expectNear(wrapper->getRotate(), {10.0f, 20.0f, 30.0f});
    EXPECT_EQ(wrapper->getMove(), Vector3D(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(wrapper->getPosition(), wrapper->getMove());

    fakeBody->linearVelocity = Vector3D(1.0f, 0.0f, 0.0f);
    fakeBody->angularVelocity = Vector3D(0.0f, 2.0f, 0.0f);
    EXPECT_EQ(wrapper->getLinearVelocity(), Vector3D(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(wrapper->getAngularVelocity(), Vector3D(0.0f, 2.0f, 0.0f));

    // Without a body: the interpolators' values and no velocity.
    CRigidBody* bodiless = body("none");
    bodiless->move({7.0f, 8.0f, 9.0f}, 0, 0);
    EXPECT_EQ(bodiless->getMove(), Vector3D(7.0f, 8.0f, 9.0f));
    EXPECT_EQ(bodiless->getLinearVelocity(), Vector3D());
    nextFrame();
    EXPECT_EQ(bodiless->update(), 0);
}

TEST_F(RigidBodyTest, TakingOverAFrameBodyLeavesWorldAndUserPointerAlone)
{
    RecordingSceneFrame* frame = new RecordingSceneFrame(fake, "frame", "arm");
    CRigidBody* owner = sphere("owner");
    frame->attachRigidBody(owner->getBody(), 0, 0, 0);
    CRigidBody* taker = body("taker");
    EXPECT_EQ(taker->createFromFrame(nullptr), -1);
    EXPECT_EQ(taker->createFromFrame(frame), 0);
    EXPECT_EQ(taker->getBody(), owner->getBody());
    EXPECT_EQ(taker->getWorld(), nullptr);
    EXPECT_EQ(fakeOf(taker)->userPointer, owner);

    frame->orphan();
    EXPECT_EQ(taker->createFromFrame(frame), -1);
    EXPECT_EQ(taker->getBody(), nullptr);
    frame->release();
}

namespace
{

// A body record as a physics-setting file holds it.
RigidBodyRecord bodyRecord(int32_t shapeType, Vector3D sizes)
{
    RigidBodyRecord record;
    std::strcpy(record.name, "body");
    std::strcpy(record.frameName, "arm");
    record.matrix = Matrix4x4::GetRotationZXY(10.0f, 20.0f, 30.0f) * Matrix4x4::GetTranslation(1.0f, 2.0f, 3.0f);
    record.mass = 2.5f;
    record.friction = 0.25f;
    record.restitution = 0.125f;
    record.linearDamping = 0.0625f;
    record.angularDamping = 0.5f;
    record.gravity = 1;
    record.attachFlag1 = 1;
    record.attachFlag2 = 0;
    record.attachFlag3 = 1;
    record.stateWord = 1;
    record.shapeType = shapeType;
    record.shape[0] = sizes.x;
    record.shape[1] = sizes.y;
    record.shape[2] = sizes.z;
    return record;
}

} // namespace

TEST_F(RigidBodyTest, RecordsComeBackAsTheyWereAtEveryScale)
{
    const struct
    {
        int32_t type;
        Vector3D sizes;
        const char* call; // the create call at scale (1, 3, 2)
    } shapes[] = {
        {0, {0.5f, 0.0f, 0.0f}, "world1.createSphere(2.5, (0 0 0), 1.5, identity)"},
        {1, {1.0f, 2.0f, 3.0f}, "world1.createBox(2.5, (0 0 0), (1 6 6), identity)"},
        {2, {0.5f, 2.0f, 0.0f}, "world1.createCylinder(2.5, (0 0 0), 1, 6, identity)"},
        {3, {0.25f, 1.0f, 0.0f}, "world1.createCapsule(2.5, (0 0 0), 0.5, 3, identity)"},
        {4, {0.0f, 1.0f, 0.0f}, "world1.createPlane((0 0 0), (0 1 0))"},
    };
    const Vector3D scales[] = {{1.0f, 1.0f, 1.0f}, {2.0f, 2.0f, 2.0f}, {1.0f, 3.0f, 2.0f}};
    for (const auto& shape : shapes)
        for (const Vector3D& s : scales)
        {
            SCOPED_TRACE(testing::Message() << "type " << shape.type << " at " << Text(s));
            const RigidBodyRecord in = bodyRecord(shape.type, shape.sizes);
            CRigidBody* wrapper = body("body");
            log.clear();
            ASSERT_EQ(wrapper->importSetting(s, in, 1), 0);
            if (s == scales[2])
            {
                EXPECT_EQ(log.calls().front(), shape.call);
            }
            ASSERT_NE(fakeOf(wrapper), nullptr);
            // Imported bodies lead back to their wrapper too, so that the model's export finds them.
            EXPECT_EQ(fakeOf(wrapper)->userPointer, wrapper);

            // What the model's import does with the rest of the record.
            RecordingRigidBody* fakeBody = fakeOf(wrapper);
            fakeBody->friction = in.friction;
            fakeBody->restitution = in.restitution;
            fakeBody->linearDamping = in.linearDamping;
            fakeBody->angularDamping = in.angularDamping;
            fakeBody->gravity = in.gravity;
            fakeBody->stateWord = in.stateWord;
            Matrix4x4 placed = Matrix4x4::GetScaling(s.x, s.y, s.z) * in.matrix;
            placed._41 *= s.x, placed._42 *= s.y, placed._43 *= s.z;
            auto* frame = new RecordingSceneFrame(fake, "frame", "arm");
            frame->attachRigidBodyWithMatrix(fakeBody, placed, 1, 0, 1);

            RigidBodyRecord out;
            scribble(out);
            ASSERT_EQ(wrapper->exportSetting(frame, s, out), 0);
            EXPECT_STREQ(out.name, "body");
            EXPECT_STREQ(out.frameName, "arm");
            EXPECT_EQ(out.name[127], 0);
            EXPECT_EQ(out.frameName[127], 0);
            expectNear(out.matrix, in.matrix);
            EXPECT_EQ(out.shapeType, in.shapeType);
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(out.shape[i], in.shape[i], 1e-6f) << "size " << i;
            EXPECT_EQ(out.mass, fakeBody->mass);
            EXPECT_EQ(out.friction, in.friction);
            EXPECT_EQ(out.restitution, in.restitution);
            EXPECT_EQ(out.linearDamping, in.linearDamping);
            EXPECT_EQ(out.angularDamping, in.angularDamping);
            EXPECT_EQ(out.gravity, in.gravity);
            EXPECT_EQ(out.attachFlag1, 1u);
            EXPECT_EQ(out.attachFlag2, 0u);
            EXPECT_EQ(out.attachFlag3, 1u);
            EXPECT_EQ(out.stateWord, in.stateWord);
            frame->orphan();
            frame->release();
        }
}

TEST_F(RigidBodyTest, AnUnknownShapeImportsAsNoBodyAndAMissingWorldFails)
{
    CRigidBody* wrapper = body("odd");
    log.clear();
    EXPECT_EQ(wrapper->importSetting({1.0f, 1.0f, 1.0f}, bodyRecord(5, {}), 1), 0);
    EXPECT_EQ(wrapper->getBody(), nullptr);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(body("lost")->importSetting({1.0f, 1.0f, 1.0f}, bodyRecord(0, {1.0f, 0.0f, 0.0f}), 9), -1);
}

TEST_F(RigidBodyTest, LongNamesAreCutToFitTheirFields)
{
    const std::string longName(200, 'n');
    CRigidBody* wrapper = body(longName);
    ASSERT_EQ(wrapper->createSphere(1.0f, {}, 1.0f, 1), 0);
    auto* frame = new RecordingSceneFrame(fake, "frame", std::string(300, 'f'));
    frame->attachRigidBody(wrapper->getBody(), 0, 0, 0);
    RigidBodyRecord out;
    scribble(out);
    ASSERT_EQ(wrapper->exportSetting(frame, {1.0f, 1.0f, 1.0f}, out), 0);
    EXPECT_EQ(std::string(out.name), std::string(127, 'n'));
    EXPECT_EQ(std::string(out.frameName), std::string(127, 'f'));
    frame->orphan();
    frame->release();
}

TEST_F(RigidBodyTest, ABodyThatOutlivesItsWrapperNoLongerLeadsToIt)
{
    auto* frame = new RecordingSceneFrame(fake, "frame", "arm");
    auto* wrapper = new CRigidBody("ball");
    ASSERT_EQ(wrapper->createSphere(1.0f, {}, 1.0f, 1), 0);
    RecordingRigidBody* fakeBody = fakeOf(wrapper);
    frame->attachRigidBody(fakeBody, 0, 0, 0);
    wrapper->release();
    EXPECT_EQ(fakeBody->count(), 1);
    EXPECT_EQ(fakeBody->userPointer, nullptr);
    frame->orphan();
    frame->release();
}
