// The script class "SQSprite" through the script host, over the real render device drawing headless.
#include "ScriptHostFixture.h"

#include "core/CTask.h"
#include "core/CTextureWacher.h"
#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "sprite/CNullSpriteMask.h"
#include "sprite/Squirrel/SQSprite.h"
#include "support/FakeTaskObjects.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ITexture.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Orvane::Squirrel::SQSprite;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;

class SpriteScriptTest : public ScriptHostFixture
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
        task = new TestTask(log, "MAIN");
        app->taskStack.push_back(task);
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

    SQSprite* binding(const std::string& name) const
    {
        return dynamic_cast<SQSprite*>(task->findTaskObject(name));
    }
    // The results a vector query left in SQMATH_RET_1 .. count, comma separated.
    std::string results(int count)
    {
        std::string expression = "SQMATH_RET_1";
        for (int i = 2; i <= count; ++i)
            expression += " + \",\" + SQMATH_RET_" + std::to_string(i);
        return eval(expression);
    }
    // One frame of the task's objects on black, read back as 0xAARRGGBB.
    std::vector<uint32_t> drawFrame()
    {
        EXPECT_EQ(device->beginFrame(), 0);
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        task->updateWorldMatrix();
        for (const auto& record : task->getRenderingObjects())
            record.object->render();
        for (const auto& record : task->getRenderingObjects())
        {
            if (record.object->drawsOnBackSurface()) record.object->drawOnBackSurface();
            record.object->draw();
        }
        std::vector<uint32_t> pixels(size_t(Width) * Height);
        EXPECT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        device->endFrame();
        return pixels;
    }
    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y)
    {
        return pixels[size_t(y) * Width + x];
    }

    CallLog log;
    Kavro::IRenderDevice* device = nullptr;
    TestTask* task = nullptr;
};

TEST_F(SpriteScriptTest, FreshAndFailedSpritesAreNullObjects)
{
    ASSERT_EQ(runSnippet("::s <- SQSprite(\"s\");"), "");
    EXPECT_EQ(binding("s")->getEngineObject()->isNull(), 1);
    EXPECT_EQ(eval("::s.getFade() + \",\" + ::s.isFading() + \",\" + ::s.isPaused()"), "1,0,0");

    EXPECT_EQ(eval("::s.create(\"image/missing.png\", -1, 0, 0, 0)"), "-1");
    CSprite* left = binding("s")->getEngineObject();
    // A null mask stands in, which answers isNull as the mask it replaces.
    EXPECT_NE(dynamic_cast<CNullSpriteMask*>(left), nullptr);
    EXPECT_EQ(left->isNull(), 0);
    EXPECT_EQ(binding("s")->getFrame(), left);
    // The null object is the binding's alone: the task neither lists nor draws it.
    for (CTaskObject* object : task->getTaskObjects())
        EXPECT_NE(object, left);
    ASSERT_EQ(runSnippet("SQMATH_RET_3 = 9.0; SQMATH_RET_4 = 9.0; ::s.getSize();"), "");
    EXPECT_EQ(results(4), "0,0,0,0");
}

TEST_F(SpriteScriptTest, ColourSpriteHasTheTruncatedColourBytes)
{
    ASSERT_EQ(
        runSnippet(
            "::c <- SQSprite(\"c\"); ::made <- ::c.createColor(100, 50, 1.0, 0.5, 0.0); ::c.getSize();"),
        "");
    EXPECT_EQ(eval("::made"), "0");
    EXPECT_EQ(results(4), "100,50,0,0");
    const std::vector<uint32_t> pixels = drawFrame();
    EXPECT_EQ(at(pixels, 0, 0), 0xFFFF7F00u); // 255, 127, 0, 255
    EXPECT_EQ(at(pixels, 99, 49), 0xFFFF7F00u);
    EXPECT_EQ(at(pixels, 100, 10), 0xFF000000u);
    EXPECT_EQ(at(pixels, 10, 50), 0xFF000000u);
    // Erased, it is not drawn; its geometry still follows for hit tests.
    ASSERT_EQ(runSnippet("::c.setClickable(1, 0); ::c.setErase(1); ::c.move(50.0, 0.0, 0, 0);"), "");
    EXPECT_EQ(at(drawFrame(), 60, 10), 0xFF000000u);
    EXPECT_EQ(binding("c")->getEngineObject()->getVertex(0).x, 50.0f);
}

