// The camera script class over the recording camera: projection, placement in both modes, the per-frame
// step and which animation wins, the move delta, timers, screen size and the saved record.
#include "SceneScriptFixture.h"

#include "core/TaskObjectLinks.h"
#include "scene/Squirrel/SQCamera.h"

#include <kavro/Matrix4x4.h>

using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Orvane::Squirrel::SQCamera;
using Strings = std::vector<std::string>;

namespace
{

void expectNear(const Vector3D& actual, const Vector3D& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

uint32_t word(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

class SQCameraTest : public SceneScriptTest
{
protected:
    // A camera "cam" with a perspective; the log cleared.
    SQCamera* camera()
    {
        EXPECT_EQ(runSnippet("::c <- SQCamera(\"cam\"); ::c.create(45.0, 1.5, 1.0, 1000.0);"), "");
        log3d.clear();
        return object<SQCamera>("cam");
    }
    RecordingCamera* library() { return fake->cameras.at(0); }
    // One frame of the task's passes: the render pass applies, then the update pass steps and applies.
    void frame(SQCamera* cam)
    {
        tick();
        cam->render();
        cam->update();
    }
    // SQMATH_RET_1..3 after a vector getter.
    Vector3D resultVector(const std::string& call)
    {
        EXPECT_EQ(runSnippet(call), "");
        return {std::stof(eval("SQMATH_RET_1")), std::stof(eval("SQMATH_RET_2")), std::stof(eval("SQMATH_RET_3"))};
    }
    Vector3D position() { return resultVector("::c.getMove();"); }
};

} // namespace

TEST_F(SQCameraTest, TheClassRegistersItsMethodsAndAnswersAsACamera)
{
    EXPECT_EQ(methodCount("SQCamera"), "41");
    EXPECT_EQ(eval("SQCamera(5)"), "error: Incorrect function argument");
    SQCamera* cam = camera();
    EXPECT_TRUE(cam->isCamera());
    EXPECT_EQ(cam->getCamera(), library());
    EXPECT_EQ(Orvane::FindCamera(task, "cam"), library());
    EXPECT_EQ(log3d.calls(), Strings{});
    EXPECT_EQ(eval("::c.setTimeScale(1)"), "error: Incorrect function argument");
    // A clone owns nothing: its calls are refused and only the original lets the camera go.
    ASSERT_EQ(runSnippet("::k <- clone ::c;"), "");
    EXPECT_EQ(eval("::k.getFov()"), "error: Invalid Instance Type");
    ASSERT_EQ(runSnippet("::k = null;"), "");
    EXPECT_EQ(eval("::c.getFov()"), "45");
}

TEST_F(SQCameraTest, ProjectionsAreSentAtOnceAndOnEveryApply)
{
    ASSERT_EQ(runSnippet("::c <- SQCamera(\"cam\");"), "");
    EXPECT_EQ(eval("::c.create(45, 1.7, 1.0, 1000.0)"), "error: Incorrect function argument");
    EXPECT_EQ(logged({"setPerspective"}), Strings{});
    EXPECT_EQ(eval("::c.create(45.0, 1.7, 1.0, 1000.0)"), "0");
    EXPECT_EQ(logged({"setPerspective"}), Strings{"camera1.setPerspective(0.785398, 1.7, 1, 1000)"});
    EXPECT_EQ(eval("::c.getFov()"), "45");
    EXPECT_EQ(eval("::c.createOrtho(640.0, 360.0, 0.5, 100.0)"), "0");
    EXPECT_EQ(logged({"setOrtho"}), Strings{"camera1.setOrtho(640, 360, 0.5, 100)"});
    ASSERT_EQ(runSnippet("::c.lookAt(0.0, 0.0, 5.0);"), "");
    EXPECT_EQ(logged({"setOrtho", "setPerspective", "setLookAt", "update"}),
              (Strings{"camera1.setOrtho(640, 360, 0.5, 100)", "camera1.setLookAt((0 0 0), (0 0 1), (0 1 0))",
                       "camera1.update()"}));
}

TEST_F(SQCameraTest, PlacementFollowsTheRotationInBothModes)
{
    SQCamera* cam = camera();
    const struct
    {
        float x, y, z;
        Vector3D forward, up;
    } turns[] = {
        {0.0f, 0.0f, 0.0f, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}},
        {0.0f, 90.0f, 0.0f, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        {90.0f, 0.0f, 0.0f, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
        {0.0f, 0.0f, 90.0f, {0.0f, 0.0f, 1.0f}, {-1.0f, 0.0f, 0.0f}},
        {90.0f, 90.0f, 0.0f, {0.0f, -1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},
    };
    const Vector3D eye(1.0f, 2.0f, 3.0f), target(5.0f, 6.0f, 7.0f);
    for (int fixed : {0, 1})
        for (const auto& turn : turns)
        {
            SCOPED_TRACE(testing::Message() << "fixed " << fixed << " rotation " << turn.x << " " << turn.y << " "
                                            << turn.z);
            ASSERT_EQ(runSnippet(Join({"::c.setFixedLookAt(", std::to_string(fixed),
                                       "); ::c.move3D(1.0, 2.0, 3.0, 0, 0); ::c.lookAt(5.0, 6.0, 7.0); ::c.rotate(",
                                       std::to_string(turn.x), ", ", std::to_string(turn.y), ", ",
                                       std::to_string(turn.z), ", 0, 0);"})),
                      "");
            log3d.clear();
            frame(cam);
            const Strings ops = logged({"setPerspective", "setLookAt", "update"});
            ASSERT_EQ(ops.size(), 6u);
            EXPECT_EQ(ops[3], "camera1.setPerspective(0.785398, 1.5, 1, 1000)");
            EXPECT_EQ(ops[5], "camera1.update()");
            expectNear(library()->eye, eye);
            expectNear(library()->target, fixed ? target : eye + turn.forward);
            expectNear(library()->up, turn.up);
            expectNear(resultVector("::c.getLookAt();"), fixed ? target : eye + turn.forward);
        }
}

TEST_F(SQCameraTest, ATimelineWinsOverABezierPathWhichWinsOverAMove)
{
    SQCamera* cam = camera();
    ASSERT_EQ(runSnippet("::c.move3D(100.0, 0.0, 0.0, 100, 0);"
                         "::c.setTimeline({x = 0, y = 100.0}, {y = 10.0}, 60.0, 0, 1.0);"
                         "::c.setTimeline({x = 0.0, y = 200.0, z = 0.0}, {y = 20}, 90.0, 100, 1.0);"
                         "::c.beginTimeline(100, 0);"
                         "::c.setBezier3D(0.0, 0.0, 100.0); ::c.setBezier3D(0.0, 0.0, 200.0);"
                         "::c.setBezier3D(0.0, 0.0, 300.0); ::c.setBezier3D(0.0, 0.0, 400.0);"
                         "::c.beginBezier(100, 0);"),
              "");
    EXPECT_EQ(eval("::c.isMoving()"), "1");
    EXPECT_EQ(eval("::c.isRotating()"), "1");
    frame(cam);
    Vector3D p = position();
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_GT(p.y, 100.0f);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_GT(cam->getFov(), 60.0f);
    EXPECT_GT(resultVector("::c.getRotate();").y, 10.0f);

    ASSERT_EQ(runSnippet("::c.resetTimeline();"), "");
    frame(cam);
    p = position();
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_GT(p.z, 100.0f);

    ASSERT_EQ(runSnippet("::c.resetBezier();"), "");
    frame(cam);
    p = position();
    EXPECT_GT(p.x, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_EQ(eval("::c.isMoving()"), "1");
}

TEST_F(SQCameraTest, ATimelineWithoutKeysKeepsWhereTheCameraIs)
{
    SQCamera* cam = camera();
    ASSERT_EQ(runSnippet("::c.move3D(1.0, 2.0, 3.0, 0, 0); ::c.rotate(10.0, 0.0, 0.0, 0, 0); ::c.beginTimeline(100, 0);"),
              "");
    frame(cam);
    expectNear(position(), {1.0f, 2.0f, 3.0f});
    EXPECT_EQ(eval("::c.getFov()"), "45");
    runSnippet("::c.getRotate();");
    EXPECT_EQ(results(), "10,0,0,0");
}

TEST_F(SQCameraTest, AMoveDeltaIsOneWholeDeltaPerFrameHoweverManySettersApply)
{
    SQCamera* cam = camera();
    ASSERT_EQ(runSnippet("::c.rotate(0.0, 90.0, 0.0, 0, 0); ::c.moveDelta(0.0, 0.0, 1.0);"), "");
    expectNear(position(), {0.0f, 0.0f, 0.0f});
    for (int i = 1; i <= 3; ++i)
    {
        tick();
        cam->render();
        // A frame in which the script applies several times more.
        if (i == 2)
        {
            ASSERT_EQ(runSnippet("::c.lookAt(9.0, 9.0, 9.0); ::c.setFixedLookAt(0); ::c.resetBezier();"), "");
        }
        cam->update();
        expectNear(position(), {float(i), 0.0f, 0.0f});
    }
    // In fixed look-at mode the delta waits.
    ASSERT_EQ(runSnippet("::c.setFixedLookAt(1);"), "");
    frame(cam);
    expectNear(position(), {3.0f, 0.0f, 0.0f});
}

TEST_F(SQCameraTest, LeavingFixedModeTakesTheRotationTheLibraryCameraHas)
{
    SQCamera* cam = camera();
    ASSERT_EQ(runSnippet("::c.setFixedLookAt(1); ::c.rotate(1.0, 1.0, 1.0, 1000, 0);"), "");
    library()->matrix = Matrix4x4::GetRotationZXY(10.0f, 20.0f, 30.0f);
    ASSERT_EQ(runSnippet("::c.setFixedLookAt(0);"), "");
    expectNear(resultVector("::c.getRotate();"), {10.0f, 20.0f, 30.0f}, 1e-3f);
    EXPECT_EQ(eval("::c.isRotating()"), "0");
    EXPECT_EQ(eval("::c.isFixedLookAt()"), "0");
    // From free mode nothing is read back.
    library()->matrix = Matrix4x4();
    ASSERT_EQ(runSnippet("::c.setFixedLookAt(0);"), "");
    expectNear(resultVector("::c.getRotate();"), {10.0f, 20.0f, 30.0f}, 1e-3f);
    (void)cam;
}

TEST_F(SQCameraTest, TheScreenSizeComesFromTheLibrarysFieldOfViewAndAspect)
{
    camera();
    ASSERT_EQ(runSnippet("::c.create(90.0, 16.0 / 9.0, 1.0, 1000.0); ::c.calcScreenSize(10.0);"), "");
    EXPECT_NEAR(std::stof(eval("SQMATH_RET_1")), 35.5556f, 1e-3f);
    EXPECT_NEAR(std::stof(eval("SQMATH_RET_2")), 20.0f, 1e-3f);
    EXPECT_EQ(eval("SQMATH_RET_3 + \",\" + SQMATH_RET_4"), "0,0");
}

TEST_F(SQCameraTest, TimersSeekTheirAnimations)
{
    SQCamera* cam = camera();
    ASSERT_EQ(runSnippet("::c.move3D(100.0, 0.0, 0.0, 100, 0); ::c.setMoveTimer(50.0);"), "");
    EXPECT_EQ(eval("::c.getMoveTimer()"), "50");
    expectNear(position(), {50.0f, 0.0f, 0.0f});
    ASSERT_EQ(runSnippet("::c.setMoveTimer(500.0);"), "");
    EXPECT_EQ(eval("::c.getMoveTimer()"), "100");

    // Bezier: only a running path is sought; the placement is applied in every case.
    log3d.clear();
    ASSERT_EQ(runSnippet("::c.setBezierTimer(10.0);"), "");
    EXPECT_EQ(eval("::c.getBezierTimer()"), "0");
    EXPECT_EQ(logged({"update"}).size(), 1u);

    ASSERT_EQ(runSnippet("::c.setTimeline({x = 0.0}, {x = 0.0}, 30.0, 0, 1.0);"
                         "::c.setTimeline({x = 10.0}, {x = 20.0}, 50.0, 100, 1.0); ::c.beginTimeline(100, 0);"
                         "::c.setTimelineTimer(-5.0);"),
              "");
    EXPECT_EQ(eval("::c.getTimelineTimer()"), "0");
    expectNear(position(), {0.0f, 0.0f, 0.0f});
    ASSERT_EQ(runSnippet("::c.setTimelineTimer(1000.0);"), "");
    EXPECT_EQ(eval("::c.getTimelineTimer()"), "100");
    EXPECT_EQ(eval("::c.getShakeTimer()"), "0");
    ASSERT_EQ(runSnippet("::c.setShakeTimer(10.0);"), "");
    (void)cam;
}

TEST_F(SQCameraTest, AShakeMovesEyeAndTargetInCameraSpaceAndEnds)
{
    SQCamera* cam = camera();
    ASSERT_EQ(runSnippet("::c.setFixedLookAt(1); ::c.rotate(0.0, 90.0, 0.0, 0, 0); ::c.lookAt(0.0, 0.0, 10.0);"
                         "SQMATH_V3_1_X = 0.0; SQMATH_V3_1_Y = 0.0; SQMATH_V3_1_Z = 4.0;"
                         "SQMATH_V3_2_X = 0.0; SQMATH_V3_2_Y = 0.0; SQMATH_V3_2_Z = 4.0;"
                         "::c.shake(40, 1, 100, 0, 0);"),
              "");
    frame(cam);
    // The shake's offset runs along the camera's z, which the rotation turned onto the world's x.
    const Vector3D eye = library()->eye, look = library()->target;
    EXPECT_NE(eye.x, 0.0f);
    EXPECT_NEAR(eye.z, 0.0f, 1e-4f);
    expectNear(look - eye, Vector3D(0.0f, 0.0f, 10.0f));
    for (int i = 0; i < 10; ++i)
        frame(cam);
    EXPECT_EQ(eval("::c.getShakeTimer()"), "0");
    expectNear(library()->eye, Vector3D());
}

TEST_F(SQCameraTest, TheRecordHoldsTheShakeAndRoundTripsAtAnOffset)
{
    camera();
    ASSERT_EQ(runSnippet("::d <- SQCamera(\"copy\"); ::f <- SQFile(\"save\");"
                         "SQMATH_V3_1_X = 1.0; SQMATH_V3_1_Y = 2.0; SQMATH_V3_1_Z = 3.0;"
                         "SQMATH_V3_2_X = 0.5; SQMATH_V3_2_Y = 0.5; SQMATH_V3_2_Z = 0.5;"),
              "");
    const struct
    {
        const char* setUp;
        uint32_t kind;
    } kinds[] = {{"", 0}, {"::c.shake(50, 1, 1000, 0, 0);", 1}, {"::c.randomShake(50, 0, 1000, 2, 3);", 2}};
    for (const auto& k : kinds)
    {
        SCOPED_TRACE(k.kind);
        ASSERT_EQ(runSnippet(Join({k.setUp, "::f.open(\"a.bin\", 1, 0); ::f.writeInteger(7);",
                                   "::ok <- ::c.serialize(\"save\"); ::f.writeInteger(5);"
                                   "::f.open(\"a.bin\", 0, 0); ::f.seekStart(4); ::back <- ::d.deserialize(\"save\");"
                                   "::at <- ::f.getFilePosition(); ::after <- ::f.readInteger();"
                                   "::f.open(\"b.bin\", 1, 0); ::f.writeInteger(7); ::d.serialize(\"save\");"
                                   "::f.writeInteger(5); ::f.open(\"b.bin\", 0, 0);"})),
                  "");
        EXPECT_EQ(eval("::ok"), "1");
        EXPECT_EQ(eval("::back"), "1");
        EXPECT_EQ(eval("::after"), "5");
        const std::vector<uint8_t> a = fileBytes("a.bin");
        ASSERT_GE(a.size(), 20u);
        EXPECT_EQ(eval("::at"), std::to_string(a.size() - 4));
        EXPECT_EQ(word(a, 4), uint32_t(a.size() - 4)); // end
        EXPECT_EQ(word(a, 8), 8u);                      // tag: its own position
        EXPECT_EQ(word(a, 12), k.kind);
        if (k.kind)
        {
            EXPECT_EQ(word(a, 16), 16u);
        }
        else
        {
            EXPECT_EQ(a.size(), 20u);
        }
        EXPECT_EQ(fileBytes("b.bin"), a);
        EXPECT_EQ(eval("::d.getShakeTimer()"), eval("::c.getShakeTimer()"));
    }
    EXPECT_EQ(eval("::c.serialize(\"nofile\")"), "0");
    EXPECT_EQ(eval("::c.deserialize(\"nofile\")"), "0");
}

TEST_F(SQCameraTest, ABadRecordGivesZeroAndNeverLeavesTheReaderInside)
{
    camera();
    const auto record = [](uint32_t end, uint32_t tag, uint32_t kind) {
        return Join({"::f.writeInteger(", std::to_string(end), "); ::f.writeInteger(", std::to_string(tag),
                     "); ::f.writeInteger(", std::to_string(kind), ");"});
    };
    // A good record of an unknown kind, a bad tag, a kind-1 effect whose tag is wrong, an end past the file.
    ASSERT_EQ(runSnippet(Join({"::f <- SQFile(\"save\"); ::f.open(\"r.bin\", 1, 0); ::f.writeInteger(0);",
                               record(16, 8, 7), record(28, 99, 0), record(48, 32, 1), "::f.writeInteger(0);",
                               "::f.writeInteger(0);", record(1000, 52, 0),
                               "::f.open(\"r.bin\", 0, 0); ::f.seekStart(4);"})),
              "");
    const struct
    {
        const char* result;
        const char* position;
    } reads[] = {{"1", "16"}, {"0", "28"}, {"0", "48"}, {"0", "52"}};
    for (const auto& r : reads)
    {
        EXPECT_EQ(eval("::c.deserialize(\"save\")"), r.result);
        EXPECT_EQ(eval("::f.getFilePosition()"), r.position);
        EXPECT_EQ(eval("::c.getShakeTimer()"), "0");
    }
}

TEST_F(SQCameraTest, TheSceneCameraIsSetAndTheLibraryCameraGoesWithTheInstance)
{
    camera();
    ASSERT_EQ(runSnippet("::c.setSceneCamera();"), "");
    EXPECT_EQ(logged({"setCamera"}), Strings{"scene.setCamera(camera1)"});
    ASSERT_EQ(runSnippet("::c = null;"), "");
    EXPECT_EQ(library()->count(), 1); // the scene's reference
}

TEST_F(SQCameraTest, WithoutALibraryCameraEveryMethodIsQuiet)
{
    fake->noCamera = true;
    ASSERT_EQ(runSnippet("::c <- SQCamera(\"cam\");"), "");
    SQCamera* cam = object<SQCamera>("cam");
    log3d.clear();
    ASSERT_EQ(runSnippet("::c.create(45.0, 1.5, 1.0, 1000.0); ::c.move3D(1.0, 2.0, 3.0, 0, 0);"
                         "::c.setFixedLookAt(1); ::c.setFixedLookAt(0); ::c.moveDelta(0.0, 0.0, 1.0);"
                         "::c.setSceneCamera(); ::c.calcScreenSize(10.0);"),
              "");
    frame(cam);
    EXPECT_EQ(log3d.calls(), Strings{});
    EXPECT_EQ(results(), "0,0,0,0");
    EXPECT_FALSE(cam->getCamera());
    EXPECT_EQ(Orvane::FindCamera(task, "cam"), nullptr);
    expectNear(position(), {1.0f, 2.0f, 4.0f});
}
