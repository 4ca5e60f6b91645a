// The script classes "SQDisplacementMap" and "SQShadeMask" through the script host: their logic over the
// recording device, and their pictures over the real render device drawing headless, frames read back.
#include "ScriptHostFixture.h"

#include "core/CTaskMain.h"
#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "sprite/Squirrel/SQDisplacementMap.h"
#include "sprite/Squirrel/SQShadeMask.h"
#include "support/FakeRender.h"
#include "text/CText.h"
#include "text/Squirrel/SQText.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Orvane::Squirrel::SQDisplacementMap;
using Orvane::Squirrel::SQShadeMask;
using Orvane::Squirrel::SQSprite;
using Orvane::Squirrel::SQSpriteRenderTarget;

namespace
{

// The main task's frame over whatever device the application has.
class EffectMapFixture : public ScriptHostFixture
{
protected:
    void startTask()
    {
        task = new CTaskMain;
        app->taskStack.push_back(task);
        task->initialize();
        writeFile("media/script/main.nut", "while (true) Suspend();\n");
        startHost();
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        if (task) task->release();
        ScriptHostFixture::TearDown();
    }
    template <class T> T* binding(const std::string& name) const
    {
        return dynamic_cast<T*>(task->findTaskObject(name));
    }
    SQDisplacementMap* map(const std::string& name) const { return binding<SQDisplacementMap>(name); }
    SQShadeMask* mask(const std::string& name) const { return binding<SQShadeMask>(name); }
    std::string results(int count)
    {
        std::string expression = "SQMATH_RET_1";
        for (int i = 2; i <= count; ++i)
            expression += " + \",\" + SQMATH_RET_" + std::to_string(i);
        return eval(expression);
    }

    CTaskMain* task = nullptr;
};

class EffectMapScriptTest : public EffectMapFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        app->renderDevice = core->getRenderDevice();
        app->screenWidth = 1280;
        app->screenHeight = 720;
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 16.666666f;
        startTask();
    }
    RecordingRenderDevice* device() { return static_cast<RecordingRenderDevice*>(app->renderDevice); }
    void frame()
    {
        core->milliTime += 16;
        core->log.clear();
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
        task->updateObjects();
    }
    size_t count(const std::string& call) const
    {
        const auto& calls = core->log.calls();
        return size_t(std::count(calls.begin(), calls.end(), call));
    }
};

TEST_F(EffectMapScriptTest, EachClassHasItsOwnShortMethodTable)
{
    struct
    {
        const char* name;
        const std::vector<const char*>& methods;
        const char* total;
    } classes[] = {{"SQDisplacementMap", SQDisplacementMap::methodNames(), "13"},
                   {"SQShadeMask", SQShadeMask::methodNames(), "19"}};
    for (const auto& c : classes)
    {
        std::string names = "::expected <- [";
        for (const char* name : c.methods)
            names += std::string("\"") + name + "\",";
        ASSERT_EQ(runSnippet(names + "];"), "");
        EXPECT_EQ(eval("::expected.len() + 10"), c.total);
        ASSERT_EQ(runSnippet(std::string("::missing <- \"\"; foreach (n in ::expected) if (!(n in ") + c.name +
                             ")) ::missing += n + \" \";"),
                  "");
        EXPECT_EQ(eval("::missing"), "") << c.name;
        // The render target's and the sprite's methods are not theirs.
        for (const char* absent : {"fade", "setCapture", "setCopyTarget", "move", "setDisplacementMap"})
            EXPECT_EQ(eval(std::string("\"") + absent + "\" in " + c.name), "false") << c.name << " " << absent;
    }
    ASSERT_EQ(runSnippet("::m <- SQDisplacementMap(\"m\");"), "");
    EXPECT_NE(runSnippet("::m.fade(0.5, 0, 0);"), "");
}

