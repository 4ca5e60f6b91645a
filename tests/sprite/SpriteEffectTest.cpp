#include "core/CTextureWacher.h"
#include "sprite/CNullSprite.h"
#include "sprite/CSprite.h"
#include "sprite/CTransitionCallback.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;
using Kavro::Vector3D;

namespace
{

constexpr float FrameMs = 16.666666f;

// Effects of sprites over the recording device, in a task on top of the stack; frames of one 60th second.
class SpriteEffectTest : public ::testing::Test
{
protected:
    SpriteEffectTest() : task(t.push(new TestTask(taskLog, "effects")))
    {
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = FrameMs;
    }
    ~SpriteEffectTest() override
    {
        for (CObject* object : owned)
            object->release();
        texture->release();
    }

    // A created textured sprite over a 64 x 32 texture, its creation frames already rendered.
    CSprite* sprite()
    {
        const int32_t rect[4] = {0, 0, 64, 32};
        auto* s = keep(new CSprite(texture, {10.0f, 20.0f}, rect));
        EXPECT_EQ(s->create(), 0);
        renderFrame(s);
        renderFrame(s);
        return s;
    }
    // A colour sprite: it has a colour quad but no textured quad.
    CSprite* colourSprite()
    {
        const int32_t rect[4] = {0, 0, 64, 32};
        auto* s = keep(new CSprite(Vector2D(10.0f, 20.0f), rect));
        const uint8_t white[4] = {255, 255, 255, 255};
        EXPECT_EQ(s->createColorTexture(white), 0);
        renderFrame(s);
        renderFrame(s);
        return s;
    }
    template <typename T> T* keep(T* object)
    {
        owned.push_back(object);
        return object;
    }
    static RecordingSpriteQuad* quadOf(CSprite* s) { return static_cast<RecordingSpriteQuad*>(s->sceneSprite); }
    // The quad calls of one render, without the geometry the render recomputes.
    std::vector<std::string> renderFrame(CSprite* s)
    {
        log().clear();
        s->updateWorldMatrix();
        s->render();
        std::vector<std::string> out;
        for (const std::string& call : log().calls())
        {
            const std::string name = call.substr(0, call.find('('));
            if (name != "quad.setUVOffset" && name != "quad.setFilter" && name != "quad.begin" &&
                name != "quad.addQuad" && name != "quad.end")
                out.push_back(call);
        }
        return out;
    }
    // The calls a setter makes at once.
    std::vector<std::string> callsOf(const std::function<void()>& setter)
    {
        log().clear();
        setter();
        return log().calls();
    }
    void frame(CSprite* s)
    {
        t.core->milliTime += 16;
        s->update();
    }
    CallLog& log() { return t.core->log; }

