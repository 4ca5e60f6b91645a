// The bone script class over the recording 3D and physics fakes: finding a model's frame by name, reading
// its placement, its children, and binding rigid bodies to it.
#include "SceneScriptFixture.h"

#include "scene/Squirrel/SQBone.h"

#include "support/FakePhysics.h"

#include <cstdio>
#include <cstring>

using namespace OrvaneTest;
using Kavro::Matrix4x4;

namespace
{

Matrix4x4 placed(const Matrix4x4& m, float x, float y, float z)
{
    Matrix4x4 out = m;
    out._41 = x, out._42 = y, out._43 = z;
    return out;
}

class SQBoneTest : public SceneScriptTest
{
protected:
    void SetUp() override
    {
        SceneScriptTest::SetUp();
        FakeFrameSpec arm{"arm", {}, placed(Matrix4x4::GetScaling(2, 2, 2) * Matrix4x4::GetRotationY(90), 1, 2, 3), {}, {}};
        FakeFrameSpec mirrored{"mirrored", {}, Matrix4x4::GetScaling(1, 1, -1), {}, {}};
        FakeFrameSpec hip{"hip", {}, {}, {}, {arm, mirrored}};
        fake->models["m.mdl"].frames = {hip};
        world = new FakePhysicsWorld(log3d, "world1", fake.get());
        app->physicsWorlds[1] = world;
        ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\"); ::b <- SQBone(\"b\");"), "");
    }
    void TearDown() override
    {
        host.reset();
        world->release();
        app->physicsWorlds.clear();
        SceneScriptTest::TearDown();
    }
    // The x, y, z a vector method leaves in the result variables (7, 7, 7 before the call).
    Kavro::Vector3D vector(const std::string& call)
    {
        const std::string text =
            eval("(function() { ::SQMATH_RET_1 = 7.0; ::SQMATH_RET_2 = 7.0; ::SQMATH_RET_3 = 7.0; " + call +
                 "; return format(\"%f %f %f\", SQMATH_RET_1, SQMATH_RET_2, SQMATH_RET_3); })()");
        Kavro::Vector3D v;
        EXPECT_EQ(std::sscanf(text.c_str(), "%f %f %f", &v.x, &v.y, &v.z), 3) << call << ": " << text;
        return v;
    }
    void expectVector(const std::string& call, const Kavro::Vector3D& expected)
    {
        const Kavro::Vector3D v = vector(call);
        EXPECT_NEAR(v.x, expected.x, 1e-4f) << call;
        EXPECT_NEAR(v.y, expected.y, 1e-4f) << call;
        EXPECT_NEAR(v.z, expected.z, 1e-4f) << call;
    }
    Kavro::ISceneFrame* frame(const char* name)
    {
        return fake->resources.at(0)->findFrame(name);
    }

    FakePhysicsWorld* world;
};

} // namespace

TEST_F(SQBoneTest, TheClassRegistersItsMethods)
{
    EXPECT_EQ(methodCount("SQBone"), "14");
    EXPECT_EQ(eval("SQBone(1)"), "error: Incorrect function argument");
}

TEST_F(SQBoneTest, CreateFindsTheFrameThroughANamedModelAndHoldsIt)
{
    ASSERT_EQ(runSnippet("::p <- SQPhysics(\"p\");"), "");
    struct Case
    {
        const char* call;
        const char* result;
    };
    const Case refused[] = {
        {"::b.create(\"\", \"arm\")", "-1"},      {"::b.create(\"nobody\", \"arm\")", "-1"},
        {"::b.create(\"p\", \"arm\")", "-1"},     // not a model
        {"::b.create(\"m\", \"tail\")", "-1"},    {"::b.create(\"m\", \"\")", "-1"},
        {"::b.create(null, \"arm\")", "error: Incorrect function argument"},
    };
    for (const Case& c : refused)
        EXPECT_EQ(eval(c.call), c.result) << c.call;

    Kavro::ISceneFrame* arm = frame("arm");
    const int owned = arm->getRefCount();
    EXPECT_EQ(eval("::b.create(\"m\", \"arm\")"), "0");
    EXPECT_EQ(arm->getRefCount(), owned + 1);
    EXPECT_EQ(eval("::b.create(\"m\", \"hip\")"), "0");
    EXPECT_EQ(arm->getRefCount(), owned) << "a second create lets the first frame go";
    EXPECT_EQ(eval("::b.create(\"m\", \"tail\")"), "-1");
    EXPECT_EQ(frame("hip")->getRefCount(), owned) << "a failed create holds no frame";
    EXPECT_EQ(eval("::b.getChildNum()"), "0");
}