TEST_F(EffectMapScriptTest, CreateReportsAMapTheLibraryCannotMake)
{
    device()->noEffectMap = true;
    ASSERT_EQ(runSnippet("::m <- SQDisplacementMap(\"m\"); ::s <- SQShadeMask(\"s\");"
                         "::made <- ::m.create(4.0, 2.0) + \",\" + ::s.create();"),
              "");
    EXPECT_EQ(eval("::made"), "-1,-1");
    EXPECT_EQ(map("m")->getMap(), nullptr);
    EXPECT_EQ(mask("s")->getMask(), nullptr);
    ASSERT_EQ(runSnippet("SQMATH_RET_1 = 9.0; ::m.getSize(); ::m.setSurface(\"s\");"
                         "::s.setShadingPower(1.0, 0, 0); ::s.setShadingPowerTimer(5.0);"),
              "");
    EXPECT_EQ(results(4), "0,0,0,0");
    EXPECT_EQ(eval("::s.getShadingLevel() + \",\" + ::s.getShadingPower() + \",\" + ::s.getShadingPowerTimer()"),
              "0,0,0");
    // Frames with objects that have nothing to draw leave the back surface's pass alone.
    frame();
    EXPECT_EQ(count("clearTexture(displacement, ff808080)"), 0u);

    device()->noEffectMap = false;
    ASSERT_EQ(runSnippet("::made <- ::m.create(4.0, 2.0) + \",\" + ::s.create(); ::m.getSize();"), "");
    EXPECT_EQ(eval("::made"), "0,0");
    EXPECT_EQ(results(4), "1280,720,0,0");
}

TEST_F(EffectMapScriptTest, SetSurfaceSizesTheMapAndRefusesItsOwnName)
{
    ASSERT_EQ(runSnippet("::m <- SQDisplacementMap(\"m\"); ::m.create(4.0, 4.0);"
                         "::rt <- SQSpriteRenderTarget(\"rt\"); ::rt.create(128, 64, 0);"
                         "::m.setSurface(\"rt\"); ::m.getSize();"),
              "");
    EXPECT_EQ(results(4), "128,64,0,0");
    CSpriteDisplacementMap* engine = map("m")->getMap();
    EXPECT_EQ(engine->getOwnSurface(), binding<SQSpriteRenderTarget>("rt")->getTarget());
    EXPECT_EQ(binding<SQSpriteRenderTarget>("rt")->getTarget()->getSize()[2], 128);
    // Bound to the same target again: no new size, no resized mark.
    engine->setResized(0);
    ASSERT_EQ(runSnippet("::m.setSurface(\"rt\");"), "");
    EXPECT_FALSE(engine->isResized());
    ASSERT_EQ(runSnippet("::m.setSurface(\"m\"); ::m.getSize();"), "");
    EXPECT_EQ(results(4), "128,64,0,0");
    EXPECT_EQ(engine->getOwnSurface(), binding<SQSpriteRenderTarget>("rt")->getTarget());
    ASSERT_EQ(runSnippet("::m.setSurface(\"\"); ::m.getSize();"), "");
    EXPECT_EQ(results(4), "1280,720,0,0");
    EXPECT_EQ(engine->getOwnSurface(), nullptr);
}

TEST_F(EffectMapScriptTest, MapsAreFilledAtMostOnceAFrameEvenWhenBoundToEachOther)
{
    ASSERT_EQ(runSnippet("::a <- SQDisplacementMap(\"a\"); ::a.create(1.0, 1.0);"
                         "::b <- SQShadeMask(\"b\"); ::b.create();"
                         "::a.setSurface(\"b\");"
                         "::c <- SQDisplacementMap(\"c\"); ::c.create(1.0, 1.0); ::c.setSurface(\"a\");"),
              "");
    // A shade mask has no setSurface of its own: bind it to the first map from the engine side.
    mask("b")->getMask()->setSurface(map("a")->getMap());
    for (int i = 0; i < 2; ++i)
    {
        frame();
        EXPECT_EQ(count("clearTexture(displacement, ff808080)"), 2u);
        EXPECT_EQ(count("clearTexture(shade, ffff0000)"), 1u);
        EXPECT_EQ(map("a")->getMap()->passCount, 1u);
        EXPECT_EQ(map("c")->getMap()->passCount, 1u);
        EXPECT_EQ(mask("b")->getMask()->passCount, 1u);
    }
    // Drawn once more in the same frame, the map is not filled again.
    map("a")->draw();
    EXPECT_EQ(map("a")->getMap()->passCount, 1u);
}

