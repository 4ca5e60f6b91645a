// Joints in their first body's table over recording physics worlds: how they connect, the stored
// limits and springs, the physics-setting records, and who keeps a joint alive.
#include "PhysicsTestFixture.h"

#include <kavro/Matrix4x4.h>

#include <cstring>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Calls = std::vector<std::string>;

namespace
{

using JointTest = PhysicsTest;

// The bytes of a record, to see that a failed export left it alone.
template <class Record> std::vector<unsigned char> bytesOf(const Record& record)
{
    const auto* p = reinterpret_cast<const unsigned char*>(&record);
    return {p, p + sizeof record};
}

void expectNear(const Matrix4x4& actual, const Matrix4x4& expected)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-4f) << "row " << r << " column " << c;
}

JointRecord sixDofRecord()
{
    JointRecord record;
    std::strcpy(record.name, "knee");
    std::strcpy(record.bodyAName, "thigh");
    std::strcpy(record.bodyBName, "shin");
    record.frameA = Matrix4x4::GetRotationZXY(0.0f, 90.0f, 0.0f) * Matrix4x4::GetTranslation(1.0f, 2.0f, 3.0f);
    record.frameB = Matrix4x4::GetTranslation(-1.0f, -0.5f, 0.25f);
    record.flag = 1;
    record.erp = 0.5f;
    record.cfm = 0.25f;
    record.breakingImpulseThreshold = 100.0f;
    record.jointType = 1;
    JointParameters& p = record.parameters;
    p.angularLowerLimit = {-10.0f, -20.0f, -30.0f};
    p.angularUpperLimit = {10.0f, 20.0f, 30.0f};
    p.angularEnableSpring[0] = 1;
    p.angularEnableSpring[2] = 1;
    p.angularSpringStiffness = {1.0f, 2.0f, 3.0f};
    p.angularSpringDamping = {0.1f, 0.2f, 0.3f};
    p.linearLowerLimit = {-1.0f, -2.0f, -3.0f};
    p.linearUpperLimit = {1.0f, 2.0f, 3.0f};
    p.linearEnableSpring[1] = 1;
    p.linearSpringStiffness = {4.0f, 5.0f, 6.0f};
    p.linearSpringDamping = {0.4f, 0.5f, 0.6f};
    return record;
}

} // namespace

TEST_F(JointTest, BallAndSixDofJointsConnectTheirBodies)
{
    CRigidBody* a = sphere("a");
    CRigidBody* b = sphere("b");
    CRigidBody* bodiless = body("none");
    log.clear();
    a->createBallJoint("ball", b, {1.0f, 2.0f, 3.0f}, 1);
    a->create6DOFJoint("hinge", b, {1.0f, 2.0f, 3.0f}, {10.0f, 20.0f, 30.0f}, 0);
    a->createBallJoint("loose", bodiless, {}, 0);
    Matrix4x4 frame = Matrix4x4::GetRotationZXY(10.0f, 20.0f, 30.0f);
    frame._41 = 1.0f, frame._42 = 2.0f, frame._43 = 3.0f;
    EXPECT_EQ(calls(), (Calls{"world1.createJoint()", "joint1.connectBall(body1, body2, (1 2 3), 1)",
                              "world1.createJoint()", Join({"joint2.connect6DOF(body1, body2, ", Text(frame), ", 0)"}),
                              "world1.createJoint()", "joint3.connectBall(body1, null, (0 0 0), 0)"}));

    const std::vector<CJoint*> list = a->getJointList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->getName(), "ball");
    EXPECT_EQ(list[1]->getName(), "hinge");
    EXPECT_EQ(list[2]->getName(), "loose");
    EXPECT_EQ(list[0]->getJointType(), CJoint::BallJoint);
    EXPECT_EQ(list[0]->getFlag(), 1u);
    EXPECT_EQ(list[1]->getJointType(), CJoint::SixDofJoint);
    EXPECT_EQ(list[1]->getFlag(), 0u);
    EXPECT_EQ(a->findJoint("none"), nullptr);

    a->releaseJoint("loose");
    a->releaseJoint("never");
    EXPECT_EQ(a->getJointList().size(), 2u);
}

TEST_F(JointTest, NoWorldOrNoConstraintAddsNoJoint)
{
    CRigidBody* a = sphere("a");
    CRigidBody* fromFrame = body("frame body");
    auto* frame = new RecordingSceneFrame(fake, "frame", "arm");
    frame->attachRigidBody(a->getBody(), 0, 0, 0);
    ASSERT_EQ(fromFrame->createFromFrame(frame), 0);
    fromFrame->createBallJoint("j", a, {}, 0);
    EXPECT_TRUE(fromFrame->getJointList().empty());

    worlds[0]->noCreate = true;
    a->createBallJoint("j", nullptr, {}, 0);
    EXPECT_TRUE(a->getJointList().empty());
    frame->orphan();
    frame->release();
}