TEST_F(SpriteScriptTest, VectorQueriesFillTheResultGlobals)
{
    ASSERT_EQ(runSnippet("::c <- SQSprite(\"c\"); ::c.createColor(8, 8, 1.0, 1.0, 1.0);"
                         "::c.setColor(2, 0.25, 0.5, 0.75, 0, 0); ::c.move(10.0, 20.0, 0, 0);"),
              "");
    EXPECT_EQ(eval("typeof ::c.getColor(-1)"), "null");
    EXPECT_EQ(results(16), "1,1,1,1,1,1,1,1,0.25,0.5,0.75,1,1,1,1,1");
    ASSERT_EQ(runSnippet("::c.getColor(2);"), "");
    EXPECT_EQ(results(4), "0.25,0.5,0.75,1");
    ASSERT_EQ(runSnippet("SQMATH_RET_4 = 9.0; ::c.getMove();"), "");
    EXPECT_EQ(results(4), "10,20,0,0");
    ASSERT_EQ(runSnippet("::c.getColorBalance();"), "");
    EXPECT_EQ(eval("SQMATH_RET_4"), "1");
    ASSERT_EQ(runSnippet("SQMATH_RET_4 = 9.0; ::c.getRotate();"), "");
    EXPECT_EQ(eval("SQMATH_RET_4"), "0");
}

TEST_F(SpriteScriptTest, ArgumentsMustHaveTheirExactTypes)
{
    ASSERT_EQ(runSnippet("::s <- SQSprite(\"s\");"), "");
    const char* wrong[] = {"::s.fade(1, 0, 0)",
                           "::s.move(1.0, 2.0, 0.5, 0)",
                           "::s.create(5, -1, 0, 0, 0)",
                           "::s.createColor(1.0, 1, 1.0, 1.0, 1.0)",
                           "::s.link(3)",
                           "SQSprite(5)",
                           "::s.shake(1, null, 0, 0, 0, 0, 0)"};
    for (const char* call : wrong)
        EXPECT_EQ(eval(call), "error: Incorrect function argument") << call;
    EXPECT_EQ(eval("typeof ::s.shake(null, null, 10, 0, 100, 0, 0)"), "null");
}

TEST_F(SpriteScriptTest, LinkNeverClosesALoop)
{
    ASSERT_EQ(runSnippet("::a <- SQSprite(\"a\"); ::a.createColor(4, 4, 1.0, 1.0, 1.0);"
                         "::b <- SQSprite(\"b\"); ::b.createColor(4, 4, 1.0, 1.0, 1.0);"
                         "::b.link(\"a\");"),
              "");
    CSprite* a = binding("a")->getEngineObject();
    CSprite* b = binding("b")->getEngineObject();
    EXPECT_EQ(b->getParent(), a);
    ASSERT_EQ(runSnippet("::a.link(\"b\"); ::a.link(\"a\");"), "");
    EXPECT_EQ(a->getParent(), task);
    ASSERT_EQ(runSnippet("::b.link(\"nobody\");"), "");
    EXPECT_EQ(b->getParent(), task);
    ASSERT_EQ(runSnippet("::b.link(\"a\"); ::b.link(\"\");"), "");
    EXPECT_EQ(b->getParent(), task);
}

