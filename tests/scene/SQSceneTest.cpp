// The scene settings script class over the recording scene: what reaches the scene each frame, the change
// groups, the enable switches against the user's settings, the light's placement, time scales.
#include "SceneEffectFixture.h"

#include "core/CAppSystemState.h"
#include "scene/Squirrel/SQScene.h"

#include <cmath>
#include <cstdio>

using namespace OrvaneTest;
using Orvane::Squirrel::SQScene;
using Strings = std::vector<std::string>;

namespace
{

class SQSceneTest : public SceneEffectFixture
{
protected:
    void SetUp() override
    {
        SceneEffectFixture::SetUp();
        ASSERT_EQ(runSnippet("::s <- SQScene(\"S\");"), "");
        scene = object<SQScene>("S");
        ASSERT_NE(scene, nullptr);
        take();
    }
    // One frame; the scene calls it made.
    Strings sceneFrame()
    {
        frame(scene);
        return take({"scene."});
    }
    std::string run(const std::string& source) { return runSnippet(source); }

    SQScene* scene = nullptr;
};

// The four calls every enabled render ends with, for the default light.
const Strings DefaultLight = {
    "scene.setRadialBlurParameter((0 0), 0)", "scene.setLightLookAt((0 0 1 1))",
    "scene.setLightPosition((0 20 1 1))", "scene.setLightColor((1 1 1 1))"};

Strings withDefaultLight(Strings groups)
{
    groups.insert(groups.end(), DefaultLight.begin(), DefaultLight.end());
    groups.push_back("scene.setLightLookAt((0 0 1 1))"); // the update step's
    return groups;
}

// The four numbers of a logged vector "name((x y z w))".
std::vector<float> numbers(const std::string& call)
{
    std::vector<float> out(4, NAN);
    const size_t open = call.find("((");
    if (open != std::string::npos)
        std::sscanf(call.c_str() + open + 2, "%f %f %f %f", &out[0], &out[1], &out[2], &out[3]);
    return out;
}

} // namespace

TEST_F(SQSceneTest, TheClassRegistersItsMethods)
{
    ASSERT_EQ(run("::names <- 0; foreach (k, v in SQScene) if (typeof v == \"function\" && k != \"constructor\") ++::names;"), "");
    EXPECT_EQ(eval("::names"), "104");
    EXPECT_EQ(eval("SQScene(5)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::s.setHDRBloom(3, 0, 0)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::s.setEnable.call(SQPointLight(\"L\"), 0)"), "error: Invalid Instance Type");
}

TEST_F(SQSceneTest, AFreshSceneHandsOnlyTheRadialBlurAndTheLightEachFrame)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sceneFrame(), withDefaultLight({})) << "frame " << i;
}

TEST_F(SQSceneTest, AChangedGroupReachesTheSceneOnceAtTheNextRender)
{
    const struct
    {
        const char* calls;
        Strings sent;
    } cases[] = {
        {"::s.setHDRBloom(3.0, 0, 0)", {"scene.setHDRParameter(1.2, 5)", "scene.setBloomParameter(3)"}},
        {"::s.setHDRBrightPassLowLimitTimer(0.0)", {"scene.setHDRParameter(1.2, 5)", "scene.setBloomParameter(1.5)"}},
        {"::s.setSoftFocusBlendPower(0.25, 0, 0)", {"scene.setSoftFocusParameter(4, 0.25)"}},
        {"::s.setDOFFar(300.0, 0, 0)", {"scene.setDOFParameter(50, 300)"}},
        {"::s.setToneMappingLightClamp(0.9, 0, 0)", {"scene.setToneMappingParameter(0.8, 0.3, 0.9)"}},
        {"::s.setToneMappingBiasTimer(1.0)", {"scene.setToneMappingParameter(0.8, 0.3, 0.4)"}},
        {"::s.setFogParameter(10.0, 20.0, 0.5, 0.25, 0.0)", {"scene.setFogParameter(10, 20, (0.5 0.25 0 1))"}},
        {"::s.setFogColorTimer(0.0)", {"scene.setFogParameter(1000, 2000, (1 1 1 1))"}},
        {"::s.moveFogNear(500.0, 0, 0)", {"scene.setFogParameter(500, 2000, (1 1 1 1))"}},
        // Several groups at once go in their fixed order.
        {"::s.setFogColor(0.0, 0.0, 0.0, 0, 0); ::s.setSoftFocusBlurPower(2.0, 0, 0)",
         {"scene.setSoftFocusParameter(2, 0.5)", "scene.setFogParameter(1000, 2000, (0 0 0 1))"}},
        // Neither the radial blur nor the light belongs to a group.
        {"::s.setRadialBlurPowerTimer(0.0); ::s.setLightColorTimer(0.0)", {}},
    };
    int n = 0;
    for (const auto& c : cases)
    {
        const std::string name = "S" + std::to_string(++n);
        ASSERT_EQ(run("::s <- SQScene(\"" + name + "\"); " + c.calls), "") << c.calls;
        scene = object<SQScene>(name);
        EXPECT_EQ(take({"scene."}), Strings{}) << c.calls << ": nothing before the render";
        EXPECT_EQ(sceneFrame(), withDefaultLight(c.sent)) << c.calls;
        EXPECT_EQ(sceneFrame(), withDefaultLight({})) << c.calls << ": handed over once";
    }
}