TEST_F(SQBoneTest, GettersSplitTheFramesWorldMatrix)
{
    ASSERT_EQ(eval("::b.create(\"m\", \"arm\")"), "0");
    expectVector("::b.getPosition()", {1, 2, 3});
    expectVector("::b.getRotate()", {0, 90, 0});
    expectVector("::b.getRight()", {0, 0, -1});
    expectVector("::b.getUp()", {0, 1, 0});
    expectVector("::b.getFront()", {1, 0, 0});
    // A mirrored frame's front row points back; the front its right and up imply is answered.
    ASSERT_EQ(eval("::b.create(\"m\", \"mirrored\")"), "0");
    expectVector("::b.getFront()", {0, 0, 1});
    expectVector("::b.getRight()", {1, 0, 0});
}

TEST_F(SQBoneTest, ChildrenAreListedByIndex)
{
    ASSERT_EQ(eval("::b.create(\"m\", \"hip\")"), "0");
    EXPECT_EQ(eval("::b.getChildNum()"), "2");
    EXPECT_EQ(eval("::b.getChildName(1)"), "mirrored");
    EXPECT_EQ(eval("::b.getChildName(::b.getChildNum())"), "");
    EXPECT_EQ(eval("::b.getChildName(-1)"), "");
}

TEST_F(SQBoneTest, ABoneWithoutAFrameWritesNothingAndAnswersNothing)
{
    for (const char* call : {"::b.getPosition()", "::b.getRotate()", "::b.getUp()", "::b.getRight()", "::b.getFront()"})
        expectVector(call, {7, 7, 7});
    EXPECT_EQ(eval("::b.getChildNum()"), "0");
    EXPECT_EQ(eval("::b.getChildName(0)"), "");
    EXPECT_EQ(eval("::b.attachRigidBody(\"ball\", 1, 0, 0)"), "-1");
    EXPECT_EQ(runSnippet("::b.detachRigidBody();"), "");
}

TEST_F(SQBoneTest, AttachedBodiesCarryTheirFlagsAsZeroOrOneIntoAnExport)
{
    ASSERT_EQ(runSnippet("::ball <- SQRigidBody(\"ball\"); ::ball.createSphere(1.0, {x = 0, y = 0, z = 0}, 0.5, 1);"
                         "::lost <- SQRigidBody(\"lost\"); ::lost.createSphere(1.0, {x = 0, y = 0, z = 0}, 0.5, 9);"
                         "::p <- SQPhysics(\"p\");"),
              "");
    ASSERT_EQ(eval("::b.create(\"m\", \"hip\")"), "0");
    // Only a created rigid body with a library body can be bound.
    for (const char* name : {"p", "lost", "nobody", ""})
        EXPECT_EQ(eval(Join({"::b.attachRigidBody(\"", name, "\", 1, 1, 1)"})), "-1") << name;
    EXPECT_EQ(eval("::b.attachRigidBody(\"ball\", 5, 0, -3)"), "0");
    EXPECT_EQ(eval("::m.exportPhysicsSetting(\"hip\", \"bone.phys\")"), "0");
    const std::vector<uint8_t> file = fileBytes("bone.phys");
    ASSERT_EQ(file.size(), 40u + 376u + 4u);
    uint32_t flags[3];
    std::memcpy(flags, file.data() + 40 + 344, sizeof flags);
    EXPECT_EQ(flags[0], 1u);
    EXPECT_EQ(flags[1], 0u);
    EXPECT_EQ(flags[2], 1u);

    ASSERT_EQ(runSnippet("::b.detachRigidBody();"), "");
    EXPECT_EQ(frame("hip")->getRigidBody(), nullptr);
}
