// Point lights through their script class over the recording 3D fakes: creation, what each render hands the
// scene light, the spline against move, the holder at the capture, calls before create, failures, leaks.
#include "SceneEffectFixture.h"

#include "scene/Squirrel/SQPointLight.h"

using namespace OrvaneTest;
using Orvane::Squirrel::SQPointLight;
using Strings = std::vector<std::string>;

namespace
{

class SQPointLightTest : public SceneEffectFixture
{
protected:
    // "L" created at (0, 10, 0) facing the origin, with its first render done.
    SQPointLight* created()
    {
        EXPECT_EQ(runSnippet("::l <- SQPointLight(\"L\"); ::l.create(0.0, 10.0, 0.0, 0.0, 0.0, 0.0);"), "");
        SQPointLight* light = object<SQPointLight>("L");
        frame(light);
        take();
        return light;
    }
    Strings lightFrame(SQPointLight* light)
    {
        frame(light);
        return take({"sceneLight"});
    }
};

} // namespace

TEST_F(SQPointLightTest, TheClassRegistersItsMethods)
{
    ASSERT_EQ(runSnippet("::names <- 0; foreach (k, v in SQPointLight) if (typeof v == \"function\" && k != \"constructor\") ++::names;"), "");
    EXPECT_EQ(eval("::names"), "51");
    EXPECT_EQ(eval("SQPointLight(1)"), "error: Incorrect function argument");
    ASSERT_EQ(runSnippet("::l <- SQPointLight(\"L\")"), "");
    EXPECT_EQ(eval("::l.setPower(1, 0, 0)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::l.setTimeScale(1)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::l.serialize(\"f\")"), "error: the index 'serialize' does not exist");
}

TEST_F(SQPointLightTest, CreateMakesTheLightFacingTheScriptsPointAndTheFirstRenderHandsTheCreatedLight)
{
    ASSERT_EQ(runSnippet("::l <- SQPointLight(\"L\")"), "");
    EXPECT_EQ(eval("::l.create(0.0, 10.0, 0.0, 0.0, 0.0, 0.0)"), "0");
    EXPECT_EQ(take(), (Strings{"device.createPointLight()", "scene.createScenePointLight(pointLight1)",
                               "sceneLight1.initialize((0 10 0), 1, (1 1 1 1), 1, 0.5, 0.75)",
                               "sceneLight1.setRange(180)", "sceneLight1.setLookAt((0 8 0))",
                               "sceneLight1.setLookAt((0 0 0))"}));
    SQPointLight* light = object<SQPointLight>("L");
    EXPECT_EQ(lightFrame(light), (Strings{"sceneLight1.setPosition((0 10 0))", "sceneLight1.setColor((1 1 1 1))",
                                          "sceneLight1.setPower(1)", "sceneLight1.setRotate((0 0 0))",
                                          "sceneLight1.setSize(1)", "sceneLight1.setRange(180)"}));
    EXPECT_EQ(lightFrame(light), Strings{});
    EXPECT_EQ(eval("::l.getSize()"), "1");
    EXPECT_EQ(eval("::l.getRange()"), "180");
    ASSERT_EQ(runSnippet("::l.getColor()"), "");
    EXPECT_EQ(results(), "1,1,1,1");
    ASSERT_EQ(runSnippet("::l.getLookAt()"), "");
    EXPECT_EQ(results(), "0,0,0,0");
}