TEST_F(SpriteScriptTest, SplitActionTablesReadWithTheirDefaults)
{
    const struct
    {
        const char* table;
        float time;
        uint32_t velEnabled;
        Kavro::Vector3D dir, mask;
    } cases[] = {
        {"{ time = 1500, vel = 3 }", 1.5f, 1, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {"{ vel = { dir = { y = 2 } } }",
         0.0f,
         1,
         {1.0f / std::sqrt(5.0f), 2.0f / std::sqrt(5.0f), 0.0f},
         {1.0f, 1.0f, 1.0f}},
        {"{ time = \"soon\", acc = {} }", 0.0f, 0, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(runSnippet(std::string("::t <- ") + c.table + ";"), "") << c.table;
        SquirrelObject table = SquirrelVM::GetRootTable().GetValue("t");
        SplitActionDesc desc;
        ASSERT_TRUE(SQSprite::readSplitAction(table, desc)) << c.table;
        EXPECT_FLOAT_EQ(desc.time, c.time) << c.table;
        EXPECT_EQ(desc.vel.enabled, c.velEnabled) << c.table;
        EXPECT_NEAR(desc.vel.dir.x, c.dir.x, 1e-6f) << c.table;
        EXPECT_NEAR(desc.vel.dir.y, c.dir.y, 1e-6f) << c.table;
        EXPECT_EQ(desc.vel.mask.x, c.mask.x) << c.table;
    }
    ASSERT_EQ(
        runSnippet(
            "::t <- { acc = { dist_edge = { side = 3 }, inv = true, aspect = 2.7, rand_min = { z = 4 } },"
            "  delay = { rand_max = 5, mask = 0.5 }, seed = 7.9 };"),
        "");
    SplitActionDesc desc;
    ASSERT_TRUE(SQSprite::readSplitAction(SquirrelVM::GetRootTable().GetValue("t"), desc));
    EXPECT_EQ(desc.seed, 7);
    EXPECT_EQ(desc.acc.distEdge.x, 1.0f);
    EXPECT_EQ(desc.acc.distEdge.y, 3.0f);
    EXPECT_EQ(desc.acc.inv, 1);
    EXPECT_EQ(desc.acc.aspect, 2);
    EXPECT_EQ(desc.acc.randMin.z, 4.0f);
    EXPECT_EQ(desc.delay.enabled, 1u);
    EXPECT_EQ(desc.delay.randMax, 5.0f);
    EXPECT_EQ(desc.delay.mask, 0.5f);
    EXPECT_EQ(desc.angVel.enabled, 0u);
    EXPECT_EQ(eval("SQSprite(\"x\").pushSplitAction(5)"), "-1");
}

TEST_F(SpriteScriptTest, CaptureSwitchActsOnlyOnCaptureSprites)
{
    ASSERT_EQ(runSnippet("::p <- SQSprite(\"p\"); ::p.createColor(4, 4, 1.0, 1.0, 1.0);"
                         "::p.setCapture(1); ::p.stop(); ::p.pause();"
                         "::cap <- SQSprite(\"cap\"); ::made <- ::cap.createScreen(-1, 0, 0, 0);"),
              "");
    EXPECT_EQ(eval("::p.isPaused() + \",\" + ::p.isCaptureEnabled()"), "0,0");
    EXPECT_EQ(eval("::made"), "0");
    Kavro::ITexture* texture = binding("cap")->getEngineObject()->getTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_STREQ(texture->getFileName(), "suf://cap");
    EXPECT_EQ(texture->getSize()[0], Width);
    EXPECT_EQ(texture->getSize()[1], Height);
    EXPECT_EQ(eval("::cap.isCaptureEnabled() + \",\" + ::cap.isPaused()"), "1,0");
    ASSERT_EQ(runSnippet("::cap.setCapture(0);"), "");
    EXPECT_EQ(eval("::cap.isCaptureEnabled() + \",\" + ::cap.isPaused() + \",\" + ::cap.getDurationTime()"),
              "0,1,0");
    ASSERT_EQ(runSnippet("::cap.onResume();"), "");
    EXPECT_EQ(eval("::cap.isCaptureEnabled()"), "1");
    ASSERT_EQ(runSnippet("::cap.pause(); ::cap.play(0);"), "");
    EXPECT_EQ(eval("::cap.isCaptureEnabled()"), "1");
    // A scene capture fills its texture in its own draw step, not in the back surface's pass.
    ASSERT_EQ(runSnippet("::scn <- SQSprite(\"scn\"); ::made <- ::scn.createScene(-1, 0, 0, 0);"), "");
    EXPECT_EQ(eval("::made + \",\" + ::scn.isCaptureEnabled()"), "0,1");
    SQSprite* scene = binding("scn");
    EXPECT_STREQ(scene->getEngineObject()->getTexture()->getFileName(), "suf://scn");
    EXPECT_EQ(scene->isSceneCapture(), 1u);
    EXPECT_EQ(scene->isScreenCapture(), 0u);
    EXPECT_EQ(scene->drawsOnBackSurface(), 0);
    EXPECT_EQ(binding("cap")->drawsOnBackSurface(), 1);
}

TEST_F(SpriteScriptTest, ScreenCaptureShowsWhatWasDrawnBeforeIt)
{
    // A red square at the origin; the capture sprite (after it) copies the screen and shows it moved
    // right by 100 pixels.
    ASSERT_EQ(runSnippet("::r <- SQSprite(\"r\"); ::r.createColor(20, 20, 1.0, 0.0, 0.0);"
                         "::cap <- SQSprite(\"cap\"); ::cap.createScreen(-1, 0, 0, 0);"
                         "::cap.move(100.0, 0.0, 0, 0);"),
              "");
    const std::vector<uint32_t> pixels = drawFrame();
    EXPECT_EQ(at(pixels, 5, 5), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, 105, 5), 0xFFFF0000u);
    EXPECT_EQ(at(pixels, 125, 5), 0xFF000000u);

    // Capture off: the texture keeps what it had, though the red square moves away.
    ASSERT_EQ(runSnippet("::cap.setCapture(0); ::r.move(0.0, 100.0, 0, 0);"), "");
    binding("r")->getEngineObject()->update();
    const std::vector<uint32_t> later = drawFrame();
    EXPECT_EQ(at(later, 105, 5), 0xFFFF0000u);
    EXPECT_EQ(at(later, 5, 105), 0xFFFF0000u);
}

TEST_F(SpriteScriptTest, RecordOfACaptureSpriteWithCaptureOffRestoresItsPixels)
{
    ASSERT_EQ(runSnippet("::cap <- SQSprite(\"cap\"); ::cap.createScreen(-1, 0, 0, 0); ::cap.setCapture(0);"
                         "::plain <- SQSprite(\"plain\"); ::plain.createColor(4, 4, 1.0, 1.0, 1.0);"),
              "");
    Kavro::ITexture* texture = binding("cap")->getEngineObject()->getTexture();
    ASSERT_NE(texture, nullptr);
    const uint32_t green = 0xFF00FF00u, blue = 0xFF0000FFu;
    ASSERT_EQ(device->clearTexture(texture, green), 0);
    ASSERT_EQ(runSnippet("::f <- SQFile(\"save\"); ::f.open(\"state.bin\", 1, 0);"
                         "::w1 <- ::cap.serialize(\"save\"); ::w2 <- ::plain.serialize(\"save\");"
                         "::w3 <- ::cap.serialize(\"save\"); ::f.open(\"state.bin\", 0, 0);"),
              "");
    EXPECT_EQ(eval("::w1 + \",\" + ::w2 + \",\" + ::w3"), "1,1,1");
    ASSERT_EQ(device->clearTexture(texture, blue), 0);
    // A capture sprite takes its pixels back; a sprite made by create skips them; a sprite that is not a
    // capture sprite reads the plain record.
    EXPECT_EQ(
        eval("::cap.deserialize(\"save\") + \",\" + ::plain.deserialize(\"save\") + \",\" + "
             "::plain.deserialize(\"save\") + \",\" + ::f.getFilePosition() + \",\" + ::f.getFileSize()"),
        "1,1,1," + eval("::f.getFileSize()") + "," + eval("::f.getFileSize()"));
    std::vector<uint32_t> pixels(size_t(Width) * Height);
    ASSERT_EQ(texture->readPixels(pixels.data()), 1);
    EXPECT_EQ(pixels[0], green);
    EXPECT_EQ(pixels[size_t(Width) * Height - 1], green);
    // A truncated record fails and leaves the reader at the file's end.
    const std::vector<uint8_t> whole = dir.read("state.bin");
    writeFile("short.bin", std::vector<uint8_t>(whole.begin(), whole.begin() + 200));
    ASSERT_EQ(runSnippet("::f.open(\"short.bin\", 0, 0);"), "");
    EXPECT_EQ(eval("::cap.deserialize(\"save\")"), "0");
}

} // namespace