TEST_F(SQSceneTest, AnAnimatedGroupIsHandedOverEveryFrameItRunsAndTheDepthOfFieldStaysPositive)
{
    ASSERT_EQ(run("::s.setDOFMiddle(0.0, 500, 0)"), "");
    // The first render after the call: the value as it stands when the ease starts.
    EXPECT_EQ(sceneFrame(), withDefaultLight({"scene.setDOFParameter(50, 100)"}));
    int frames = 1;
    for (; frames < 40 && eval("::s.getDOFMiddle()") != "0.001"; ++frames)
    {
        const Strings sent = sceneFrame();
        ASSERT_EQ(sent.size(), 6u);
        EXPECT_EQ(sent[0].rfind("scene.setDOFParameter(", 0), 0u) << sent[0];
    }
    EXPECT_EQ(eval("::s.getDOFMiddle()"), "0.001");
    EXPECT_EQ(eval("::s.getDOFMiddleTimer()"), "500");
    // The step that reached the end still counts as a change; then the group rests.
    EXPECT_EQ(sceneFrame(), withDefaultLight({"scene.setDOFParameter(0.001, 100)"}));
    EXPECT_EQ(sceneFrame(), withDefaultLight({}));
    EXPECT_GE(frames, 30); // 500 ms at 16.666666 ms a frame
    EXPECT_LE(frames, 31);

    ASSERT_EQ(run("::s.setDOFFar(-5.0, 0, 0)"), "");
    EXPECT_EQ(eval("::s.getDOFFar()"), "0.001");
}

TEST_F(SQSceneTest, EnableSwitchesKeepTheChoiceAndHandTheSceneItAndTheUsersSwitch)
{
    Orvane::CAppSystemState& record = *app->systemState;
    const struct
    {
        const char* method;
        uint32_t Orvane::CAppSystemState::*choice;
        uint32_t Orvane::CAppSystemState::*user;
        const char* sceneCall;
    } switches[] = {
        {"setSoftFocusEnable", &Orvane::CAppSystemState::softFocusEnable, &Orvane::CAppSystemState::useSoftFocus,
         "scene.setSoftFocusEnable"},
        {"setHDRBloomEnable", &Orvane::CAppSystemState::hdrBloomEnable, &Orvane::CAppSystemState::useHDR,
         "scene.setHDRBloomEnable"},
        {"setToneMappingEnable", &Orvane::CAppSystemState::toneMappingEnable,
         &Orvane::CAppSystemState::useToneMapping, "scene.setToneMappingEnable"},
        {"setDOFEnable", &Orvane::CAppSystemState::dofEnable, &Orvane::CAppSystemState::useDOF,
         "scene.setDOFEnable"},
        {"setFogEnable", &Orvane::CAppSystemState::fogEnable, &Orvane::CAppSystemState::useFog,
         "scene.setFogEnable"},
    };
    const struct
    {
        int choice;
        uint32_t user;
        int sent;
    } truth[] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {2, 1, 1}};
    for (const auto& s : switches)
        for (const auto& t : truth)
        {
            record.*(s.user) = t.user;
            ASSERT_EQ(run(std::string("::s.") + s.method + "(" + std::to_string(t.choice) + ")"), "");
            const std::string expected = std::string(s.sceneCall) + "(" + std::to_string(t.sent) + ")";
            EXPECT_EQ(take({"scene."}), Strings{expected}) << s.method << " choice " << t.choice << " user " << t.user;
            EXPECT_EQ(record.*(s.choice), uint32_t(t.choice)) << s.method;
        }
}

