// The rigid-body, joint and physics-world script classes through the script host over recording physics
// worlds: table checks, what each method reaches, names that must lead to the right class, result tables.
#include "SceneScriptFixture.h"

#include "scene/CJoint.h"
#include "scene/CRigidBody.h"
#include "scene/IBoneFrame.h"
#include "scene/Squirrel/SQJoint.h"
#include "scene/Squirrel/SQRigidBody.h"

#include "support/FakePhysics.h"

using namespace OrvaneTest;
using Kavro::Vector3D;
using Orvane::Squirrel::SQJoint;
using Orvane::Squirrel::SQRigidBody;
using Strings = std::vector<std::string>;

namespace
{

// A bone as the physics classes see one: a task object standing for a model frame.
class FakeBone : public Orvane::CTaskObject, public Orvane::IBoneFrame
{
public:
    FakeBone(const std::string& name, Kavro::ISceneFrame* frame) : CTaskObject(name), frame(frame) {}
    Kavro::ISceneFrame* getBoneFrame() override { return frame; }
    Kavro::ISceneFrame* frame;
};

class PhysicsScriptTest : public SceneScriptTest
{
protected:
    void SetUp() override
    {
        SceneScriptTest::SetUp();
        for (int id : {1, 2})
        {
            auto* world = new FakePhysicsWorld(log3d, Join({"world", std::to_string(id)}), fake.get());
            app->physicsWorlds[id] = world;
            worlds.push_back(world);
        }
    }
    void TearDown() override
    {
        host.reset();
        for (auto& [id, world] : app->physicsWorlds)
            world->release();
        app->physicsWorlds.clear();
        SceneScriptTest::TearDown();
    }
    SQRigidBody* rigid(const std::string& name) { return object<SQRigidBody>(name); }
    RecordingRigidBody* library(const std::string& name)
    {
        return dynamic_cast<RecordingRigidBody*>(rigid(name)->getRigidBody()->getBody());
    }
    // Two spheres "a" and "b" in world 1 with a ball joint "j" from a to b; the log cleared.
    void jointed()
    {
        ASSERT_EQ(runSnippet("::a <- SQRigidBody(\"a\"); ::a.createSphere(1.0, {x = 0, y = 0, z = 0}, 1.0, 1);"
                             "::b <- SQRigidBody(\"b\"); ::b.createSphere(1.0, {x = 0, y = 2, z = 0}, 1.0, 1);"
                             "::a.attachWithBallJoint(\"j\", \"b\", {x = 0.0, y = 1.0, z = 0.0}, 1);"),
                  "");
        log3d.clear();
    }

    std::vector<FakePhysicsWorld*> worlds;
};

} // namespace

TEST_F(PhysicsScriptTest, TheClassesRegisterTheirMethods)
{
    EXPECT_EQ(methodCount("SQRigidBody"), "46");
    EXPECT_EQ(methodCount("SQJoint"), "27");
    EXPECT_EQ(methodCount("SQPhysics"), "7");
    for (const char* c : {"SQRigidBody(1)", "SQJoint(null)", "SQPhysics(2.0)"})
        EXPECT_EQ(eval(c), "error: Incorrect function argument") << c;
}

