// The script class "SQSpriteMask" through the script host, in the main task's frame loop over the real
// render device drawing headless, frames read back.
#include "ScriptHostFixture.h"

#include "core/CTaskMain.h"
#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "sprite/CEffectBlur.h"
#include "sprite/CNullSpriteMask.h"
#include "sprite/Squirrel/SQSpriteMask.h"

#include <kavro/IRenderDevice.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Orvane::Squirrel::SQSpriteMask;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;

// The registration order after the ten methods of every drawable class.
const std::vector<std::string> expectedNames = {
    "create", "createColor", "createMovie", "link", "fade", "move", "move3D", "moveVertex", "scale",
    "rotate", "transition", "shake", "randomShake", "scroll", "setMask", "setSurface",
    "setDisplacementMap", "setDither", "setCamera", "setBlendMode", "setCenter", "setPivot", "getSize",
    "getFade", "getMove", "getVertexMove", "getScale", "getRotate", "getScroll", "getVolume", "play",
    "stop", "pause", "onResume", "setVolume", "setLoop", "seek", "resetBezier", "setBezier",
    "beginBezier", "resetSpline", "setSpline", "beginSpline", "setBlur", "setDiffuseOnly", "setColor",
    "setColorBalance", "setColorHue", "setColorSaturation", "setColorBrightness", "setColorGlow",
    "setTimeScale", "setActionCompatibleMode", "getColor", "getColorBalance", "getColorHue",
    "getColorSaturation", "getColorBrightness", "getColorGlow", "setNegaposiPower", "setMonochromePower",
    "setShadingParameter", "setShadingPower", "getNegaposiPower", "getMonochromePower", "getShadingPower",
    "getShadingLevel", "getShadingDensity", "setColorLevel", "getColorLevelMin", "getColorLevelMax",
    "getColorLevelPower", "getDurationTime", "getRemainTime", "getTotalTime", "setTextureFiltering",
    "isFading", "isMoving", "isScaling", "isRotating", "isTransitioning", "isShaking", "isPlaying",
    "isPaused", "isCaptureEnabled", "getTransitionFilename", "setRadialBlur", "getRadialBlurPower",
    "getRadialBlurCenter", "setDirectionalBlur", "getDirectionalBlurPower", "getDirectionalBlurDirection",
    "setRipple", "getRippleCenter", "getRipplePower", "getRippleFrequency", "getRippleSpeed",
    "getRipplePhase", "setRipplePhase", "setRaster", "getRasterRotate", "getRasterPower",
    "getRasterFrequency", "getRasterSpeed", "getRasterPhase", "setRasterPhase", "setLens",
    "getLensCenter", "getLensPower", "getLensRadius", "splitFace", "clearSplitAction", "pushSplitAction",
    "beginSplitAction", "setUVOffset", "getUVOffset", "saveImage", "addSoundGroup",
    "setVolumeControlFadeTime", "isDeletedTexture", "getFadeTimer", "getMoveTimer", "getMoveVertexTimer",
    "getScaleTimer", "getRotateTimer", "getTransitionTimer", "getShakeTimer", "getScrollTimer",
    "getColorTimer", "getColorBalanceTimer", "getColorHueTimer", "getColorSaturationTimer",
    "getColorBrightnessTimer", "getColorGlowTimer", "getNegaposiPowerTimer", "getMonochromePowerTimer",
    "getShadingPowerTimer", "getRadialBlurTimer", "getDirectionalBlurTimer", "getSplineTimer",
    "getBezierTimer", "getColorLevelTimer", "getRippleTimer", "getRasterTimer", "getLensTimer",
    "getSplitActionTimer", "setFadeTimer", "setMoveTimer", "setMoveVertexTimer", "setScaleTimer",
    "setRotateTimer", "setTransitionTimer", "setShakeTimer", "setScrollTimer", "setColorTimer",
    "setColorBalanceTimer", "setColorHueTimer", "setColorSaturationTimer", "setColorBrightnessTimer",
    "setColorGlowTimer", "setNegaposiPowerTimer", "setMonochromePowerTimer", "setShadingPowerTimer",
    "setRadialBlurTimer", "setDirectionalBlurTimer", "setSplineTimer", "setBezierTimer",
    "setColorLevelTimer", "setRippleTimer", "setRasterTimer", "setLensTimer", "setSplitActionTimer",
    "serialize", "deserialize"};

