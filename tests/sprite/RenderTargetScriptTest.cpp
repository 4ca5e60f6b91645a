// The script class "SQSpriteRenderTarget" through the script host, in the main task's frame loop over
// the real render device drawing headless, frames read back.
#include "ScriptHostFixture.h"

#include "core/CTaskMain.h"
#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "sprite/Squirrel/SQSpriteRenderTarget.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Orvane::Squirrel::SQSpriteRenderTarget;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;
constexpr uint32_t Black = 0xFF000000u;
constexpr uint32_t Red = 0xFFFF0000u;
constexpr uint32_t Green = 0xFF00FF00u;

int channelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

class RenderTargetScriptTest : public ScriptHostFixture
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
        task = new CTaskMain;
        app->taskStack.push_back(task);
        task->initialize();
        writeFile("media/script/main.nut", "while (true) Suspend();\n");
        writeFile("image/gradient.png", gradientPng());
        startHost();
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        if (task) task->release();
        ScriptHostFixture::TearDown();
    }

    // 64 x 64: red rising to the right, blue downwards, alpha from 64 at the left to 255 at the right.
    std::vector<uint8_t> gradientPng()
    {
        std::vector<uint32_t> pixels(64 * 64);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                pixels[y * 64 + x] = (64 + x * 3) << 24 | (x * 4) << 16 | 0x40u << 8 | y * 4;
        const std::string path = dir.file("gradient.png");
        EXPECT_TRUE(Kavro::WritePng(path, 64, 64, pixels.data()));
        return dir.read("gradient.png");
    }

    SQSpriteRenderTarget* binding(const std::string& name) const
    {
        return dynamic_cast<SQSpriteRenderTarget*>(task->findTaskObject(name));
    }
    CSpriteRenderTarget* targetOf(const std::string& name) const { return binding(name)->getTarget(); }
    // Lets a script sprite's motion set at once take effect before the next frame.
    void settle(const std::string& name) const
    {
        dynamic_cast<Orvane::Squirrel::SQSprite*>(task->findTaskObject(name))->getEngineObject()->update();
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
        const uint32_t black = Black;
        device->clear(1, &black);
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
        std::vector<uint32_t> pixels(size_t(Width) * Height);
        EXPECT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_SPRITE_PNG_DIR"))
        {
            std::string path = keep;
            path += "/rt_";
            path += ::testing::UnitTest::GetInstance()->current_test_info()->name();
            path += "_" + std::to_string(frames++) + ".png";
            Kavro::WritePng(path, Width, Height, pixels.data());
        }
        task->updateObjects();
        device->endFrame();
        return pixels;
    }
    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[size_t(y) * Width + x]; }
    // The largest channel difference over a rectangle of two frames.
    static int worstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x0, int y0, int w,
                               int h)
    {
        int worst = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                worst = std::max(worst, channelDistance(at(a, x, y), at(b, x, y)));
        return worst;
    }

    Kavro::IRenderDevice* device = nullptr;
    CTaskMain* task = nullptr;
    int frames = 0;
};

TEST_F(RenderTargetScriptTest, FreshObjectActsOnTheBackSurfaceWithItsMethodTable)
{
    ASSERT_EQ(runSnippet("::rt <- SQSpriteRenderTarget(\"rt\");"), "");
    EXPECT_EQ(eval("::rt.isCaptureEnabled() + \",\" + ::rt.isPaused() + \",\" + ::rt.isDelayedRendering()"),
              "1,0,0");
    ASSERT_EQ(runSnippet("SQMATH_RET_1 = 9.0; ::rt.getSize();"), "");
    EXPECT_EQ(results(4), "0,0,0,0");
    EXPECT_EQ(targetOf("rt"), task->getBackSurface());
    EXPECT_EQ(eval("::rt.saveImage(\"x.png\", 8, 8, 0)"), "-1");
    EXPECT_EQ(eval("::rt.createCustomEffect(\"glow\", { power = 1.0 }) + \",\" + ::rt.setCustomEffectParameter(null)"),
              "-1,-1");

    // Every name of the table, and only those, in the class.
    std::string names = "::expected <- [";
    for (const char* name : SQSpriteRenderTarget::methodNames())
        names += std::string("\"") + name + "\",";
    ASSERT_EQ(runSnippet(names + "];"), "");
    EXPECT_EQ(eval("::expected.len() + 10"), "179");
    ASSERT_EQ(runSnippet("::missing <- \"\"; foreach (n in ::expected) if (!(n in SQSpriteRenderTarget) || "
                         "typeof SQSpriteRenderTarget[n] != \"function\") ::missing += n + \" \";"),
              "");
    EXPECT_EQ(eval("::missing"), "");
    for (const char* absent : {"createColor", "setClickable", "isOver", "getVolumeTimer", "createScreen"})
        EXPECT_EQ(eval(std::string("\"") + absent + "\" in SQSpriteRenderTarget"), "false") << absent;
}