TEST_F(PhysicsScriptTest, ShapesAreCreatedOnlyFromWholeTablesAndShownInTheScene)
{
    ASSERT_EQ(runSnippet("::r <- SQRigidBody(\"r\");"
                         "::first <- ::r.createSphere(2.0, {x = 1, y = 2.0, z = 3.0}, 0.5, 1);"),
              "");
    EXPECT_EQ(eval("::first"), "0");
    EXPECT_EQ(logged({"createSphere", "attachToScene", "setUserPointer"}),
              (Strings{"world1.createSphere(2, (1 2 3), 0.5, identity)", "body1.setUserPointer(set)",
                       "body1.attachToScene(scene, 3)"}));
    RecordingRigidBody* first = library("r");

    // A table lacking a key changes nothing.
    EXPECT_EQ(eval("::r.createSphere(1.0, {x = 1.0, y = 2.0}, 1.0, 1)"), "-1");
    EXPECT_EQ(eval("::r.createBox(1.0, {x = 1.0, y = 2.0, z = 3.0}, 5, 1)"), "-1");
    EXPECT_EQ(log3d.calls(), Strings{});
    EXPECT_EQ(library("r"), first);

    // The plane goes to the world its id names.
    EXPECT_EQ(eval("::r.createPlane({x = 0.0, y = 0.0, z = 0.0}, {x = 0.0, y = 1.0, z = 0.0}, 2)"), "0");
    EXPECT_EQ(logged({"createPlane"}), Strings{"world2.createPlane((0 0 0), (0 1 0))"});
    EXPECT_EQ(first->count(), 0);
    EXPECT_EQ(rigid("r")->getEngineObject(), rigid("r")->getRigidBody()->getBody());

    const struct
    {
        const char* call;
        const char* logged;
    } shapes[] = {
        {"::r.createBox(1.0, {x = 0.0, y = 0.0, z = 0.0}, {x = 1.0, y = 2.0, z = 3.0}, 1)",
         "world1.createBox(1, (0 0 0), (1 2 3), identity)"},
        {"::r.createCylinder(1.0, {x = 0.0, y = 0.0, z = 0.0}, 0.5, 2.0, 1)",
         "world1.createCylinder(1, (0 0 0), 0.5, 2, identity)"},
        {"::r.createCapsule(1.0, {x = 0.0, y = 0.0, z = 0.0}, 0.5, 2.0, 1)",
         "world1.createCapsule(1, (0 0 0), 0.5, 2, identity)"},
    };
    for (const auto& s : shapes)
    {
        EXPECT_EQ(eval(s.call), "0") << s.call;
        EXPECT_EQ(logged({"createBox", "createCylinder", "createCapsule"}), Strings{s.logged});
    }
}

TEST_F(PhysicsScriptTest, ABoneLendsTheBodyOnItsFrameAndNothingElseDoes)
{
    ASSERT_EQ(runSnippet("::owner <- SQRigidBody(\"owner\"); ::owner.createSphere(1.0, {x = 0, y = 0, z = 0}, 1.0, 1);"
                         "::n <- SQNull3D(\"n\");"),
              "");
    auto* frame = new RecordingSceneFrame(*fake, "frame", "arm");
    frame->attachRigidBody(library("owner"), 0, 0, 0);
    auto* bone = new FakeBone("bone", frame);
    auto* bare = new FakeBone("bare", nullptr);
    log3d.clear();
    ASSERT_EQ(runSnippet("::r <- SQRigidBody(\"r\");"), "");
    for (const char* name : {"n", "bare", "nobody", ""})
        EXPECT_EQ(eval(Join({"::r.create(\"", name, "\")"})), "-1") << name;
    EXPECT_EQ(rigid("r")->getRigidBody(), nullptr);
    EXPECT_EQ(eval("::r.create(\"bone\")"), "0");
    EXPECT_EQ(rigid("r")->getEngineObject(), library("owner"));
    EXPECT_EQ(logged({"attachToScene"}), Strings{"body1.attachToScene(scene, 3)"});
    ASSERT_EQ(runSnippet("::r = null;"), "");
    bone->release();
    bare->release();
    frame->orphan();
    frame->release();
}