class SpriteMaskScriptTest : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, core->fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        app->renderDevice = device;
        app->screenWidth = Width;
        app->screenHeight = Height;
        // Frames of 1/60 s.
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 16.666666f;
        task = new CTaskMain;
        app->taskStack.push_back(task);
        task->initialize();
        writeFile("media/script/main.nut", "while (true) Suspend();\n");
        writeFile("image/circle.png", circlePng());
        writeFile("image/picture.png", picturePng());
        startHost();
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        if (task) task->release();
        ScriptHostFixture::TearDown();
    }

    std::vector<uint8_t> png(const std::string& name, int w, int h, const std::vector<uint32_t>& pixels)
    {
        EXPECT_TRUE(Kavro::WritePng(dir.file(name), w, h, pixels.data()));
        return dir.read(name);
    }
    // 64 x 64: an opaque white disc of radius 24 about the centre, transparent around it.
    std::vector<uint8_t> circlePng()
    {
        std::vector<uint32_t> pixels(64 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
            {
                const float dx = float(x) + 0.5f - 32.0f, dy = float(y) + 0.5f - 32.0f;
                pixels[size_t(y) * 64 + size_t(x)] = dx * dx + dy * dy <= 24.0f * 24.0f ? 0xFFFFFFFFu : 0x00FFFFFFu;
            }
        return png("circle.png", 64, 64, pixels);
    }
    // The whole screen: red, with green stripes every 16 columns.
    std::vector<uint8_t> picturePng()
    {
        std::vector<uint32_t> pixels(size_t(Width) * Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                pixels[size_t(y) * Width + size_t(x)] = (x / 16) % 2 ? 0xFF00C000u : 0xFFE00000u;
        return png("picture.png", Width, Height, pixels);
    }

    SQSpriteMask* mask(const std::string& name) const
    {
        return dynamic_cast<SQSpriteMask*>(task->findTaskObject(name));
    }
    std::string results(int count)
    {
        std::string expression = "SQMATH_RET_1";
        for (int i = 2; i <= count; ++i)
            expression += " + \",\" + SQMATH_RET_" + std::to_string(i);
        return eval(expression);
    }
    // One frame as the application draws it, read back as 0xAARRGGBB (kept as a PNG under
    // ORVANE_SPRITE_PNG_DIR when that names a folder).
    std::vector<uint32_t> drawFrame()
    {
        EXPECT_EQ(device->beginFrame(), 0);
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
        std::vector<uint32_t> pixels(size_t(Width) * Height);
        EXPECT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_SPRITE_PNG_DIR"))
        {
            std::string path = keep;
            path += "/mask_";
            path += ::testing::UnitTest::GetInstance()->current_test_info()->name();
            path += '_';
            path += std::to_string(frames++);
            path += ".png";
            Kavro::WritePng(path, Width, Height, pixels.data());
        }
        task->updateObjects();
        device->endFrame();
        core->milliTime += 16;
        return pixels;
    }
    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[size_t(y) * Width + x]; }

    Kavro::IRenderDevice* device = nullptr;
    CTaskMain* task = nullptr;
    int frames = 0;
};

TEST_F(SpriteMaskScriptTest, TheClassHasItsMethodTableAndNoOther)
{
    std::vector<std::string> registered;
    for (const char* name : SQSpriteMask::methodNames())
        registered.emplace_back(name);
    EXPECT_EQ(registered, expectedNames);

    std::string names = "::expected <- [\"setLock\", \"getLock\", \"setDisused\", \"getDisused\", \"setPriority\","
                        "\"getPriority\", \"setErase\", \"getErase\", \"setHidable\", \"getHidable\",";
    for (const std::string& name : expectedNames)
        names += "\"" + name + "\",";
    ASSERT_EQ(runSnippet(names + "];"), "");
    EXPECT_EQ(eval("::expected.len()"), "184");
    ASSERT_EQ(runSnippet("::missing <- \"\"; foreach (n in ::expected) if (!(n in SQSpriteMask) || "
                         "typeof SQSpriteMask[n] != \"function\") ::missing += n + \" \";"),
              "");
    EXPECT_EQ(eval("::missing"), "");
    for (const char* absent : {"createSubresource", "createScreen", "createScene", "setCapture", "setClickable",
                               "setChangeCursor", "isOver", "isDown", "isUp", "getVolumeTimer", "setVolumeTimer"})
        EXPECT_EQ(eval(std::string("\"") + absent + "\" in SQSpriteMask"), "false") << absent;
}