TEST_F(RenderTargetScriptTest, CreateMakesANamedSurfaceAndSetSurfaceRefusesItsOwnName)
{
    ASSERT_EQ(runSnippet("::rt <- SQSpriteRenderTarget(\"rt\"); ::made <- ::rt.create(128, 64, 0); ::rt.getSize();"
                         "::other <- SQSpriteRenderTarget(\"other\"); ::other.create(32, 32, 0);"),
              "");
    EXPECT_EQ(eval("::made"), "0");
    EXPECT_EQ(results(4), "128,64,0,0");
    CSpriteRenderTarget* rt = targetOf("rt");
    ASSERT_NE(rt->getTexture(), nullptr);
    EXPECT_STREQ(rt->getTexture()->getFileName(), "suf://rt");
    // The binding drives the target: the task neither updates nor draws it on its own.
    for (CTaskObject* object : task->getTaskObjects())
        EXPECT_NE(object, static_cast<CTaskObject*>(rt));

    ASSERT_EQ(runSnippet("::rt.setSurface(\"other\");"), "");
    EXPECT_EQ(rt->getOwnSurface(), targetOf("other"));
    ASSERT_EQ(runSnippet("::rt.setSurface(\"rt\");"), "");
    EXPECT_EQ(rt->getOwnSurface(), targetOf("other"));
    ASSERT_EQ(runSnippet("::rt.setSurface(\"\");"), "");
    EXPECT_EQ(rt->getOwnSurface(), nullptr);
}

// Two sprites (a translucent gradient image and a half-faded colour square over it) drawn straight onto
// the screen, then into a 256 x 256 target shown untransformed at the same place: the same pixels.
TEST_F(RenderTargetScriptTest, AnUntransformedTargetShowsWhatItsSpritesShowOnScreen)
{
    const std::string sprites = "::a <- SQSprite(\"a\"); ::a.create(\"image/gradient.png\", -1, 0, 0, 0);"
                                "::a.move(40.0, 30.0, 0, 0);"
                                "::b <- SQSprite(\"b\"); ::b.createColor(80, 50, 0.2, 0.9, 0.4);"
                                "::b.fade(0.5, 0, 0); ::b.move(70.0, 60.0, 0, 0); ::b.setPriority(1);";
    ASSERT_EQ(runSnippet(sprites), "");
    ASSERT_EQ(runSnippet("::a.move(72.0, 46.0, 0, 0); ::b.move(102.0, 76.0, 0, 0);"), "");
    const std::vector<uint32_t> direct = drawFrame();

    ASSERT_EQ(runSnippet("::a.move(40.0, 30.0, 0, 0); ::b.move(70.0, 60.0, 0, 0);"
                         "::rt <- SQSpriteRenderTarget(\"rt\"); ::rt.create(256, 256, 0); ::rt.move(32.0, 16.0, 0, 0);"
                         "::rt.setPriority(5); ::a.setSurface(\"rt\"); ::b.setSurface(\"rt\");"),
              "");
    const std::vector<uint32_t> viaTarget = drawFrame();
    EXPECT_LE(worstDifference(direct, viaTarget, 0, 0, Width, Height), 1);
    EXPECT_NE(at(viaTarget, 110, 80), Black); // the overlap really is drawn

    // Turned by 90 degrees about its centre (160, 144), the square's corner (102, 76) goes to (228, 86).
    ASSERT_EQ(runSnippet("::rt.rotate(0.0, 0.0, 90.0, 0, 0);"), "");
    settle("rt");
    const std::vector<uint32_t> turned = drawFrame();
    EXPECT_LE(channelDistance(at(turned, 160, 144), at(viaTarget, 160, 144)), 1);
    EXPECT_LE(channelDistance(at(turned, 226, 88), at(viaTarget, 104, 78)), 2);
    EXPECT_EQ(at(turned, 104, 78), Black);
}