TEST_F(PhysicsScriptTest, AFailedCreationLeavesABodilessWrapperWhoseSettersDoNothing)
{
    ASSERT_EQ(runSnippet("::r <- SQRigidBody(\"r\"); ::r.createSphere(1.0, {x = 0, y = 0, z = 0}, 1.0, 1);"), "");
    RecordingRigidBody* kept = library("r");
    EXPECT_EQ(eval("::r.createSphere(1.0, {x = 0, y = 0, z = 0}, 1.0, 9)"), "-1");
    ASSERT_NE(rigid("r")->getRigidBody(), nullptr);
    EXPECT_EQ(rigid("r")->getRigidBody()->getBody(), nullptr);
    // The scene part still shows the body of the last successful creation.
    EXPECT_EQ(rigid("r")->getEngineObject(), kept);
    log3d.clear();
    ASSERT_EQ(runSnippet("::r.setEnableDynamics(5); ::r.setEnableCollision(1); ::r.setEnableGravity(0);"
                         "::r.setEnableControler(1); ::r.reset(); ::r.setFrictionalCoefficient(0.5);"
                         "::r.setRestitutionCoefficient(0.5); ::r.setLinearDamping(0.5); ::r.setAngularDamping(0.5);"
                         "::r.setLinearFactor(1.0, 1.0, 1.0); ::r.setAngularFactor(1.0, 1.0, 1.0);"
                         "::r.setLinearVelocity({x = 1.0, y = 0.0, z = 0.0});"
                         "::r.setAngularVelocity({x = 1.0, y = 0.0, z = 0.0}); ::r.move(1.0, 1.0, 1.0, 0, 0);"),
              "");
    EXPECT_EQ(log3d.calls(), Strings{});
    EXPECT_EQ(eval("::r.getFrictionalCoefficient()"), "0");
    ASSERT_EQ(runSnippet("::r.getLinearVelocity();"), "");
    EXPECT_EQ(results(), "0,0,0,0");

    // A body's switches reach it; dynamics as 0 or 1.
    ASSERT_EQ(runSnippet("::r.createSphere(1.0, {x = 0, y = 0, z = 0}, 1.0, 1); ::r.setEnableDynamics(5);"
                         "::r.setLinearVelocity({x = 1.0, y = 2.0});"),
              "");
    EXPECT_EQ(logged({"setEnableDynamics", "setLinearVelocity"}), Strings{"body2.setEnableDynamics(1)"});
}

TEST_F(PhysicsScriptTest, ForcesOnlyTestTheirTablesAndPositionIsMove)
{
    ASSERT_EQ(runSnippet("::r <- SQRigidBody(\"r\"); ::r.createSphere(1.0, {x = 1.0, y = 2.0, z = 3.0}, 1.0, 1);"), "");
    log3d.clear();
    ASSERT_EQ(runSnippet("::r.addForce({x = 1.0, y = 0.0, z = 0.0}, 0, 0); ::r.addForce({}, 0, 0);"
                         "::r.addForceAt({x = 1.0, y = 0.0, z = 0.0}, {x = 0.0, y = 0.0, z = 0.0}, 0, 0);"
                         "::r.addTorque({x = 1.0, y = 0.0, z = 0.0}, 0, 0);"),
              "");
    EXPECT_EQ(log3d.calls(), Strings{});
    ASSERT_EQ(runSnippet("::r.getMove(); ::m <- SQMATH_RET_1 + \",\" + SQMATH_RET_2 + \",\" + SQMATH_RET_3;"
                         "::r.getPosition(); ::p <- SQMATH_RET_1 + \",\" + SQMATH_RET_2 + \",\" + SQMATH_RET_3;"),
              "");
    EXPECT_EQ(eval("::m"), "1,2,3");
    EXPECT_EQ(eval("::p"), eval("::m"));
    ASSERT_EQ(runSnippet("::r.move(4.0, 5.0, 6.0, 100, 0);"), "");
    EXPECT_EQ(eval("::r.isMoving()"), "1");
    tick();
    rigid("r")->update();
    EXPECT_EQ(logged({"setTransform"}).size(), 1u);
}