    TaskTestApp t;
    CallLog taskLog;
    TestTask* task;
    FakeTexture* texture = new FakeTexture("cg/a.png", 64, 32);
    std::vector<CObject*> owned;
};

using Calls = std::vector<std::string>;

TEST_F(SpriteEffectTest, EachEffectReachesTheQuadAtTheNextRenderInItsGroup)
{
    struct Case
    {
        const char* what;
        std::function<void(CSprite*)> set;
        Calls atOnce, atRender;
    } cases[] = {
        {"hue", [](CSprite* s) { s->setColorHue(90.0f, 0.0f, 0); }, {}, {"quad.setColorHue(90)", "quad.apply()"}},
        {"saturation", [](CSprite* s) { s->setColorSaturation(-0.5f, 0.0f, 0); }, {},
         {"quad.setColorSaturation(-0.5)", "quad.apply()"}},
        {"brightness", [](CSprite* s) { s->setColorBrightness(0.25f, 0.0f, 0); }, {},
         {"quad.setColorBrightness(0.25)", "quad.apply()"}},
        {"glow", [](CSprite* s) { s->setColorGlow(0.75f, 0.0f, 0); }, {}, {"quad.setColorGlow(0.75)", "quad.apply()"}},
        {"negaposi", [](CSprite* s) { s->setNegaposiPower(1.0f, 0.0f, 0); }, {},
         {"quad.setNegaposiPower(1)", "quad.apply()"}},
        {"monochrome", [](CSprite* s) { s->setMonochromePower(0.5f, 0.0f, 0); }, {},
         {"quad.setMonochromePower(0.5)", "quad.apply()"}},
        {"shading power, clamped, not applied", [](CSprite* s) { s->setShadingPower(1.5f, 0.0f, 0); }, {},
         {"quad.setShadingPower(1)"}},
        {"negative shading power", [](CSprite* s) { s->setShadingPower(-0.5f, 0.0f, 0); }, {},
         {"quad.setShadingPower(0)"}},
        {"shading parameter, at once", [](CSprite* s) { s->setShadingParameter(3, 0.25f); },
         {"quad.setShadingParameter(3, 0.25)", "quad.apply()"}, {}},
        {"colour level, duration 0: at once and again at the render",
         [](CSprite* s) { s->setColorLevel(0.25f, 0.75f, 2.0f, 0.0f, 0); },
         {"quad.setColorLevel(0.25, 0.75, 2)", "quad.apply()"}, {}},
        {"colour balance (1, 0, 0)", [](CSprite* s) { s->setColorBalance(1.0f, 0.0f, 0.0f, 0.0f, 0); }, {},
         {"quad.setColorBalance(1.42265, 0.42265, 0.42265, 1)", "quad.apply()"}},
        {"colour balance (2, 2, 2): only the direction counts",
         [](CSprite* s) { s->setColorBalance(2.0f, 2.0f, 2.0f, 0.0f, 0); }, {},
         {"quad.setColorBalance(1, 1, 1, 1)", "quad.apply()"}},
        {"colour balance (0, 0, 0) is (1, 1, 1)", [](CSprite* s) { s->setColorBalance(0.0f, 0.0f, 0.0f, 0.0f, 0); },
         {}, {"quad.setColorBalance(1, 1, 1, 1)", "quad.apply()"}},
        {"radial blur", [](CSprite* s) { s->setRadialBlur(32.0f, 16.0f, 0.5f, 0.5f, 0, 0); },
         {"quad.setRadialBlurCenter(32, 16)", "quad.setRadialBlurPower(0.5)"},
         {"quad.setRadialBlurPower(0.5)", "quad.apply()"}},
        {"directional blur", [](CSprite* s) { s->setDirectionalBlur(1.0f, 0.0f, 0.0f, 8.0f, 0, 0); },
         {"quad.setDirectionalBlurDirection(1, 0)", "quad.setDirectionalBlurPower(8)"},
         {"quad.setDirectionalBlurPower(8)", "quad.apply()"}},
        {"ripple", [](CSprite* s) { s->setRipple(32.0f, 16.0f, 4.0f, 0.1f, 0.0f, 0, 0); },
         {"quad.setRippleFrequency(0.1)", "quad.setRipplePower(4)", "quad.setRippleCenter(32, 16)"},
         {"quad.setRippleFrequency(0.1)", "quad.setRipplePower(4)", "quad.setRipplePhase(0)", "quad.apply()"}},
        {"ripple phase", [](CSprite* s) { s->setRipplePhase(0.25f); }, {},
         {"quad.setRippleFrequency(0)", "quad.setRipplePower(0)", "quad.setRipplePhase(0.25)", "quad.apply()"}},
        {"raster", [](CSprite* s) { s->setRaster(30.0f, 4.0f, 0.05f, 0.0f, 0.0f, 0); },
         {"quad.setRasterFrequency(0.05)", "quad.setRasterPower(4)", "quad.setRasterRotate(30)"},
         {"quad.setRasterFrequency(0.05)", "quad.setRasterPower(4)", "quad.setRasterPhase(0)",
          "quad.setRasterRotate(30)", "quad.apply()"}},
        {"raster phase", [](CSprite* s) { s->setRasterPhase(-0.5f); }, {},
         {"quad.setRasterFrequency(0)", "quad.setRasterPower(0)", "quad.setRasterPhase(-0.5)",
          "quad.setRasterRotate(0)", "quad.apply()"}},
        {"lens", [](CSprite* s) { s->setLens({32.0f, 16.0f}, 0.5f, 12.0f, 0.0f, 0); },
         {"quad.setLensCenter(32, 16)", "quad.setLensPower(0.5)", "quad.setLensRadius(12)"},
         {"quad.setLensCenter(32, 16)", "quad.setLensPower(0.5)", "quad.setLensRadius(12)", "quad.apply()"}},
        {"transition", [](CSprite* s) { s->transition(0.0f, 1.0f, 0.1f, 0, 0); }, {},
         {"quad.setTransition(1, 1, 1, 0.1)"}}, // an instant ease keeps from = to
    };
    for (const Case& c : cases)
    {
        CSprite* s = sprite();
        EXPECT_EQ(callsOf([&] { c.set(s); }), c.atOnce) << c.what;
        EXPECT_EQ(renderFrame(s), c.atRender) << c.what;
        EXPECT_EQ(renderFrame(s), Calls{}) << c.what << ": the marks are cleared";
    }
}

TEST_F(SpriteEffectTest, ChangedGroupsGoInRenderOrder)
{
    CSprite* s = sprite();
    s->setMonochromePower(1.0f, 0.0f, 0);
    s->setColorBalance(1.0f, 1.0f, 1.0f, 0.0f, 0);
    s->setColorHue(10.0f, 0.0f, 0);
    s->setShadingPower(0.5f, 0.0f, 0);
    s->setLens({1.0f, 2.0f}, 0.5f, 3.0f, 0.0f, 0);
    s->setRadialBlur(0.0f, 0.0f, 1.0f, 1.0f, 0, 0);
    s->setColorLevel(0.0f, 1.0f, 1.0f, 100.0f, 0);
    s->colorLevelDirty = 1;
    s->transition(0.0f, 1.0f, 0.0f, 0, 0);
    EXPECT_EQ(renderFrame(s), (Calls{"quad.setTransition(1, 1, 1, 0)", "quad.setColorLevel(0, 1, 1)", "quad.apply()",
                                     "quad.setRadialBlurPower(1)", "quad.apply()", "quad.setLensCenter(1, 2)",
                                     "quad.setLensPower(0.5)", "quad.setLensRadius(3)", "quad.apply()",
                                     "quad.setColorHue(10)", "quad.apply()", "quad.setMonochromePower(1)",
                                     "quad.apply()", "quad.setShadingPower(0.5)", "quad.setColorBalance(1, 1, 1, 1)",
                                     "quad.apply()"}));
}

TEST_F(SpriteEffectTest, WithoutATexturedQuadSomeSettersDoNothingAndSomeMarksWait)
{
    CSprite* s = colourSprite();
    s->setColorHue(90.0f, 0.0f, 0);
    s->setColorGlow(0.5f, 0.0f, 0);
    s->setShadingPower(0.5f, 0.0f, 0);
    s->setRadialBlur(1.0f, 1.0f, 0.5f, 0.5f, 0, 0);
    s->setRipple(1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0, 0);
    s->setRaster(1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0);
    s->setLens({1.0f, 1.0f}, 1.0f, 1.0f, 0.0f, 0);
    s->setShadingParameter(3, 0.5f);
    EXPECT_EQ(s->colorEffect[CSprite::Hue].scaledValue, 0.0f);
    EXPECT_EQ(s->colorEffectDirty[CSprite::Hue], 0u);
    EXPECT_EQ(s->colorEffect[CSprite::Glow].scaledValue, 0.0f);
    EXPECT_EQ(s->radialBlur.power.scaledValue, 0.0f);
    EXPECT_EQ(s->getRadialBlurCenter().x, 0.0f);
    EXPECT_EQ(s->ripple.dirty + s->raster.dirty + s->lens.dirty, 0u);
    EXPECT_EQ(s->getShadingLevel(), 0);
    EXPECT_EQ(s->getShadingDensity(), 0.0f);
    EXPECT_EQ(s->getColorLevelMin(), 0.0f);
    EXPECT_EQ(s->getColorLevelMax(), 1.0f);
    EXPECT_EQ(s->getColorLevelPower(), 1.0f);

    // Negaposi, monochrome, balance and level store and ease anyway; their marks are cleared unused.
    s->setNegaposiPower(1.0f, 0.0f, 0);
    s->setMonochromePower(0.5f, 0.0f, 0);
    s->setColorBalance(1.0f, 0.0f, 0.0f, 0.0f, 0);
    s->setColorLevel(0.25f, 0.75f, 1.0f, 0.0f, 0);
    s->colorLevelDirty = 1;
    EXPECT_EQ(s->colorEffect[CSprite::Negaposi].scaledValue, 1.0f);
    EXPECT_EQ(s->colorEffect[CSprite::Monochrome].scaledValue, 0.5f);
    EXPECT_EQ(s->getColorBalance().y, 0.0f);
    // The blur, wave and lens marks stay until a textured quad takes them.
    s->radialBlur.dirty = s->directionalBlur.dirty = s->ripple.dirty = s->raster.dirty = s->lens.dirty = 1;
    EXPECT_EQ(renderFrame(s), Calls{});
    EXPECT_EQ(s->colorEffectDirty[CSprite::Negaposi] + s->colorEffectDirty[CSprite::Monochrome] +
                  s->colorBalanceDirty + s->colorLevelDirty,
              0u);
    EXPECT_EQ(s->radialBlur.dirty + s->directionalBlur.dirty + s->ripple.dirty + s->raster.dirty + s->lens.dirty,
              5u);
}

TEST_F(SpriteEffectTest, DurationsTruncateAndOutOfRangeEasingsAreLinear)
{
    CSprite* s = sprite();
    s->setColorHue(1.0f, 0.9f, 0);
    EXPECT_EQ(s->colorEffect[CSprite::Hue].scaledValue, 1.0f) << "0.9 ms is no time: the value jumps";
    EXPECT_EQ(s->colorEffect[CSprite::Hue].active, 0u);
    s->setColorHue(2.0f, 1.9f, 0);
    EXPECT_EQ(s->colorEffect[CSprite::Hue].duration, 1.0f);
    EXPECT_EQ(s->colorEffect[CSprite::Hue].active, 1u);
    for (int32_t easing : {61, 100, -1})
    {
        s->setColorSaturation(1.0f, 100.0f, easing);
        EXPECT_EQ(s->colorEffect[CSprite::Saturation].easing, 0) << easing;
        s->setColorBalance(1.0f, 1.0f, 1.0f, 100.0f, easing);
        EXPECT_EQ(s->colorBalance.easing, 0) << easing;
        s->setRipple(0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 100, easing);
        EXPECT_EQ(s->ripple.power.easing, 0) << easing;
        s->transition(0.0f, 1.0f, 0.0f, 100, uint32_t(easing));
        EXPECT_EQ(s->transitionValue.easing, 0) << easing;
    }
    s->setColorSaturation(1.0f, 100.0f, 60);
    EXPECT_EQ(s->colorEffect[CSprite::Saturation].easing, 60);
}

TEST_F(SpriteEffectTest, ColourLevelWithADurationReachesTheQuadFrameByFrame)
{
    CSprite* s = sprite();
    EXPECT_EQ(callsOf([&] { s->setColorLevel(0.5f, 1.0f, 1.0f, 100.0f, 0); }), Calls{});
    frame(s);
    const Calls calls = renderFrame(s);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].rfind("quad.setColorLevel(0.0833", 0), 0u) << calls[0];
    EXPECT_NEAR(s->getColorLevelMin(), 0.5f / 6.0f, 1e-4f) << "asked of the quad";
    for (int i = 0; i < 10; ++i)
    {
        frame(s);
        renderFrame(s);
    }
    EXPECT_EQ(s->getColorLevelMin(), 0.5f);
}