TEST_F(RenderTargetScriptTest, CaptureShowsWhatLiesBelowAndCopyMirrorsAnotherTarget)
{
    ASSERT_EQ(runSnippet("::r <- SQSprite(\"r\"); ::r.createColor(20, 20, 1.0, 0.0, 0.0);"
                         "::cap <- SQSpriteRenderTarget(\"cap\"); ::cap.create(320, 240, 1); ::cap.setPriority(10);"
                         "::cap.move(100.0, 0.0, 0, 0);"
                         "::src <- SQSpriteRenderTarget(\"src\"); ::src.create(32, 32, 0); ::src.setErase(1);"
                         "::g <- SQSprite(\"g\"); ::g.createColor(32, 32, 0.0, 1.0, 0.0); ::g.setSurface(\"src\");"
                         "::copy <- SQSpriteRenderTarget(\"copy\"); ::copy.create(16, 16, 0);"
                         "::copy.move(200.0, 150.0, 0, 0); ::copy.setCopyTarget(\"src\");"),
              "");
    EXPECT_EQ(targetOf("copy")->suspended, 1u);
    const std::vector<uint32_t> pixels = drawFrame();
    EXPECT_EQ(at(pixels, 5, 5), Red);
    EXPECT_EQ(at(pixels, 105, 5), Red);   // the capture of the square
    EXPECT_EQ(at(pixels, 125, 5), Black);
    EXPECT_EQ(at(pixels, 207, 157), Green); // the copy of the green target, scaled to 16 x 16
    EXPECT_EQ(at(pixels, 220, 157), Black);

    // Stopped, the capture keeps its picture though the square moves.
    ASSERT_EQ(runSnippet("::cap.stop(); ::r.move(0.0, 100.0, 0, 0);"), "");
    settle("r");
    EXPECT_EQ(eval("::cap.isPaused()"), "1");
    const std::vector<uint32_t> later = drawFrame();
    EXPECT_EQ(at(later, 105, 5), Red);
    EXPECT_EQ(at(later, 5, 105), Red);
}

TEST_F(RenderTargetScriptTest, DelayedAndOffScreenTargetsAreRenderedOnlyWhenTheyMust)
{
    ASSERT_EQ(runSnippet("::late <- SQSpriteRenderTarget(\"late\"); ::late.create(32, 32, 0);"
                         "::late.setDelayRendering(1); ::late.setPriority(3);"
                         "::g <- SQSprite(\"g\"); ::g.createColor(32, 32, 0.0, 1.0, 0.0); ::g.setSurface(\"late\");"
                         // A screen capture above it draws the late target's binding a second time.
                         "::cap <- SQSpriteRenderTarget(\"cap\"); ::cap.create(320, 240, 1); ::cap.setPriority(9);"
                         "::cap.move(0.0, 100.0, 0, 0);"),
              "");
    EXPECT_EQ(eval("::late.isDelayedRendering()"), "1");
    const std::vector<uint32_t> pixels = drawFrame();
    EXPECT_EQ(targetOf("late")->passCount, 1u);
    EXPECT_EQ(targetOf("cap")->passCount, 1u);
    EXPECT_EQ(at(pixels, 10, 10), Green);
    EXPECT_EQ(at(pixels, 10, 110), Green);

    // Wholly off the screen, the capture rectangle has nothing beneath it: no pass that frame.
    ASSERT_EQ(runSnippet("::cap.move(-400.0, 0.0, 0, 0);"), "");
    settle("cap");
    drawFrame();
    EXPECT_EQ(targetOf("cap")->passCount, 0u);
    // A capture surface is not a delayed target.
    ASSERT_EQ(runSnippet("::cap.setDelayRendering(1);"), "");
    EXPECT_EQ(eval("::cap.isDelayedRendering()"), "0");
}

TEST_F(RenderTargetScriptTest, RecordOfAStoppedCaptureKeepsItsPixels)
{
    ASSERT_EQ(runSnippet("::cap <- SQSpriteRenderTarget(\"cap\"); ::cap.create(16, 8, 1); ::cap.stop();"
                         "::plain <- SQSpriteRenderTarget(\"plain\"); ::plain.create(16, 8, 0);"),
              "");
    Kavro::ITexture* texture = targetOf("cap")->getTexture();
    ASSERT_EQ(device->clearTexture(texture, Green), 0);
    ASSERT_EQ(runSnippet("::f <- SQFile(\"save\"); ::f.open(\"state.bin\", 1, 0);"
                         "::w <- ::cap.serialize(\"save\") + \",\" + ::plain.serialize(\"save\");"
                         "::f.open(\"state.bin\", 0, 0);"),
              "");
    EXPECT_EQ(eval("::w"), "1,1");
    ASSERT_EQ(device->clearTexture(texture, 0xFF0000FFu), 0);
    // The stored switch comes back first, and with it stopped the pixels return; a target that is not a
    // capture surface skips none.
    ASSERT_EQ(runSnippet("::cap.play();"), "");
    EXPECT_EQ(eval("::cap.deserialize(\"save\") + \",\" + ::plain.deserialize(\"save\") + \",\" + "
                   "::cap.isCaptureEnabled() + \",\" + (::f.getFilePosition() == ::f.getFileSize())"),
              "1,1,0,true");
    std::vector<uint32_t> pixels(16 * 8);
    ASSERT_EQ(texture->readPixels(pixels.data()), 1);
    EXPECT_EQ(pixels[0], Green);
    EXPECT_EQ(pixels.back(), Green);
    // A record cut short fails.
    const std::vector<uint8_t> whole = dir.read("state.bin");
    writeFile("short.bin", std::vector<uint8_t>(whole.begin(), whole.begin() + 150));
    ASSERT_EQ(runSnippet("::f.open(\"short.bin\", 0, 0);"), "");
    EXPECT_EQ(eval("::cap.deserialize(\"save\")"), "0");
}