TEST_F(SQPointLightTest, TheEngineLightTakesALookAtOfMinus2000AsStraightDown)
{
    auto* light = new Orvane::CPointLight("engine");
    light->leaveTaskLists();
    EXPECT_EQ(light->create({3.0f, 4.0f, 5.0f}, 1.0f, {1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 0.5f, 0.75f, 180.0f,
                            {0.0f, -2000.0f, 0.0f}),
              0);
    EXPECT_EQ(light->create({3.0f, 4.0f, 5.0f}, 1.0f, {1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 0.5f, 0.75f, 180.0f,
                            {0.0f, -2000.0f, 0.5f}),
              0);
    EXPECT_EQ(take({"sceneLight1.setLookAt", "sceneLight2.setLookAt", "release"}),
              (Strings{"sceneLight1.setLookAt((3 2 5))", "sceneLight2.setLookAt((0 -2000 0.5))"}));
    EXPECT_EQ(fake->sceneLights[0]->count(), 0) << "a second create lets the first light go";
    EXPECT_EQ(fake->pointLights[0]->count(), 0);
    light->release();
}

TEST_F(SQPointLightTest, OnlyChangedValuesAreHandedOverInTheirFixedOrder)
{
    SQPointLight* light = created();
    ASSERT_EQ(runSnippet("::l.setRange(100.0, 0, 0); ::l.setColor(0.5, 0.25, 1.0, 0, 0); ::l.move(1.0, 2.0, 3.0, 0, 0)"), "");
    EXPECT_EQ(lightFrame(light), (Strings{"sceneLight1.setPosition((1 2 3))", "sceneLight1.setColor((0.5 0.25 1 1))",
                                          "sceneLight1.setRange(100)"}));
    EXPECT_EQ(eval("::l.getRange()"), "100");

    const struct
    {
        const char* call;
        Strings sent;
    } timers[] = {
        {"::l.setMoveTimer(0.0)", {"sceneLight1.setPosition((1 2 3))"}},
        {"::l.setRotateTimer(0.0)", {"sceneLight1.setRotate((0 0 0))"}},
        {"::l.setColorTimer(0.0)", {"sceneLight1.setColor((0.5 0.25 1 1))"}},
        {"::l.setPowerTimer(0.0)", {"sceneLight1.setPower(1)"}},
        {"::l.setSizeTimer(0.0)", {"sceneLight1.setSize(1)"}},
        {"::l.setRangeTimer(0.0)", {"sceneLight1.setRange(100)"}},
        // Before beginSpline there is no path to stand on.
        {"::l.setSpline(9.0, 9.0, 9.0, 0, 1.0); ::l.setSplineTimer(5.0)", {}},
    };
    for (const auto& t : timers)
    {
        ASSERT_EQ(runSnippet(t.call), "") << t.call;
        EXPECT_EQ(lightFrame(light), t.sent) << t.call;
    }
}

TEST_F(SQPointLightTest, ARunningSplineWinsOverMove)
{
    SQPointLight* light = created();
    // Curve 61 names no curve: linear.
    ASSERT_EQ(runSnippet("::l.setSpline(0.0, 0.0, 0.0, 0, 1.0); ::l.setSpline(10.0, 0.0, 0.0, 1000, 1.0);"
                         "::l.beginSpline(1000, 0); ::l.move(100.0, 0.0, 0.0, 1000, 0); ::l.setPower(2.0, 1000, 61)"),
              "");
    EXPECT_EQ(lightFrame(light), (Strings{"sceneLight1.setPosition((0 0 0))", "sceneLight1.setPower(1)"}));
    for (int i = 0; i < 5; ++i)
    {
        const Strings sent = lightFrame(light);
        ASSERT_EQ(sent.size(), 2u);
        ASSERT_EQ(runSnippet("::l.getMove()"), "");
        const float x = std::stof(eval("SQMATH_RET_1"));
        EXPECT_GT(x, 0.0f);
        EXPECT_LE(x, 1.001f) << "the spline's point, not move's";
        EXPECT_EQ(eval("::l.isMoving()"), "1");
    }
    EXPECT_NE(eval("::l.getSplineTimer()"), "0");
    EXPECT_EQ(eval("::l.getPowerTimer()"), eval("::l.getMoveTimer()"));
    EXPECT_EQ(eval("::l.getPower()"), "1.1");
}

TEST_F(SQPointLightTest, TheHolderGivesTheLightToTheCaptureOnlyWhileNotErased)
{
    SQPointLight* light = created();
    capture(light);
    EXPECT_EQ(take({"scene.addSceneNode"}), Strings{"scene.addSceneNode(sceneLight1)"});

    ASSERT_EQ(runSnippet("::l.setErase(1); ::l.setPower(3.0, 100, 0)"), "");
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(lightFrame(light), Strings{});
        capture(light);
        EXPECT_EQ(take({"scene.addSceneNode"}), Strings{});
    }
    EXPECT_NE(eval("::l.getPower()"), "1") << "the animations go on";
    ASSERT_EQ(runSnippet("::l.setErase(0)"), "");
    frame(light);
    capture(light);
    const Strings sent = take({"sceneLight1.setPower", "scene.addSceneNode"});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].rfind("sceneLight1.setPower(", 0), 0u);
    EXPECT_EQ(sent[1], "scene.addSceneNode(sceneLight1)");
}