namespace
{

TEST_F(SpriteScriptTest, BlurDrawsTheSpriteWithItsGhost)
{
    // Two slots 100 ms apart: in single precision the history keeps 11 frames and slot 1 shows the
    // sprite 5 frames back.
    ASSERT_EQ(runSnippet("::c <- SQSprite(\"c\"); ::c.createColor(10, 10, 1.0, 1.0, 1.0);"
                         "::c.setBlur(1, 2, 0.5, 100, 1);"),
              "");
    std::vector<uint32_t> pixels;
    for (int frame = 0; frame <= 12; ++frame)
    {
        ASSERT_EQ(runSnippet("::c.move(" + std::to_string(20 * frame) + ".0, 0.0, 0, 0);"), "");
        pixels = drawFrame();
    }
    EXPECT_EQ(at(pixels, 245, 5), 0xFFFFFFFFu);
    const uint32_t ghost = at(pixels, 145, 5);
    EXPECT_NEAR(int(ghost & 0xFF), 127, 2);
    EXPECT_EQ(at(pixels, 125, 5), 0xFF000000u);
    EXPECT_EQ(at(pixels, 185, 5), 0xFF000000u);
}

// A picture 22 pixels wide (red, then green from column 11) moving 4 pixels a frame with four slots
// 100 ms apart: the ghost 5 frames back lies 20 pixels behind and overlaps the picture by 2 pixels.
// Drawn first, it is covered there; drawn last, it tints the picture.
TEST_F(SpriteScriptTest, BlurGhostsLieUnderThePictureOrOverIt)
{
    constexpr uint32_t red = 0xFFE00000u, green = 0xFF00C000u;
    std::vector<uint32_t> picture(22 * 8);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = i % 22 < 11 ? red : green;
    ASSERT_TRUE(Kavro::WritePng(dir.file("picture.png"), 22, 8, picture.data()));
    writeFile("image/picture.png", dir.read("picture.png"));
    const auto near = [](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 32; shift += 8)
            if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
        return true;
    };
    for (int drawOrder : {1, 0})
    {
        ASSERT_EQ(runSnippet("::c <- SQSprite(\"c\"); ::c.create(\"image/picture.png\", -1, 0, 0, 0);"
                             "::c.setBlur(1, 4, 0.5, 100, " + std::to_string(drawOrder) + ");"),
                  "");
        std::vector<uint32_t> pixels;
        for (int frame = 0; frame < 30; ++frame)
        {
            ASSERT_EQ(runSnippet("::c.move(" + std::to_string(4 * frame) + ".0, 20.0, 0, 0);"), "");
            pixels = drawFrame();
        }
        // The picture at x 116; ghosts at 96, 72 and 48, at half strength on black.
        EXPECT_EQ(at(pixels, 120, 24), red) << drawOrder;
        for (int x : {100, 76, 52})
            EXPECT_PRED2(near, at(pixels, x, 24), 0xFF700000u) << drawOrder << " " << x;
        for (int x : {94, 70, 44})
            EXPECT_EQ(at(pixels, x, 24), 0xFF000000u) << drawOrder << " " << x;
        // Where the nearest ghost's green end meets the picture's red start.
        if (drawOrder)
            EXPECT_EQ(at(pixels, 117, 24), red);
        else
            EXPECT_PRED2(near, at(pixels, 117, 24), 0xFF706000u);
    }
}

} // namespace

