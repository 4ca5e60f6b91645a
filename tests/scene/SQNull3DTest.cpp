// The null 3D node through the script host: its local matrix in its parent's scaled units, linking,
// which path drives it, and what becomes of its children when it goes.
#include "SceneScriptFixture.h"

#include "scene/Squirrel/SQNull3D.h"

#include <kavro/Matrix4x4.h>

using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Orvane::Squirrel::SQNull3D;

namespace
{

// A task object whose frame scales by two and sits at (5, 0, 0).
class ScaledObject : public Orvane::CTaskObject
{
public:
    explicit ScaledObject(const std::string& name) : CTaskObject(name)
    {
        local = Matrix4x4::GetScaling(2.0f, 2.0f, 2.0f) * Matrix4x4::GetTranslation(5.0f, 0.0f, 0.0f);
    }
    Vector3D getWorldScale() override { return {2.0f, 2.0f, 2.0f}; }
};

void expectNear(const Vector3D& actual, const Vector3D& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

class SQNull3DTest : public SceneScriptTest
{
protected:
    SQNull3D* node(const std::string& name) { return object<SQNull3D>(name); }
    Vector3D worldPosition(const std::string& name) { return node(name)->world.GetPosition(); }
    // The task's frame pass, then the node's update.
    void frame(std::initializer_list<const char*> names)
    {
        tick();
        task->updateWorldMatrix();
        for (const char* name : names)
            node(name)->update();
    }
};

} // namespace

TEST_F(SQNull3DTest, TheClassRegistersItsMethods)
{
    EXPECT_EQ(methodCount("SQNull3D"), "27");
    EXPECT_EQ(eval("SQNull3D(1.0)"), "error: Incorrect function argument");
    ASSERT_EQ(runSnippet("::n <- SQNull3D(\"n\");"), "");
    EXPECT_EQ(eval("::n.move(0, 10.0, 0.0, 0, 0)"), "error: Incorrect function argument");
    ASSERT_EQ(runSnippet("::n.setLock(3);"), "");
    EXPECT_EQ(eval("::n.getLock()"), "3");
}

TEST_F(SQNull3DTest, ACreatedNodeIsPlacedByTheNextFramePass)
{
    ASSERT_EQ(runSnippet("::n <- SQNull3D(\"n\"); ::n.move(0.0, 10.0, 0.0, 0, 0);"), "");
    // Not yet in the tree: the pass does not reach it.
    task->updateWorldMatrix();
    expectNear(worldPosition("n"), {0.0f, 0.0f, 0.0f});
    EXPECT_EQ(eval("::n.create()"), "0");
    expectNear(worldPosition("n"), {0.0f, 0.0f, 0.0f});
    task->updateWorldMatrix();
    expectNear(worldPosition("n"), {0.0f, 10.0f, 0.0f});
    ASSERT_EQ(runSnippet("::n.getMove();"), "");
    EXPECT_EQ(results(), "0,10,0,0");

    // It turns about its own origin, then sits at its position.
    ASSERT_EQ(runSnippet("::n.rotate(0.0, 0.0, 90.0, 0, 0);"), "");
    task->updateWorldMatrix();
    expectNear(worldPosition("n"), {0.0f, 10.0f, 0.0f});
    expectNear(Vector3D(1.0f, 0.0f, 0.0f).TransformNormal(node("n")->world), {0.0f, 1.0f, 0.0f});
}

TEST_F(SQNull3DTest, PositionsCountInTheParentsScaleWhichPassesOn)
{
    auto* big = new ScaledObject("big");
    big->setParent(task);
    ASSERT_EQ(runSnippet("::n <- SQNull3D(\"n\"); ::n.link(\"big\"); ::n.move(1.0, 0.0, 0.0, 0, 0);"
                         "::m <- SQNull3D(\"m\"); ::m.link(\"n\"); ::m.move(0.0, 1.0, 0.0, 0, 0);"),
              "");
    task->updateWorldMatrix();
    // (1, 0, 0) is 2 units along the parent's x before the parent's own scale and place.
    expectNear(worldPosition("n"), {9.0f, 0.0f, 0.0f});
    expectNear(node("m")->getWorldScale(), {2.0f, 2.0f, 2.0f});
    expectNear(worldPosition("m"), {9.0f, 4.0f, 0.0f});
    ASSERT_EQ(runSnippet("::n = null; ::m = null;"), "");
    big->release();
}

TEST_F(SQNull3DTest, LinkRefusesLoopsAndFallsBackToTheTaskRoot)
{
    ASSERT_EQ(runSnippet("::a <- SQNull3D(\"a\"); ::a.create(); ::b <- SQNull3D(\"b\"); ::b.link(\"a\");"
                         "::c <- SQNull3D(\"c\"); ::c.link(\"b\");"),
              "");
    EXPECT_EQ(node("c")->getParent(), node("b"));
    ASSERT_EQ(runSnippet("::a.link(\"c\"); ::b.link(\"b\");"), "");
    EXPECT_EQ(node("a")->getParent(), task);
    EXPECT_EQ(node("b")->getParent(), node("a"));
    for (const char* name : {"\"\"", "\"nobody\""})
    {
        ASSERT_EQ(runSnippet(Join({"::c.link(", name, ");"})), "");
        EXPECT_EQ(node("c")->getParent(), task);
        ASSERT_EQ(runSnippet("::c.link(\"b\");"), "");
    }
    // A chain moves with its head.
    ASSERT_EQ(runSnippet("::a.move(0.0, 0.0, 3.0, 0, 0);"), "");
    task->updateWorldMatrix();
    expectNear(worldPosition("c"), {0.0f, 0.0f, 3.0f});
}

TEST_F(SQNull3DTest, ChildrenOfADestroyedNodeHangOnUnderTheTaskRoot)
{
    ASSERT_EQ(runSnippet("::a <- SQNull3D(\"a\"); ::a.create(); ::a.move(100.0, 0.0, 0.0, 0, 0);"
                         "::b <- SQNull3D(\"b\"); ::b.link(\"a\"); ::b.move(0.0, 5.0, 0.0, 0, 0);"),
              "");
    task->updateWorldMatrix();
    expectNear(worldPosition("b"), {100.0f, 5.0f, 0.0f});
    ASSERT_EQ(runSnippet("::a = null;"), "");
    EXPECT_EQ(node("b")->getParent(), task);
    ASSERT_EQ(runSnippet("::b.move(0.0, 7.0, 0.0, 0, 0);"), "");
    task->updateWorldMatrix();
    expectNear(worldPosition("b"), {0.0f, 7.0f, 0.0f});
}

TEST_F(SQNull3DTest, TheSplineWinsOverTheBezierPathOverTheMove)
{
    ASSERT_EQ(runSnippet("::n <- SQNull3D(\"n\"); ::n.create(); ::n.move(100.0, 0.0, 0.0, 100, 0);"
                         "::n.setBezier3D(0.0, 0.0, 10.0); ::n.setBezier3D(0.0, 0.0, 20.0);"
                         "::n.setBezier3D(0.0, 0.0, 30.0); ::n.setBezier3D(0.0, 0.0, 40.0); ::n.beginBezier(100, 0);"),
              "");
    frame({"n"});
    ASSERT_EQ(runSnippet("::n.getMove();"), "");
    EXPECT_EQ(eval("SQMATH_RET_1"), "0");
    EXPECT_GT(std::stof(eval("SQMATH_RET_3")), 10.0f);

    // Starting the spline ends the Bezier path; the spline then drives the node.
    ASSERT_EQ(runSnippet("::n.setSpline(0.0, 50.0, 0.0, 0, 1.0); ::n.setSpline(0.0, 60.0, 0.0, 100, 1.0);"
                         "::n.beginSpline(100, 0);"),
              "");
    frame({"n"});
    ASSERT_EQ(runSnippet("::n.getMove();"), "");
    EXPECT_EQ(eval("SQMATH_RET_1"), "0");
    EXPECT_GT(std::stof(eval("SQMATH_RET_2")), 50.0f);
    EXPECT_EQ(eval("SQMATH_RET_3"), "0");
    EXPECT_EQ(eval("::n.isMoving()"), "1");

    // A Bezier path of three points does not start and leaves the spline running.
    ASSERT_EQ(runSnippet("::n.resetBezier(); ::n.setBezier3D(1.0, 1.0, 1.0); ::n.setBezier3D(2.0, 2.0, 2.0);"
                         "::n.setBezier3D(3.0, 3.0, 3.0); ::n.beginBezier(1000, 0);"),
              "");
    const float before = std::stof(eval("::n.getSplineTimer()"));
    frame({"n"});
    EXPECT_GT(std::stof(eval("::n.getSplineTimer()")), before);
    ASSERT_EQ(runSnippet("::n.getMove();"), "");
    EXPECT_EQ(eval("SQMATH_RET_1"), "0");
}

TEST_F(SQNull3DTest, TheTimeScaleSetsThePaceOfEveryAnimation)
{
    ASSERT_EQ(runSnippet("::n <- SQNull3D(\"n\"); ::n.create(); ::n.setTimeScale(0.5);"
                         "::n.move(100.0, 0.0, 0.0, 100, 0); ::n.rotate(100.0, 0.0, 0.0, 100, 0);"),
              "");
    frame({"n"});
    EXPECT_EQ(eval("::n.getMoveTimer()"), "10");
    EXPECT_EQ(eval("::n.getRotateTimer()"), "10");
    EXPECT_EQ(eval("::n.isRotating()"), "1");
    ASSERT_EQ(runSnippet("::n.setMoveTimer(50.0); ::n.setRotateTimer(500.0);"), "");
    ASSERT_EQ(runSnippet("::n.getMove();"), "");
    EXPECT_EQ(results(), "50,0,0,0");
    EXPECT_EQ(eval("::n.getRotateTimer()"), "100");
    ASSERT_EQ(runSnippet("::n.setBezier3D(0.0, 0.0, 0.0); ::n.setBezier3D(0.0, 0.0, 0.0);"
                         "::n.setBezier3D(0.0, 0.0, 8.0); ::n.setBezier3D(0.0, 0.0, 8.0); ::n.beginBezier(100, 0);"),
              "");
    frame({"n"});
    EXPECT_EQ(eval("::n.getBezierTimer()"), "10");
    ASSERT_EQ(runSnippet("::n.setBezierTimer(100.0); ::n.getMove();"), "");
    EXPECT_EQ(results(), "0,0,8,0");
}