TEST_F(SpriteEffectTest, BlursStartFromTheirFromPowerAndWavesFromWhereTheyStand)
{
    CSprite* s = sprite();
    s->setRadialBlur(0.0f, 0.0f, 0.5f, 0.5f, 0, 0);
    s->setRadialBlur(1.0f, 2.0f, 0.2f, 1.0f, 100, 0);
    EXPECT_EQ(s->radialBlur.power.scaledValue, 0.2f);
    EXPECT_EQ(s->getRadialBlurPower(), 0.2f);
    EXPECT_EQ(s->getRadialBlurCenter().y, 2.0f);

    s->setRipple(0.0f, 0.0f, 4.0f, 0.5f, 0.1f, 0, 0);
    s->setRipple(5.0f, 6.0f, 8.0f, 1.0f, 0.2f, 100, 0);
    EXPECT_EQ(s->getRipplePower(), 4.0f);
    EXPECT_EQ(s->ripple.power.to, 8.0f);
    EXPECT_EQ(s->getRippleSpeed(), 0.1f);
    EXPECT_EQ(s->getRippleCenter().x, 5.0f);
}

TEST_F(SpriteEffectTest, WorldScaleMakesOneUnitOnePixelAtTheCameraDistance)
{
    // The fake application's screen is 1280 x 720.
    struct Case
    {
        const char* what;
        int projection;
        float distance, fieldOfView, scale;
    } cases[] = {
        {"own field of view 45", 0, 1000.0f, 0.0f, 2.0f * std::tan(45.0f * 0.008726646f) * 1000.0f / 720.0f},
        {"given field of view 90", 0, 360.0f, 90.0f, 1.0f},
        {"no distance", 0, 0.0f, 45.0f, 1.0f},
        {"orthographic", 1, 1000.0f, 45.0f, 1.0f},
    };
    for (const Case& c : cases)
    {
        CSprite* s = sprite();
        auto* camera = new FakeCamera;
        camera->projection = c.projection;
        log().clear();
        s->setCamera(camera, c.distance, c.fieldOfView);
        camera->release();
        EXPECT_EQ(log().named("quad.setCamera"), Calls{"quad.setCamera(camera)"}) << c.what;
        EXPECT_NEAR(s->getWorldScale().x, c.scale, 1e-5f) << c.what;
        EXPECT_EQ(s->getWorldScale().y, s->getWorldScale().x) << c.what;
        EXPECT_EQ(s->getWorldScale().z, s->getWorldScale().x) << c.what;
        EXPECT_EQ(s->getCameraParam(), c.distance) << c.what;
        s->setCamera(nullptr, 0.0f, 0.0f);
        EXPECT_EQ(s->getWorldScale().x, 1.0f) << c.what;
    }
}