TEST_F(SpriteMaskScriptTest, MasksDrawBeforeWhatTheyMaskAndAMaskedMaskRightAfterItsMask)
{
    ASSERT_EQ(runSnippet("::a <- SQSpriteMask(\"a\"); ::b <- SQSpriteMask(\"b\"); ::s <- SQSprite(\"s\");"), "");
    EXPECT_EQ(eval("::a.getPriority() + \",\" + ::b.getPriority() + \",\" + ::s.getPriority()"), "-65536,-65536,0");
    ASSERT_EQ(runSnippet("::a.createColor(16, 16, 1.0, 1.0, 1.0); ::b.createColor(16, 16, 1.0, 1.0, 1.0);"
                         "::a.setPriority(40); ::b.setMask(\"a\");"),
              "");
    EXPECT_EQ(eval("::b.getPriority()"), "41");
    EXPECT_EQ(mask("b")->getMask()->getMask(), mask("a")->getMask());

    // Its own name changes nothing: neither the mask it has nor its priority.
    ASSERT_EQ(runSnippet("::b.setPriority(7); ::b.setMask(\"b\");"), "");
    EXPECT_EQ(mask("b")->getMask()->getMask(), mask("a")->getMask());
    EXPECT_EQ(eval("::b.getPriority()"), "7");
    // A plain sprite is no mask, and an empty name only clears.
    ASSERT_EQ(runSnippet("::s.createColor(8, 8, 1.0, 1.0, 1.0); ::b.setMask(\"s\");"), "");
    EXPECT_EQ(mask("b")->getMask()->getMask(), nullptr);
    EXPECT_EQ(eval("::b.getPriority()"), "7");
    ASSERT_EQ(runSnippet("::b.setMask(\"a\"); ::b.setMask(\"\");"), "");
    EXPECT_EQ(mask("b")->getMask()->getMask(), nullptr);
}

TEST_F(SpriteMaskScriptTest, CreationFailuresLeaveANullMaskThatIgnoresTheMaskSettings)
{
    ASSERT_EQ(runSnippet("::m <- SQSpriteMask(\"m\");"), "");
    EXPECT_NE(dynamic_cast<CNullSpriteMask*>(mask("m")->getMask()), nullptr);
    EXPECT_EQ(eval("::m.create(\"image/missing.png\", -1, 0, 0, 0)"), "-1");
    EXPECT_NE(dynamic_cast<CNullSpriteMask*>(mask("m")->getMask()), nullptr);
    EXPECT_EQ(eval("::m.createMovie(\"movie/missing.ogv\", 0)"), "-1");
    EXPECT_NE(dynamic_cast<CNullSpriteMask*>(mask("m")->getMask()), nullptr);
    ASSERT_EQ(runSnippet("::m.setDiffuseOnly(1); ::m.play(1); ::m.stop(); ::m.pause(); ::m.onResume();"), "");
    EXPECT_EQ(eval("::m.isPaused() + \",\" + ::m.isCaptureEnabled() + \",\" + ::m.isPlaying()"), "0,0,0");

    EXPECT_EQ(eval("::m.create(\"image/circle.png\", -1, 0, 0, 0)"), "0");
    CSpriteMask* made = mask("m")->getMask();
    EXPECT_EQ(dynamic_cast<CNullSpriteMask*>(made), nullptr);
    EXPECT_NE(made->maskObject, nullptr);
    ASSERT_EQ(runSnippet("::m.getSize();"), "");
    EXPECT_EQ(results(2), "64,64");
    // The mask is the binding's own: the task neither updates nor draws it.
    for (CTaskObject* object : task->getTaskObjects())
        EXPECT_NE(object, static_cast<CTaskObject*>(made));
}