TEST_F(SQPointLightTest, CallsBeforeCreateAreSafeAndAnswerZero)
{
    ASSERT_EQ(runSnippet("::l <- SQPointLight(\"L\"); ::l.setEnable(0); ::l.setNearAttenuation(0.1);"
                         "::l.setFarAttenuation(0.2); ::l.setLookAt(1.0, 2.0, 3.0); ::l.move(1.0, 1.0, 1.0, 100, 0)"),
              "");
    EXPECT_EQ(eval("::l.getEnable()"), "0");
    EXPECT_EQ(eval("::l.getNearAttenuation()"), "0");
    EXPECT_EQ(eval("::l.getFarAttenuation()"), "0");
    ASSERT_EQ(runSnippet("::l.getLookAt()"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    SQPointLight* light = object<SQPointLight>("L");
    EXPECT_EQ(light->getEngineObject()->update(), -1);
    EXPECT_EQ(light->getEngineObject()->render(), -1);
    EXPECT_EQ(light->getEngineObject()->draw(), -1);
    frame(light);
    capture(light);
    EXPECT_EQ(take(), Strings{});
}

TEST_F(SQPointLightTest, AFailedCreateHoldsNothingAndLeaksNothing)
{
    SQPointLight* light = created();
    fake->noScenePointLight = true;
    EXPECT_EQ(eval("::l.create(1.0, 1.0, 1.0, 0.0, 0.0, 0.0)"), "-1");
    EXPECT_EQ(fake->sceneLights[0]->count(), 0);
    EXPECT_EQ(fake->pointLights[1]->count(), 0);
    EXPECT_EQ(light->getSceneObject()->isValid(), 0);
    frame(light);
    EXPECT_EQ(take({"sceneLight"}), Strings{});
    fake->noScenePointLight = false;
    fake->noPointLight = true;
    EXPECT_EQ(eval("::l.create(1.0, 1.0, 1.0, 0.0, 0.0, 0.0)"), "-1");
    EXPECT_EQ(eval("::l.getEnable()"), "0");
}

TEST_F(SQPointLightTest, TheTimeScaleReachesEveryAnimationAndThePath)
{
    SQPointLight* light = created();
    app->frameTimeCap = 83.333336f;
    ASSERT_EQ(runSnippet("::l.setTimeScale(2.0); ::l.setSpline(0.0, 0.0, 0.0, 0, 1.0);"
                         "::l.setSpline(10.0, 0.0, 0.0, 1000, 1.0); ::l.beginSpline(1000, 0);"
                         "::l.rotate(90.0, 0.0, 0.0, 1000, 0); ::l.setColor(0.0, 0.0, 0.0, 1000, 0);"
                         "::l.setPower(0.0, 1000, 0); ::l.setSize(0.0, 1000, 0); ::l.setRange(0.0, 1000, 0)"),
              "");
    frame(light);
    for (const char* timer : {"getSplineTimer", "getRotateTimer", "getColorTimer", "getPowerTimer", "getSizeTimer",
                              "getRangeTimer"})
        EXPECT_EQ(eval(std::string("::l.") + timer + "()"), "33.3333") << timer;
}