TEST_F(RenderTargetScriptTest, SaveImageWritesTheTargetsPixels)
{
    ASSERT_EQ(runSnippet("::rt <- SQSpriteRenderTarget(\"rt\"); ::rt.create(64, 32, 0); ::rt.setErase(1);"
                         "::g <- SQSprite(\"g\"); ::g.createColor(32, 32, 0.0, 1.0, 0.0); ::g.setSurface(\"rt\");"
                         "::h <- SQSprite(\"h\"); ::h.createColor(32, 32, 1.0, 0.0, 0.0); ::h.fade(0.5, 0, 0);"
                         "::h.move(32.0, 0.0, 0, 0); ::h.setSurface(\"rt\");"),
              "");
    drawFrame();
    const std::string same = dir.file("same.png"), half = dir.file("half.png");
    EXPECT_EQ(eval("::rt.saveImage(\"" + same + "\", 64, 32, 0) + \",\" + ::rt.saveImage(\"" + half +
                   "\", 32, 16, 0)"),
              "0,0");
    struct
    {
        std::string path;
        int width, height;
        int greenX, redX, y;
    } files[] = {{same, 64, 32, 10, 50, 10}, {half, 32, 16, 5, 25, 5}};
    for (const auto& f : files)
    {
        std::ifstream in(f.path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Kavro::DecodedImage image;
        std::string error;
        ASSERT_TRUE(Kavro::DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error))
            << f.path << ": " << error;
        ASSERT_EQ(image.width, f.width);
        ASSERT_EQ(image.height, f.height);
        EXPECT_EQ(image.pixels[size_t(f.y) * size_t(f.width) + size_t(f.greenX)], Green) << f.path;
        // The half-faded red is written with straight colour and half alpha.
        EXPECT_LE(channelDistance(image.pixels[size_t(f.y) * size_t(f.width) + size_t(f.redX)], 0x80FF0000u), 1)
            << f.path;
    }
}

// Screenshots and thumbnails go through a plain sprite's saveImage: the picture it shows comes back from
// the file, at its own size and scaled down.
TEST_F(RenderTargetScriptTest, SpriteSaveImageWritesThePictureItShows)
{
    const std::string same = dir.file("sprite.png"), half = dir.file("sprite-half.png");
    ASSERT_EQ(runSnippet("::a <- SQSprite(\"a\"); ::a.create(\"image/gradient.png\", -1, 0, 0, 0);"
                         "::none <- SQSprite(\"none\");"),
              "");
    EXPECT_EQ(eval("::a.saveImage(\"" + same + "\", 64, 64, 0) + \",\" + ::a.saveImage(\"" + half +
                   "\", 32, 32, 0) + \",\" + ::none.saveImage(\"" + dir.file("none.png") + "\", 8, 8, 0)"),
              "0,0,-1");
    EXPECT_FALSE(std::ifstream(dir.file("none.png")).good());
    const auto decode = [](const std::string& path, Kavro::DecodedImage& image) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error;
        return Kavro::DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error);
    };
    // The source picture at a position given in its own pixels (a scaled copy samples between them).
    const auto source = [](float x, float y) {
        return uint32_t(std::lround(64 + x * 3)) << 24 | uint32_t(std::lround(x * 4)) << 16 | 0x40u << 8 |
               uint32_t(std::lround(y * 4));
    };
    Kavro::DecodedImage image;
    ASSERT_TRUE(decode(same, image));
    ASSERT_EQ(image.width, 64);
    ASSERT_EQ(image.height, 64);
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            worst = std::max(worst, channelDistance(image.pixels[size_t(y) * 64 + size_t(x)], source(x, y)));
    EXPECT_LE(worst, 2);

    ASSERT_TRUE(decode(half, image));
    ASSERT_EQ(image.width, 32);
    ASSERT_EQ(image.height, 32);
    worst = 0;
    for (int y = 1; y < 31; ++y)
        for (int x = 1; x < 31; ++x)
            worst = std::max(worst, channelDistance(image.pixels[size_t(y) * 32 + size_t(x)],
                                                    source(2.0f * x + 0.5f, 2.0f * y + 0.5f)));
    EXPECT_LE(worst, 4);
}

} // namespace