TEST_F(SpriteEffectTest, DitherPatternComesByNameOrFromTheDevice)
{
    t.core->render->missingTextures = {"missing.png"};
    struct Case
    {
        int32_t enable;
        const char* name;
        Calls calls;
    } cases[] = {
        {1, "", {"quad.setDither(dither, 4, 4)"}},
        {1, "rule/dot.png", {"loadTexture(rule/dot.png, 0, 0)", "quad.setDither(rule/dot.png, 4, 4)"}},
        {1, "missing.png", {"loadTexture(missing.png, 0, 0)", "quad.setDither(dither, 4, 4)"}},
        {0, "rule/dot.png", {"quad.setDither(null, 4, 4)"}},
    };
    for (const Case& c : cases)
    {
        CSprite* s = sprite();
        EXPECT_EQ(callsOf([&] { s->setDither(c.enable, 4, 4, c.name); }), c.calls) << c.name;
    }
    CSprite* colour = colourSprite();
    EXPECT_EQ(callsOf([&] { colour->setDither(0, 2, 3, ""); }), Calls{"colorQuad.setDither(null, 2, 3)"});
}

TEST_F(SpriteEffectTest, TransitionMaskLoadsOnceAndDropsByEmptyName)
{
    CSprite* s = sprite();
    EXPECT_EQ(callsOf([&] { s->loadTransitionMask("rule/wipe.png", 0); }),
              (Calls{"loadTexture(rule/wipe.png, 0, 0)", "quad.setTransitionMask(rule/wipe.png)"}));
    EXPECT_EQ(s->getTransitionFilename(), "rule/wipe.png");
    EXPECT_EQ(quadOf(s)->transitionMask, s->transitionMask);
    s->transitionDirty = 0;
    EXPECT_EQ(callsOf([&] { s->loadTransitionMask("rule/wipe.png", 0); }), Calls{});
    EXPECT_EQ(s->transitionDirty, 0u) << "the same name changes nothing";

    EXPECT_EQ(callsOf([&] { s->loadTransitionMask("", 0); }), Calls{"quad.setTransitionMask(null)"});
    EXPECT_EQ(s->getTransitionFilename(), "");
    EXPECT_EQ(s->transitionMask, nullptr);
    EXPECT_EQ(s->transitionDirty, 1u);

    t.core->render->missingTextures = {"rule/none.png"};
    s->loadTransitionMask("rule/none.png", 1);
    EXPECT_EQ(s->getTransitionFilename(), "") << "a mask that does not load leaves no name";
    EXPECT_EQ(log().named("loadTexture").size(), 1u);
    log().clear();
    s->loadTransitionMask("rule/none.png", 1);
    EXPECT_EQ(log().named("loadTexture").size(), 1u) << "and the next call tries again";
}