TEST_F(SpriteMaskScriptTest, ColourMasksTakeTheirColourAtOnceAndAnswerAsMasks)
{
    ASSERT_EQ(runSnippet("::m <- SQSpriteMask(\"m\");"), "");
    EXPECT_EQ(eval("::m.createColor(20, 10, 0.25, 0.5, 1.0)"), "0");
    ASSERT_EQ(runSnippet("::m.getColor(3);"), "");
    EXPECT_EQ(results(3), "0.25,0.5,1");
    ASSERT_EQ(runSnippet("::m.setColorBalance(0.5, 0.25, 2.0, 0, 0); ::m.getColorBalance();"), "");
    EXPECT_EQ(results(4), "0.5,0.25,2,0");
    EXPECT_EQ(eval("::m.isCaptureEnabled()"), "0");
}

TEST_F(SpriteMaskScriptTest, TheRecordCarriesTheBlurAndTheShake)
{
    ASSERT_EQ(runSnippet("::f <- SQFile(\"save\"); ::m <- SQSpriteMask(\"m\"); ::m.createColor(8, 8, 1.0, 1.0, 1.0);"
                         "::m.setBlur(1, 4, 0.5, 100, 1); local v = Vector3D(); v.x = 4.0;"
                         "::m.shake(v, null, 100, 0, 1000, 0, 0);"),
              "");
    EXPECT_EQ(eval("::m.serialize(\"save\")"), "0"); // not open yet
    ASSERT_EQ(runSnippet("::f.open(\"mask.bin\", 1, 0);"), "");
    EXPECT_EQ(eval("::m.serialize(\"save\")"), "1");
    ASSERT_EQ(runSnippet("::f.open(\"mask.bin\", 0, 0);"
                         "::n <- SQSpriteMask(\"n\"); ::n.createColor(8, 8, 1.0, 1.0, 1.0);"),
              "");
    EXPECT_EQ(mask("n")->getMask()->getShakeEffect(), nullptr);
    EXPECT_EQ(eval("::n.deserialize(\"save\")"), "1");
    EXPECT_EQ(eval("::f.getFilePosition() == ::f.getFileSize()"), "true");
    EXPECT_EQ(mask("n")->getBlur()->getCount(), 4u);
    EXPECT_NE(mask("n")->getMask()->getShakeEffect(), nullptr);
    EXPECT_EQ(eval("::n.deserialize(\"nobody\")"), "0");
}

// A striped picture masked by a disc that moves: the picture shows only inside the disc, which follows
// the mask.
TEST_F(SpriteMaskScriptTest, APictureShowsOnlyThroughTheMovingDisc)
{
    ASSERT_EQ(runSnippet("::m <- SQSpriteMask(\"m\"); ::m.create(\"image/circle.png\", -1, 0, 0, 0);"
                         "::m.move(40.0, 60.0, 0, 0);"
                         "::p <- SQSprite(\"p\"); ::p.create(\"image/picture.png\", -1, 0, 0, 0); ::p.setMask(\"m\");"),
              "");
    std::vector<uint32_t> frame = drawFrame();
    frame = drawFrame();
    // Inside the disc (centre 72, 92): the picture; outside: the black screen.
    EXPECT_EQ(at(frame, 72, 92), 0xFFE00000u);  // column 72: a red stripe
    EXPECT_EQ(at(frame, 82, 92), 0xFF00C000u);  // column 82: a green one
    EXPECT_EQ(at(frame, 72, 70), 0xFFE00000u);  // 22 above the centre: inside
    EXPECT_EQ(at(frame, 72, 65), 0xFF000000u);  // 27 above: outside
    EXPECT_EQ(at(frame, 200, 150), 0xFF000000u);

    ASSERT_EQ(runSnippet("::m.move(160.0, 120.0, 500, 0);"), "");
    for (int i = 0; i < 15; ++i)
        frame = drawFrame();
    // Half way (about 15 of 30 frames), the disc lies between the two places.
    const std::vector<uint32_t> midway = frame;

    for (int i = 0; i < 25; ++i)
        frame = drawFrame();
    EXPECT_EQ(at(midway, 72, 92), 0xFF000000u);
    EXPECT_EQ(at(midway, 192, 152), 0xFF000000u);
    EXPECT_NE(at(midway, 132, 122), 0xFF000000u);
    EXPECT_EQ(at(frame, 72, 92), 0xFF000000u);
    EXPECT_EQ(at(frame, 192, 152), 0xFFE00000u); // column 192: red
    EXPECT_EQ(at(frame, 208, 152), 0xFF00C000u); // column 208: green
    EXPECT_EQ(at(frame, 192, 180), 0xFF000000u); // 28 below: outside
}

} // namespace