TEST_F(EffectMapScriptTest, SpritesTargetsAndTextsNameTheMap)
{
    ASSERT_EQ(runSnippet("::m <- SQDisplacementMap(\"m\"); ::m.create(4.0, 4.0);"
                         "::s <- SQSprite(\"s\"); ::s.create(\"image/a.png\", -1, 0, 0, 0);"
                         "::rt <- SQSpriteRenderTarget(\"rt\"); ::rt.create(32, 32, 0);"
                         "::t <- SQText(\"t\"); ::fresh <- SQSprite(\"fresh\");"
                         "::s.setDisplacementMap(\"m\"); ::rt.setDisplacementMap(\"m\"); ::t.setDisplacementMap(\"m\");"
                         "::fresh.setDisplacementMap(\"m\");"),
              "");
    CSpriteDisplacementMap* engine = map("m")->getMap();
    CSprite* sprite = binding<SQSprite>("s")->getEngineObject();
    EXPECT_EQ(sprite->getDisplacementMap(), engine);
    EXPECT_EQ(binding<SQSpriteRenderTarget>("rt")->getTarget()->getDisplacementMap(), engine);
    EXPECT_EQ(binding<Orvane::Squirrel::SQText>("t")->getEngineObject()->displacementMap, engine);
    EXPECT_EQ(binding<SQSprite>("fresh")->getEngineObject()->getDisplacementMap(), nullptr);

    // Names of other kinds, or of nothing, clear the setting.
    for (const char* name : {"rt", "s", "nothing", ""})
    {
        ASSERT_EQ(runSnippet("::s.setDisplacementMap(\"m\"); ::s.setDisplacementMap(\"" + std::string(name) + "\");"
                             "::t.setDisplacementMap(\"" + name + "\");"),
                  "");
        EXPECT_EQ(sprite->getDisplacementMap(), nullptr) << name;
        EXPECT_EQ(binding<Orvane::Squirrel::SQText>("t")->getEngineObject()->displacementMap, nullptr) << name;
    }
}

TEST_F(EffectMapScriptTest, AShadeMaskForwardsShadingAndIsRenderedButNotDrawnWhileErased)
{
    ASSERT_EQ(runSnippet("::s <- SQShadeMask(\"s\"); ::s.create(); ::s.setShadingPower(2.0, 0, 0);"
                         "::s.setShadingParameter(3, 0.75);"),
              "");
    CSprite* inner = mask("s")->getMask()->getInnerSprite();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->getShadingPower(), 1.0f);
    EXPECT_EQ(eval("::s.getShadingLevel() + \",\" + ::s.getShadingDensity() + \",\" + ::s.getShadingPower()"),
              "3,0.75,0");

    ASSERT_EQ(runSnippet("::s.setShadingPower(0.0, 64, 0);"), "");
    frame();
    frame();
    EXPECT_GT(inner->getShadingPower(), 0.0f);
    EXPECT_LT(inner->getShadingPower(), 1.0f);
    for (int i = 0; i < 4; ++i)
        frame();
    EXPECT_EQ(inner->getShadingPower(), 0.0f);

    EXPECT_EQ(count("copyRenderTarget((unnamed))"), 1u);
    ASSERT_EQ(runSnippet("::s.setErase(1);"), "");
    frame();
    EXPECT_EQ(count("copyRenderTarget((unnamed))"), 0u);
    EXPECT_EQ(count("clearTexture(shade, ffff0000)"), 1u);
}

// ---- Pictures over the real device

constexpr int Width = 320;
constexpr int Height = 240;
constexpr uint32_t Black = 0xFF000000u;

int channelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

class EffectMapRenderTest : public EffectMapFixture
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
        writeFile("image/stripes.png", stripesPng());
        startTask();
    }
    void TearDown() override
    {
        EffectMapFixture::TearDown();
    }

    // 96 x 64, opaque: red rises by 2 every pixel to the right, green by 3 every row down, blue 0x40.
    std::vector<uint8_t> stripesPng()
    {
        std::vector<uint32_t> pixels(96 * 64);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 96; ++x)
                pixels[y * 96 + x] = 0xFF000000u | (x * 2) << 16 | (y * 3) << 8 | 0x40u;
        EXPECT_TRUE(Kavro::WritePng(dir.file("stripes.png"), 96, 64, pixels.data()));
        return dir.read("stripes.png");
    }
    // One frame as the application draws it, read back (and kept as a PNG under ORVANE_SPRITE_PNG_DIR).
    std::vector<uint32_t> drawFrame(const std::string& label)
    {
        EXPECT_EQ(device->beginFrame(), 0);
        const uint32_t black = Black;
        device->clear(1, &black);
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
        std::vector<uint32_t> pixels(size_t(Width) * Height);
        EXPECT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_SPRITE_PNG_DIR"))
            Kavro::WritePng(std::string(keep) + "/maps_" + label + ".png", Width, Height, pixels.data());
        task->updateObjects();
        device->endFrame();
        return pixels;
    }
    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[size_t(y) * Width + x]; }

    Kavro::IRenderDevice* device = nullptr;
};