TEST_F(SpriteEffectTest, TransitionEasesFromItsFromValueWithoutAMask)
{
    CSprite* s = sprite();
    s->transition(0.0f, 1.0f, 0.1f, 0, 0);
    EXPECT_EQ(s->transitionValue.scaledValue, 1.0f);
    EXPECT_EQ(s->isTransitioning(), 0u);
    s->transition(1.0f, 0.0f, 0.2f, 100, 0);
    EXPECT_EQ(s->transitionValue.scaledValue, 1.0f) << "starts at from, not at the current value";
    EXPECT_EQ(s->isTransitioning(), 1u);
    EXPECT_EQ(renderFrame(s), Calls{"quad.setTransition(1, 0, 1, 0.2)"});
    frame(s);
    const Calls calls = renderFrame(s);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("quad.setTransition(1, 0, 0.83", 0), 0u) << calls[0];
}

TEST_F(SpriteEffectTest, RefusedMaskKeepsTheNameButRegistersNoWatch)
{
    CTextureWacher& watcher = *t.app->textureWatcher;
    watcher.watch("suf://rule");
    CSprite* s = sprite();
    quadOf(s)->transitionMaskResult = -1;
    s->loadTransitionMask("suf://rule", 1);
    EXPECT_EQ(s->getTransitionFilename(), "suf://rule");
    EXPECT_NE(s->transitionMask, nullptr);
    EXPECT_EQ(s->transitionCallback, nullptr);
}