TEST_F(PhysicsScriptTest, JointNamesMustLeadToCreatedRigidBodies)
{
    ASSERT_EQ(runSnippet("::a <- SQRigidBody(\"a\"); ::a.createSphere(1.0, {x = 0, y = 0, z = 0}, 1.0, 1);"
                         "::never <- SQRigidBody(\"never\"); ::n <- SQNull3D(\"n\"); ::c <- SQCamera(\"c\");"),
              "");
    log3d.clear();
    const char* others[] = {"never", "n", "c", "nobody", ""};
    for (const char* other : others)
    {
        SCOPED_TRACE(other);
        EXPECT_EQ(eval(Join({"::a.attachWithBallJoint(\"j\", \"", other, "\", {x = 0.0, y = 0.0, z = 0.0}, 0)"})), "-1");
        EXPECT_EQ(eval(Join({"::a.attachWith6DOFJoint(\"j\", \"", other,
                             "\", {x = 0.0, y = 0.0, z = 0.0}, {x = 0.0, y = 0.0, z = 0.0}, 0)"})),
                  "-1");
        EXPECT_EQ(eval(Join({"::never.attachWithBallJoint(\"j\", \"a\", {x = 0.0, y = 0.0, z = 0.0}, 0)"})), "-1");
        ASSERT_EQ(runSnippet(Join({"::jt <- SQJoint(\"jt\"); ::r <- ::jt.create(\"", other, "\", \"j\");"})), "");
        EXPECT_EQ(eval("::r"), "-1");
    }
    EXPECT_EQ(log3d.calls(), Strings{});
    EXPECT_EQ(eval("::a.attachWithBallJoint(\"j\", \"a\", {x = 0.0, y = 0.0}, 0)"), "-1");
    EXPECT_EQ(eval("::never.releaseJoint(\"j\")"), "-1");
    EXPECT_EQ(eval("::a.releaseJoint(\"j\")"), "0");
    // A created body that the world gives no constraint: still 0.
    worlds[0]->noCreate = true;
    EXPECT_EQ(eval("::a.attachWithBallJoint(\"j\", \"a\", {x = 0.0, y = 0.0, z = 0.0}, 7)"), "0");
    EXPECT_TRUE(rigid("a")->getRigidBody()->getJointList().empty());
}