namespace
{

class CountingCallback : public CTextureWacher::ICallback
{
public:
    void onTextureNotify() override { ++calls; }
    int calls = 0;
};

TEST_F(SpriteScriptTest, ReleasingACaptureSpriteTellsTheWatchersOfItsTexture)
{
    ASSERT_EQ(runSnippet("::cap <- SQSprite(\"cap\"); ::cap.createScreen(-1, 0, 0, 0);"), "");
    auto* callback = new CountingCallback;
    ASSERT_EQ(app->textureWatcher->addCallback("suf://cap", callback), 1);
    ASSERT_EQ(runSnippet("::cap <- null;"), "");
    EXPECT_EQ(callback->calls, 1);
    EXPECT_FALSE(app->textureWatcher->isWatched("suf://cap"));
    callback->release();
}

} // namespace

namespace
{

TEST_F(SpriteScriptTest, OnlyAMaskMasks)
{
    // "m" holds the null mask a failed creation leaves; "p" is a plain sprite.
    ASSERT_EQ(runSnippet("::a <- SQSprite(\"a\"); ::a.createColor(8, 8, 1.0, 1.0, 1.0);"
                         "::p <- SQSprite(\"p\"); ::p.createColor(8, 8, 1.0, 1.0, 1.0);"
                         "::m <- SQSprite(\"m\"); ::m.create(\"image/missing.png\", -1, 0, 0, 0);"
                         "::a.setMask(\"m\");"),
              "");
    CSprite* a = binding("a")->getEngineObject();
    EXPECT_EQ(a->getMask(), binding("m")->getEngineObject());
    ASSERT_EQ(runSnippet("::a.setMask(\"p\");"), "");
    EXPECT_EQ(a->getMask(), nullptr);
    ASSERT_EQ(runSnippet("::a.setMask(\"m\"); ::a.setMask(\"nobody\");"), "");
    EXPECT_EQ(a->getMask(), nullptr);
}

} // namespace