TEST_F(JointTest, SettersReachTheLibraryAndAreKeptOnlyWithAConstraint)
{
    CJoint unconnected("j");
    unconnected.setLinearUpperLimit({1.0f, 2.0f, 3.0f});
    unconnected.setAngularEnableSpring(1, 1, 1);
    EXPECT_EQ(unconnected.getParameters().linearUpperLimit, Vector3D());
    EXPECT_EQ(unconnected.getParameters().angularEnableSpring[0], 0);

    CRigidBody* a = sphere("a");
    a->create6DOFJoint("j", nullptr, {}, {}, 0);
    CJoint* joint = a->findJoint("j");
    ASSERT_NE(joint, nullptr);
    log.clear();
    joint->setLinearUpperLimit({1.0f, 2.0f, 3.0f});
    joint->setAngularEnableSpring(1, 0, 1);
    EXPECT_EQ(calls(), (Calls{"joint1.setLinearUpperLimit(1, 2, 3)", "joint1.setAngularEnableSpring(1, 0, 1)"}));
    EXPECT_EQ(joint->getParameters().linearUpperLimit, Vector3D(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(joint->getParameters().angularEnableSpring[2], 1);
    joint->release();
}

TEST_F(JointTest, AnImportSendsTheRecordInOrderAndExportsItBackUnscaled)
{
    CRigidBody* thigh = sphere("thigh");
    CRigidBody* shin = sphere("shin");
    const JointRecord in = sixDofRecord();
    const Vector3D s(2.0f, 4.0f, 0.5f);
    log.clear();
    thigh->importJointSetting(shin, s, in);
    Matrix4x4 frameA = in.frameA, frameB = in.frameB;
    frameA._41 *= s.x, frameA._42 *= s.y, frameA._43 *= s.z;
    frameB._41 *= s.x, frameB._42 *= s.y, frameB._43 *= s.z;
    const Calls expected = {
        "world1.createJoint()",
        Join({"joint1.connect6DOFFrames(body1, body2, ", Text(frameA), ", ", Text(frameB), ", 1)"}),
        "joint1.setAngularUpperLimit(10, 20, 30)",
        "joint1.setAngularLowerLimit(-10, -20, -30)",
        "joint1.setAngularEnableSpring(1, 0, 1)",
        "joint1.setAngularSpringDamping(0.1, 0.2, 0.3)",
        "joint1.setAngularSpringStiffness(1, 2, 3)",
        "joint1.setLinearUpperLimit(2, 8, 1.5)",
        "joint1.setLinearLowerLimit(-2, -8, -1.5)",
        "joint1.setLinearEnableSpring(0, 1, 0)",
        "joint1.setLinearSpringDamping(0.4, 0.5, 0.6)",
        "joint1.setLinearSpringStiffness(4, 5, 6)",
        "joint1.setERP(0.5)",
        "joint1.setCFM(0.25)",
        "joint1.setBreakingImpulseThreshold(100)",
    };
    EXPECT_EQ(calls(), expected);

    CJoint* knee = thigh->findJoint("knee");
    ASSERT_NE(knee, nullptr);
    EXPECT_EQ(knee->getJointType(), CJoint::SixDofJoint);
    JointRecord out;
    scribble(out);
    ASSERT_EQ(knee->exportSetting(s, out), 0);
    EXPECT_STREQ(out.name, "knee");
    EXPECT_STREQ(out.bodyAName, "thigh");
    EXPECT_STREQ(out.bodyBName, "shin");
    EXPECT_EQ(out.name[127], 0);
    expectNear(out.frameA, in.frameA);
    expectNear(out.frameB, in.frameB);
    EXPECT_EQ(out.flag, in.flag);
    EXPECT_EQ(out.erp, in.erp);
    EXPECT_EQ(out.cfm, in.cfm);
    EXPECT_EQ(out.breakingImpulseThreshold, in.breakingImpulseThreshold);
    EXPECT_EQ(out.jointType, in.jointType);
    EXPECT_EQ(bytesOf(out.parameters), bytesOf(in.parameters));
    knee->release();
}

TEST_F(JointTest, ABallJointExportedAndImportedIsABallJointAgain)
{
    CRigidBody* a = sphere("a");
    CRigidBody* b = sphere("b");
    a->createBallJoint("ball", b, {1.0f, 2.0f, 3.0f}, 1);
    RecordingJoint* library = fakeOf(a->getJointList()[0]);
    library->erp = 0.75f;
    library->cfm = 0.125f;
    library->breakingImpulse = 50.0f;
    JointRecord record;
    ASSERT_EQ(a->getJointList()[0]->exportSetting({1.0f, 1.0f, 1.0f}, record), 0);
    EXPECT_EQ(record.jointType, 0);
    // A block never set exports as zeros.
    EXPECT_EQ(bytesOf(record.parameters), bytesOf(JointParameters()));

    CRigidBody* c = sphere("c");
    CRigidBody* d = sphere("d");
    log.clear();
    c->importJointSetting(d, {1.0f, 1.0f, 1.0f}, record);
    const Calls expected = {
        "world1.createJoint()",
        Join({"joint2.connectBallFrames(body3, body4, ", Text(library->frameA), ", ", Text(library->frameB), ", 1)"}),
        "joint2.setERP(0.75)",
        "joint2.setCFM(0.125)",
        "joint2.setBreakingImpulseThreshold(50)",
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(c->getJointList()[0]->getJointType(), CJoint::BallJoint);
    EXPECT_EQ(c->getJointList()[0]->getName(), "ball");
}

TEST_F(JointTest, AnExportWithoutBothBodiesOrTheirOwnersFailsAndLeavesTheRecord)
{
    CRigidBody* a = sphere("a");
    CRigidBody* b = sphere("b");
    a->createBallJoint("alone", nullptr, {}, 0);
    a->createBallJoint("stranger", b, {}, 0);
    fakeOf(b)->userPointer = nullptr;
    CJoint unconnected("none");
    JointRecord record;
    scribble(record);
    const auto before = bytesOf(record);
    for (CJoint* joint : {a->findJoint("alone"), a->findJoint("stranger"), &unconnected})
    {
        SCOPED_TRACE(joint->getName());
        EXPECT_EQ(joint->exportSetting({1.0f, 1.0f, 1.0f}, record), -1);
        EXPECT_EQ(bytesOf(record), before);
        if (joint != &unconnected)
            joint->release();
    }
    // The bodies handed out by the constraints were given back.
    EXPECT_EQ(fakeOf(a)->count(), 1);
    EXPECT_EQ(fakeOf(b)->count(), 1);
    fakeOf(b)->userPointer = b;
}

TEST_F(JointTest, AJointNameTooLongForItsFieldIsCut)
{
    CRigidBody* a = sphere(std::string(130, 'a'));
    CRigidBody* b = sphere("b");
    a->createBallJoint(std::string(128, 'j'), b, {}, 0);
    JointRecord record;
    ASSERT_EQ(a->getJointList()[0]->exportSetting({1.0f, 1.0f, 1.0f}, record), 0);
    EXPECT_EQ(std::string(record.name), std::string(127, 'j'));
    EXPECT_EQ(std::string(record.bodyAName), std::string(127, 'a'));

    // A record name filling its whole field is read without running past it.
    JointRecord full = sixDofRecord();
    std::memset(full.name, 'k', sizeof full.name);
    a->importJointSetting(b, {1.0f, 1.0f, 1.0f}, full);
    CJoint* imported = a->findJoint(std::string(128, 'k'));
    ASSERT_NE(imported, nullptr);
    imported->release();
}

TEST_F(JointTest, AReplacedJointHeldElsewhereStaysConnected)
{
    CRigidBody* a = sphere("a");
    CRigidBody* b = sphere("b");
    a->createBallJoint("j", b, {}, 0);
    CJoint* held = a->findJoint("j");
    ASSERT_NE(held, nullptr);
    log.clear();
    a->createBallJoint("j", b, {}, 1);
    EXPECT_TRUE(log.named("joint1.detach").empty());
    EXPECT_EQ(held->getRefCount(), 1);
    EXPECT_NE(a->getJointList()[0], held);
    held->release();
    EXPECT_EQ(log.named("joint1.detach").size(), 1u);
    EXPECT_EQ(fakeOf(a->getJointList()[0])->count(), 1);
}

TEST_F(JointTest, ADestroyedBodyDetachesEveryJointOfItsTable)
{
    auto* a = new CRigidBody("a");
    ASSERT_EQ(a->createSphere(1.0f, {}, 1.0f, 1), 0);
    CRigidBody* b = sphere("b");
    a->createBallJoint("y", b, {}, 0);
    a->create6DOFJoint("x", b, {}, {}, 0);
    CJoint* held = a->findJoint("y");
    log.clear();
    a->release();
    EXPECT_EQ(calls(), (Calls{"joint2.detach()", "joint1.detach()", "body1.setUserPointer(null)"}));
    // The held joint keeps its constraint for its script, detached once only.
    ASSERT_NE(held->getJoint(), nullptr);
    log.clear();
    held->setAngularUpperLimit({1.0f, 1.0f, 1.0f});
    held->release();
    EXPECT_EQ(calls(), Calls{"joint1.setAngularUpperLimit(1, 1, 1)"});
}