TEST_F(SQSceneTest, WhileDisabledOnlyTheLookAtIsSentAndChangesWaitForTheFirstEnabledRender)
{
    ASSERT_EQ(run("::s.setEnable(0); ::s.setHDRBloom(3.0, 0, 0); ::s.moveLightLookAt(1.0, 2.0, 3.0, 0, 0)"), "");
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(sceneFrame(), Strings{"scene.setLightLookAt((1 2 3 1))"});
    ASSERT_EQ(run("::s.setEnable(1)"), "");
    EXPECT_EQ(sceneFrame(), (Strings{"scene.setHDRParameter(1.2, 5)", "scene.setBloomParameter(3)",
                                     "scene.setRadialBlurParameter((0 0), 0)", "scene.setLightLookAt((1 2 3 1))",
                                     "scene.setLightPosition((1 22 3 1))", "scene.setLightColor((1 1 1 1))",
                                     "scene.setLightLookAt((1 2 3 1))"}));
}

TEST_F(SQSceneTest, TheLightPositionTurnsTheLightTowardThePointAtItsDistance)
{
    const struct
    {
        const char* what;
        const char* point;
        float expected[3]; // the light's offset from the look-at point
    } cases[] = {
        {"a side point", "5.0, 2.0, 0.0", {20.0f, 0.0f, 0.0f}},
        {"a slanted point", "3.0, 2.0, 4.0", {12.0f, 0.0f, 16.0f}},
        {"straight above", "0.0, 9.0, 0.0", {0.0f, 20.0f, 0.0f}},
        {"straight below", "0.0, -4.0, 0.0", {0.0f, -20.0f, 0.0f}},
        {"a hair off straight above", "0.000000000000000000000000000001, 7.0, 0.0", {0.0f, 20.0f, 0.0f}},
        // The look-at point itself has no direction: the slanted light set before stays.
        {"the look-at point", "0.0, 2.0, 0.0", {12.0f, 0.0f, 16.0f}},
    };
    ASSERT_EQ(run("::s.setLightLookAt(0.0, 2.0, 0.0)"), "");
    for (const auto& c : cases)
    {
        if (std::string(c.what) == "the look-at point")
        {
            ASSERT_EQ(run("::s.setLightPosition(3.0, 2.0, 4.0)"), "");
        }
        ASSERT_EQ(run(std::string("::s.setLightPosition(") + c.point + ")"), "") << c.what;
        Strings sent = sceneFrame();
        ASSERT_EQ(sent.size(), 5u);
        const std::vector<float> p = numbers(sent[2]);
        EXPECT_NEAR(p[0], c.expected[0], 1e-3f) << c.what << ": " << sent[2];
        EXPECT_NEAR(p[1] - 2.0f, c.expected[1], 1e-3f) << c.what << ": " << sent[2];
        EXPECT_NEAR(p[2], c.expected[2], 1e-3f) << c.what << ": " << sent[2];
        EXPECT_EQ(p[3], 1.0f);
        ASSERT_EQ(run("::s.getRotateLight()"), "");
        for (const char* component : {"SQMATH_RET_1", "SQMATH_RET_2", "SQMATH_RET_3"})
            EXPECT_NE(eval(component).find_first_of("0123456789"), std::string::npos)
                << c.what << " " << component << " = " << eval(component);
    }
}

TEST_F(SQSceneTest, TimeScalesReachTheirOwnInterpolators)
{
    const struct
    {
        const char* call;
        const char* effect; // the bloom after one frame of a 100 ms ease from 1.5 to 2.5
        const char* light;  // the light's red after one frame of a 100 ms ease from 1.0 to 0.0
    } cases[] = {
        {"::s.setTimeScale(2.0)", "1.83333", "0.666667"},
        {"::s.setEffectTimeScale(2.0)", "1.83333", "0.833333"},
        {"::s.setLightTimeScale(2.0)", "1.66667", "0.666667"},
    };
    app->frameTimeCap = 83.333336f; // lets a doubled frame through
    int n = 0;
    for (const auto& c : cases)
    {
        const std::string name = "T" + std::to_string(++n);
        // Curve 61 names no curve: linear.
        ASSERT_EQ(run("::s <- SQScene(\"" + name + "\"); " + c.call +
                      "; ::s.setHDRBloom(2.5, 100, 61); ::s.setLightColor(0.0, 1.0, 1.0, 100, 0)"),
                  "");
        frame(object<SQScene>(name));
        EXPECT_EQ(eval("::s.getHDRBloom()"), c.effect) << c.call;
        ASSERT_EQ(run("::s.getLightColor()"), "");
        EXPECT_EQ(eval("SQMATH_RET_1"), c.light) << c.call;
    }
}