TEST_F(SpriteEffectTest, DestroyingTheMaskSurfaceClearsTheMaskThroughItsCallback)
{
    CTextureWacher& watcher = *t.app->textureWatcher;
    watcher.watch("suf://rule");
    CSprite* s = sprite();
    CSprite* other = sprite();
    s->loadTransitionMask("suf://rule", 1);
    other->loadTransitionMask("suf://rule", 1);
    ASSERT_NE(s->transitionCallback, nullptr);
    EXPECT_EQ(s->transitionCallback->getRefCount(), 2) << "the sprite's and the watcher's";

    // What a render target's destruction does with its surface's name.
    log().clear();
    watcher.notify("suf://rule");
    EXPECT_EQ(log().named("quad.setTransitionMask"),
              (Calls{"quad.setTransitionMask(null)", "quad.setTransitionMask(null)"}));
    for (CSprite* sprite : {s, other})
    {
        EXPECT_EQ(sprite->getTransitionFilename(), "");
        EXPECT_EQ(sprite->transitionMask, nullptr);
        EXPECT_EQ(sprite->transitionCallback, nullptr);
        EXPECT_EQ(sprite->transitionDirty, 1u);
    }
    EXPECT_EQ(quadOf(s)->transitionMask, nullptr);
    // A new surface of the name can be used again.
    watcher.watch("suf://rule");
    s->loadTransitionMask("suf://rule", 1);
    EXPECT_NE(s->transitionCallback, nullptr);
}

TEST_F(SpriteEffectTest, UnwatchedNamesKeepNoCallback)
{
    CSprite* s = sprite();
    s->loadTransitionMask("rule/wipe.png", 1);
    EXPECT_EQ(s->transitionCallback, nullptr);
    EXPECT_EQ(s->getTransitionFilename(), "rule/wipe.png");
}

TEST_F(SpriteEffectTest, PhasesStayWithinOneAndMoveOnlyWithPowerFrequencyAndSpeed)
{
    CSprite* s = sprite();
    s->setRipple(0.0f, 0.0f, 1.0f, 1.0f, 0.3f, 0, 0);
    s->setRipplePhase(0.9f);
    frame(s);
    EXPECT_NEAR(s->getRipplePhase(), 0.2f, 1e-5f);
    s->setRaster(0.0f, 1.0f, 1.0f, -0.3f, 0.0f, 0);
    s->setRasterPhase(-0.9f);
    frame(s);
    EXPECT_NEAR(s->getRasterPhase(), -0.2f, 1e-5f);
    s->setRaster(0.0f, 0.0f, 1.0f, -0.3f, 0.0f, 0);
    frame(s);
    EXPECT_NEAR(s->getRasterPhase(), -0.2f, 1e-5f) << "no power: no movement";
}

TEST_F(SpriteEffectTest, NullSpriteIgnoresTheQuadOnlyEffects)
{
    auto* s = keep(new CNullSprite);
    s->loadTransitionMask("rule/wipe.png", 1);
    s->transition(0.0f, 1.0f, 0.1f, 100, 0);
    s->setColorLevel(0.5f, 1.0f, 1.0f, 0.0f, 0);
    auto* camera = new FakeCamera;
    s->setCamera(camera, 1000.0f, 45.0f);
    camera->release();
    EXPECT_EQ(s->getTransitionFilename(), "");
    EXPECT_EQ(s->isTransitioning(), 0u);
    EXPECT_EQ(s->colorLevel.to.x, 0.0f);
    EXPECT_EQ(s->camera, nullptr);
    // Effects that need no quad still store.
    s->setNegaposiPower(0.5f, 0.0f, 0);
    EXPECT_EQ(s->colorEffect[CSprite::Negaposi].scaledValue, 0.5f);
}

} // namespace