// The stripes at (40, 30); the map is full red and green over the left part of the picture only, with a
// scale of (8, 4): there each pixel shows the texel 8 to the right and 4 below, elsewhere nothing moves.
TEST_F(EffectMapRenderTest, ADisplacementMapMovesTheSpriteByItsColour)
{
    ASSERT_EQ(runSnippet("::s <- SQSprite(\"s\"); ::s.create(\"image/stripes.png\", -1, 0, 0, 0);"
                         "::s.move(40.0, 30.0, 0, 0);"),
              "");
    const std::vector<uint32_t> plain = drawFrame("plain");
    ASSERT_EQ(at(plain, 41, 31), 0xFF000340u | 2u << 16);

    ASSERT_EQ(runSnippet("::m <- SQDisplacementMap(\"m\"); ::m.create(8.0, 4.0);"
                         "::f <- SQSprite(\"f\"); ::f.createColor(80, 240, 1.0, 1.0, 0.0); ::f.setSurface(\"m\");"
                         "::s.setDisplacementMap(\"m\");"),
              "");
    const std::vector<uint32_t> moved = drawFrame("displaced");
    for (int y = 32; y < 80; y += 7)
    {
        for (int x = 42; x < 78; x += 5)
            EXPECT_LE(channelDistance(at(moved, x, y), at(plain, x + 8, y + 4)), 1) << x << "," << y;
        for (int x = 82; x < 134; x += 5)
            EXPECT_LE(channelDistance(at(moved, x, y), at(plain, x, y)), 1) << x << "," << y;
    }
    // The sprite's own outline does not move.
    EXPECT_EQ(at(moved, 39, 50), Black);
    EXPECT_NE(at(moved, 40, 50), Black);

    // Without the map the sprite is as before.
    ASSERT_EQ(runSnippet("::s.setDisplacementMap(\"\");"), "");
    EXPECT_EQ(drawFrame("undone"), plain);
}

// A warm background, a shade mask whose map is black under a square, and a green sprite drawn after the
// mask: the background is darkened to half under the square only; what is drawn after the mask is not.
TEST_F(EffectMapRenderTest, AShadeMaskShadesWhatLiesBelowIt)
{
    ASSERT_EQ(runSnippet("::bg <- SQSprite(\"bg\"); ::bg.createColor(320, 240, 0.8, 0.6, 0.4);"
                         "::sm <- SQShadeMask(\"sm\"); ::sm.create(); ::sm.setPriority(5);"
                         "::sm.setShadingPower(1.0, 0, 0);"
                         "::dark <- SQSprite(\"dark\"); ::dark.createColor(100, 80, 0.0, 0.0, 0.0);"
                         "::dark.move(50.0, 40.0, 0, 0); ::dark.setSurface(\"sm\");"
                         "::top <- SQSprite(\"top\"); ::top.createColor(20, 20, 0.0, 1.0, 0.0);"
                         "::top.move(60.0, 50.0, 0, 0); ::top.setPriority(10);"),
              "");
    const std::vector<uint32_t> pixels = drawFrame("shaded");
    const uint32_t background = 0xFFCC9966u;
    EXPECT_LE(channelDistance(at(pixels, 200, 150), background), 1);
    EXPECT_LE(channelDistance(at(pixels, 49, 60), background), 1);
    EXPECT_LE(channelDistance(at(pixels, 100, 100), 0xFF664C33u), 2);
    EXPECT_LE(channelDistance(at(pixels, 149, 119), 0xFF664C33u), 2);
    EXPECT_LE(channelDistance(at(pixels, 150, 60), background), 1);
    EXPECT_EQ(at(pixels, 65, 55), 0xFF00FF00u);

    // No power, no shade.
    ASSERT_EQ(runSnippet("::sm.setShadingPower(0.0, 0, 0);"), "");
    const std::vector<uint32_t> unshaded = drawFrame("unshaded");
    EXPECT_LE(channelDistance(at(unshaded, 100, 100), background), 1);
}

} // namespace