TEST_F(SQSceneTest, DirectSettersReachTheSceneAtOnceAndLeaveTheAnimationsAlone)
{
    const struct
    {
        const char* call;
        Strings sent;
    } cases[] = {
        {"setHDRParameter(2.0, 3.0)", {"scene.setHDRParameter(2, 3)"}},
        {"setBloomParameter(4.0)", {"scene.setBloomParameter(4)"}},
        {"setDOFParameter(7.0, 8.0)", {"scene.setDOFParameter(7, 8)"}},
        {"setToneMappingParameter(0.1, 0.2, 0.3)", {"scene.setToneMappingParameter(0.1, 0.2, 0.3)"}},
        {"setSoftFocusParameter(1.0, 2.0)", {"scene.setSoftFocusParameter(1, 2)"}},
        {"setRadialBlurParameter(10.0, 20.0, 0.5)", {"scene.setRadialBlurParameter((10 20), 0.5)"}},
        {"setSoftParticleLength(3.5)", {"scene.setSoftParticleLength(3.5)"}},
        {"setKeepSubstanceRenderingResult(2)", {"scene.setKeepSubstanceRenderingResult(2)"}},
        {"setShadowMapOffsetRotate(1.0, 2.0, 3.0)", {"scene.setShadowMapOffsetRotate(1, 2, 3)"}},
        {"setProjectionShadowOffsetRotate(4.0, 5.0, 6.0)", {"scene.setProjectionShadowOffsetRotate(4, 5, 6)"}},
        {"setSceneStateShadow(1, -2, 3)", {"scene.setSceneStateShadow(1, -2, 3)"}},
        {"setShadowMapDistance(1.0)", {}},
        {"setShadowMapFov(1.0)", {}},
        {"setProjectionShadowFov(1.0)", {}},
        {"setShadowMapFarClip(1.0)", {}},
        {"setShadowMapNearClip(1.0)", {}},
        {"setProjectionShadowFarClip(1.0)", {}},
        {"setProjectionShadowNearClip(1.0)", {}},
        {"setShadowMapCenterPosition(1.0, 2.0, 3.0)", {}},
        {"setShadowMapCenterBone(\"a\", \"b\")", {}},
        {"setProjectionShadowCenterBone(\"a\", \"b\")", {}},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(run(std::string("::s.") + c.call), "") << c.call;
        EXPECT_EQ(take({"scene."}), c.sent) << c.call;
        EXPECT_EQ(sceneFrame(), withDefaultLight({})) << c.call;
    }
    EXPECT_EQ(eval("::s.getHDRBrightPassLowLimit()"), "1.2");
    EXPECT_EQ(eval("::s.getRadialBlurPower()"), "0");
}

TEST_F(SQSceneTest, RadialBlurCentreJumpsPowerAnimatesAndConversionsFillTheResults)
{
    ASSERT_EQ(run("::s.setRadialBlur(64.0, 32.0, 1.0, 100, 0)"), "");
    EXPECT_EQ(eval("typeof ::s.getRadialBlurCenter()"), "null");
    EXPECT_EQ(results(), "64,32,0,0");
    const Strings sent = sceneFrame();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "scene.setRadialBlurParameter((64 32), 0)");
    EXPECT_EQ(sceneFrame()[0], "scene.setRadialBlurParameter((64 32), 0.166667)");

    auto* recording = core->render->recordingScene();
    recording->screenToWorld = {1.0f, 2.0f, 3.0f};
    recording->worldToScreen = {640.0f, 360.0f, 0.5f};
    ASSERT_EQ(run("::s.transformFromScreenToWorld(10.0, 20.0, 0.5)"), "");
    EXPECT_EQ(results(), "1,2,3,0");
    ASSERT_EQ(run("::s.transformFromWorldToScreen(1.0, 2.0, 3.0)"), "");
    EXPECT_EQ(results(), "640,360,0.5,0");
    EXPECT_EQ(take({"scene.transform"}), (Strings{"scene.transformFromScreenToWorld((10 20 0.5))",
                                                  "scene.transformFromWorldToScreen((1 2 3))"}));
}