TEST_F(PhysicsScriptTest, AJointObjectTunesTheJointItTookAndLetsItGoOnEveryCreate)
{
    jointed();
    ASSERT_EQ(runSnippet("::jt <- SQJoint(\"jt\"); ::jt.setAngularUpperLimit(1.0, 1.0, 1.0); ::jt.setERP(0.5);"
                         "::e <- ::jt.getERP();"),
              "");
    EXPECT_EQ(log3d.calls(), Strings{});
    EXPECT_EQ(eval("::e"), "0");

    EXPECT_EQ(eval("::jt.create(\"a\", \"j\")"), "0");
    EXPECT_EQ(logged({"attachToScene"}), Strings{"joint1.attachToScene(scene, 3)"});
    SQJoint* binding = object<SQJoint>("jt");
    Orvane::CJoint* joint = binding->getJoint();
    ASSERT_NE(joint, nullptr);
    EXPECT_EQ(joint->getRefCount(), 2);
    ASSERT_EQ(runSnippet("::jt.setLinearUpperLimit(1.0, 2.0, 3.0); ::jt.setAngularEnableSpring(1, 0, 1);"
                         "::jt.setERP(0.5); ::jt.setCFM(0.25); ::jt.setBreakingImpulseThreshold(9.0);"),
              "");
    EXPECT_EQ(logged({"setLinearUpperLimit", "setAngularEnableSpring", "setERP", "setCFM", "setBreakingImpulseThreshold"}),
              (Strings{"joint1.setLinearUpperLimit(1, 2, 3)", "joint1.setAngularEnableSpring(1, 0, 1)",
                       "joint1.setERP(0.5)", "joint1.setCFM(0.25)", "joint1.setBreakingImpulseThreshold(9)"}));
    EXPECT_EQ(joint->getParameters().linearUpperLimit, Vector3D(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(joint->getParameters().angularEnableSpring[2], 1);
    EXPECT_EQ(eval("::jt.setERP(1)"), "error: Incorrect function argument");

    // The getters read the library, not a stored copy.
    RecordingJoint* library = dynamic_cast<RecordingJoint*>(joint->getJoint());
    library->erp = 0.75f;
    EXPECT_EQ(eval("::jt.getERP()"), "0.75");
    EXPECT_EQ(eval("::jt.getCFM()"), "0.25");
    EXPECT_EQ(eval("::jt.getBreakingImpulseThreshold()"), "9");

    // A second create lets the first joint go; a failed one holds none, but the scene part keeps its constraint.
    ASSERT_EQ(runSnippet("::a.attachWithBallJoint(\"k\", \"b\", {x = 0.0, y = 0.0, z = 0.0}, 0);"), "");
    EXPECT_EQ(eval("::jt.create(\"a\", \"k\")"), "0");
    EXPECT_EQ(joint->getRefCount(), 1);
    EXPECT_EQ(eval("::jt.create(\"a\", \"none\")"), "-1");
    EXPECT_EQ(binding->getJoint(), nullptr);
    EXPECT_NE(binding->getEngineObject(), nullptr);
    EXPECT_EQ(eval("::jt.getERP()"), "0");
}

TEST_F(PhysicsScriptTest, ADestroyedBodyDetachesTheJointAScriptStillTunes)
{
    jointed();
    ASSERT_EQ(runSnippet("::jt <- SQJoint(\"jt\"); ::jt.create(\"a\", \"j\"); ::a = null;"), "");
    EXPECT_EQ(logged({"detach"}), Strings{"joint1.detach()"});
    ASSERT_EQ(runSnippet("::jt.setAngularLowerLimit(-1.0, -1.0, -1.0);"), "");
    EXPECT_EQ(logged({"setAngularLowerLimit"}), Strings{"joint1.setAngularLowerLimit(-1, -1, -1)"});
    ASSERT_EQ(runSnippet("::jt = null;"), "");
    EXPECT_EQ(logged({"detach"}), Strings{});
}

TEST_F(PhysicsScriptTest, AnErasedBodyOrJointShowsNothingFromTheNextFrame)
{
    jointed();
    ASSERT_EQ(runSnippet("::jt <- SQJoint(\"jt\"); ::jt.create(\"a\", \"j\");"), "");
    const auto show = [&](Orvane::CRenderingTaskObject* object) {
        object->render();
        Orvane::ISceneObject* scene = object->getSceneObject();
        if (scene->isValid() && scene->isVisible())
            scene->addToScene();
    };
    log3d.clear();
    show(rigid("a"));
    show(object<SQJoint>("jt"));
    EXPECT_EQ(logged({"addSceneNode"}), (Strings{"scene.addSceneNode(body1)", "scene.addSceneNode(joint1)"}));
    ASSERT_EQ(runSnippet("::a.setErase(1); ::jt.setErase(1);"), "");
    show(rigid("a"));
    show(object<SQJoint>("jt"));
    EXPECT_EQ(logged({"addSceneNode"}), Strings{});
    // The body stays in the simulation and keeps its timed motion.
    EXPECT_EQ(rigid("a")->update(), 0);
}

TEST_F(PhysicsScriptTest, AWorldHandleAnswersNothingBeforeInit)
{
    ASSERT_EQ(runSnippet("::p <- SQPhysics(\"p\"); ::p.getGravity();"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    EXPECT_EQ(eval("::p.isActive()"), "0");
    EXPECT_EQ(eval("(::p.rayTest(0.0, 0.0, 0.0, 0.0, -10.0, 0.0, 1)) == null"), "true");
    EXPECT_EQ(eval("(::p.sweepTest(\"nobody\", 0.0, 0.0, 0.0, 0.0, 1)) == null"), "true");
    EXPECT_EQ(eval("::p.init(7)"), "0");
    EXPECT_EQ(eval("::p.isActive()"), "0");

    EXPECT_EQ(eval("::p.init(1)"), "1");
    EXPECT_EQ(eval("::p.isActive()"), "1");
    ASSERT_EQ(runSnippet("::p.setGravity(0.0, -1.0, 0.0); ::p.setActive(0); ::p.getGravity();"), "");
    EXPECT_EQ(results(), "0,-1,0,0");
    EXPECT_EQ(logged({"setGravity", "setActive"}), (Strings{"world1.setGravity((0 -1 0))", "world1.setActive(0)"}));
    EXPECT_EQ(eval("::p.isActive()"), "0");
    // Another id lets the first world go.
    EXPECT_EQ(eval("::p.init(2)"), "1");
    EXPECT_EQ(worlds[0]->getRefCount(), 1);
}

TEST_F(PhysicsScriptTest, RayAndSweepTestsNameWhatTheyHit)
{
    ASSERT_EQ(runSnippet("::p <- SQPhysics(\"p\"); ::p.init(1); ::r <- SQRigidBody(\"ball\");"
                         "::r.createSphere(1.0, {x = 0.0, y = 0.0, z = 0.0}, 1.0, 1); ::bare <- SQRigidBody(\"bare\");"
                         "::n <- SQNull3D(\"n\");"),
              "");
    EXPECT_EQ(eval("::p.rayTest(0, 0.0, 0.0, 0.0, -10.0, 0.0, 1)"), "error: Incorrect function argument");
    log3d.clear();
    EXPECT_EQ(eval("(::p.rayTest(0.0, 5.0, 0.0, 0.0, -10.0, 0.0, 0x10001)) == null"), "true");
    EXPECT_EQ(logged({"rayTest"}), Strings{"world1.rayTest((0 5 0), (0 -10 0), 1)"});

    Kavro::PhysicsHitResult hit;
    hit.body = library("ball");
    hit.position = Vector3D(0.0f, 1.0f, 0.0f);
    hit.normal = Vector3D(0.0f, 1.0f, 0.0f);
    hit.distance = 0.25f;
    worlds[0]->rayHits.push_back(hit);
    ASSERT_EQ(runSnippet("::h <- ::p.rayTest(0.0, 5.0, 0.0, 0.0, -10.0, 0.0, 1);"
                         "::keys <- []; foreach (k, v in ::h) ::keys.append(k); ::keys.sort();"
                         "::text <- \"\"; foreach (k in ::keys) ::text += k + \" \";"),
              "");
    EXPECT_EQ(eval("::text"), "name normal position ");
    EXPECT_EQ(eval("::h.name"), "ball");
    EXPECT_EQ(eval("::h.position.y + \",\" + ::h.normal.y + \",\" + ::h.normal.x"), "1,1,0");

    // A hit body that stands for no engine body answers null.
    RecordingRigidBody* stranger = worlds[0]->bodies.front();
    hit.body = stranger;
    stranger->userPointer = nullptr;
    worlds[0]->rayHits.push_back(hit);
    EXPECT_EQ(eval("(::p.rayTest(0.0, 5.0, 0.0, 0.0, -10.0, 0.0, 1)) == null"), "true");
    stranger->userPointer = rigid("ball")->getRigidBody();

    // Sweeps: only a created rigid body with a library body can be swept.
    for (const char* name : {"nobody", "n", "bare", ""})
        EXPECT_EQ(eval(Join({"::p.sweepTest(\"", name, "\", 0.0, 0.0, 0.0, 0.1, 1)"})), "-1") << name;
    log3d.clear();
    hit.body = library("ball");
    worlds[0]->sweepHits.push_back(hit);
    ASSERT_EQ(runSnippet("::s <- ::p.sweepTest(\"ball\", 0.0, -5.0, 0.0, 0.5, 0x30002);"
                         "::keys <- []; foreach (k, v in ::s) ::keys.append(k); ::keys.sort();"
                         "::text <- \"\"; foreach (k in ::keys) ::text += k + \" \";"),
              "");
    EXPECT_EQ(logged({"sweepTest"}), Strings{"world1.sweepTest(body1, (0 -5 0), 0.5, 2)"});
    EXPECT_EQ(eval("::text"), "distance name normal position ");
    EXPECT_EQ(eval("::s.distance"), "0.25");
    EXPECT_EQ(eval("(::p.sweepTest(\"ball\", 0.0, -5.0, 0.0, 0.5, 1)) == null"), "true");
}