namespace
{

TEST_F(SpriteScriptTest, EffectMethodsReachTheEngineSprite)
{
    const std::vector<uint32_t> grey(16 * 16, 0xFF808080u);
    std::filesystem::create_directories(dir.path() / "image");
    ASSERT_TRUE(Kavro::WritePng(dir.file("image/rule.png"), 16, 16, grey.data()));
    ASSERT_EQ(runSnippet("::c <- SQSprite(\"c\"); ::c.create(\"image/rule.png\", -1, 0, 0, 0);"
                         "::c.setColorHue(0.5, 0, 0); ::c.setMonochromePower(0.25, 0, 0);"
                         "::c.setColorLevel(0.25, 0.75, 1.0, 0.0, 0); ::c.setRipplePhase(2.0);"
                         "::c.transition(0.0, 1.0, 0.1, \"image/rule.png\", 1000, 0);"),
              "");
    EXPECT_EQ(
        eval(
            "::c.getColorHue() + \",\" + ::c.getMonochromePower() + \",\" + ::c.getColorLevelMin() + \",\" + "
            "::c.getColorLevelMax() + \",\" + ::c.getRipplePhase()"),
        "0.5,0.25,0.25,0.75,2");
    EXPECT_EQ(eval("::c.isTransitioning() + \" \" + ::c.getTransitionFilename()"), "1 image/rule.png");
}

} // namespace

TEST_F(SpriteScriptTest, DestroyingTheCaptureUsedAsATransitionRuleClearsTheRule)
{
    ASSERT_EQ(runSnippet("::cap <- SQSprite(\"cap\"); ::cap.createScreen(-1, 0, 0, 0);"
                         "::s <- SQSprite(\"s\"); ::s.createColor(20, 20, 1.0, 1.0, 1.0);"),
              "");
    Kavro::ITexture* surface = binding("cap")->getEngineObject()->getTexture();
    ASSERT_NE(surface, nullptr);
    ASSERT_NE(surface->getFileName(), nullptr);
    const std::string rule = surface->getFileName();
    ASSERT_EQ(runSnippet("::s.transition(0.0, 1.0, 0.1, \"" + rule + "\", 1000, 0);"), "");
    EXPECT_EQ(eval("::s.getTransitionFilename()"), rule);
    drawFrame();

    ASSERT_EQ(runSnippet("::cap = null;"), "");
    EXPECT_EQ(eval("::s.getTransitionFilename()"), "");
    EXPECT_EQ(binding("s")->getEngineObject()->transitionMask, nullptr);
    drawFrame();
}
