// Particle systems made by scripts through SQParticle, drawn by the library's headless render device and
// read back; the script class's own operations, its table form and its saved block.
#include "ScriptHostFixture.h"

#include "core/CTask.h"
#include "particle/CParticleParameter.h"
#include "particle/ParticleCaches.h"
#include "particle/Squirrel/SQParticle.h"
#include "render/RenderDeviceFactory.h"
#include "support/FakeTaskObjects.h"
#include "support/ParticleFileWriter.h"

#include <kavro/IRenderDevice.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace OrvaneTest;
using Orvane::Particle::CParticleParameter;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;
constexpr uint32_t Grey = 0xFF808080u;

class ParticleRenderTest : public ScriptTaskFixture
{
protected:
    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, core->fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        app->renderDevice = device;
        app->sceneManager = device->getSceneManager();
        app->sceneManager->addRef();
        app->screenWidth = Width;
        app->screenHeight = Height;
        // An 8 x 8 white picture (a name with ':' would name a glyph).
        dot = device->createNamedRenderTexture("suf://dot", 8, 8, 4, 0);
        const uint32_t white = 0xFFFFFFFFu;
        device->fillTexture(dot, &white);
        std::filesystem::create_directories(dir.path() / "image");
        ASSERT_EQ(device->saveTexture((dir.path() / "image" / "dot.png").string().c_str(), dot, 0), 0);
        writeDefinition("test_fx", 1, 255);
        writeDefinition("add_fx", 2, 128);
        writeDefinition("alpha_fx", 1, 128);
    }
    void TearDown() override
    {
        if (dot)
            dot->release();
        Orvane::Particle::clearParticleCaches();
        ScriptTaskFixture::TearDown();
    }
    // One particle of 40 x 40 units at the system's origin, white with the given alpha.
    void writeDefinition(const std::string& name, int32_t blendMode, int32_t alpha)
    {
        CParticleParameter d;
        auto& r = d.record;
        r.is_use_particle = 1;
        std::strcpy(r.particle_name, name.c_str());
        std::strcpy(r.texture_filename, "image/dot.png");
        r.texture_count = 1;
        r.texture_use_count = 1;
        r.occur.particle_num.num = 1;
        r.location.use_bounding_point = 1;
        r.move.regist.x.value = r.move.regist.y.value = r.move.regist.z.value = 0.0f;
        r.sprite.blend_mode = blendMode;
        r.sprite.size.start.x = 40.0f;
        r.sprite.size.start.y = 40.0f;
        r.sprite.size.start.exe_type = 1;
        r.sprite.color.start = {255, 255, 255, alpha, 0, {}};
        r.polyline.time = 500.0f;
        d.textureNames = {"image/dot.png"};
        writeFile("media/particle/" + name + ".particle", particleFileBytes(d));
    }
    // One frame: world matrices, every drawable's render and draw on grey, read back (saved as a PNG where
    // ORVANE_PARTICLE_PNG_DIR names a folder), then every update.
    void drawFrame()
    {
        ASSERT_EQ(device->beginFrame(), 0);
        const uint32_t grey = Grey;
        device->clear(1, &grey);
        task->updateWorldMatrix();
        for (const auto& record : task->getRenderingObjects())
            record.object->render();
        for (const auto& record : task->getRenderingObjects())
            record.object->draw();
        pixels.assign(size_t(Width) * Height, 0);
        ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_PARTICLE_PNG_DIR"))
        {
            const std::string path = std::string(keep) + "/" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                                     std::to_string(framesDrawn) + ".png";
            device->saveTexture(path.c_str(), nullptr, 0);
        }
        device->endFrame();
        ++framesDrawn;
        core->milliTime += 17;
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 100.0f;
        const auto objects = task->getTaskObjects();
        for (Orvane::CTaskObject* object : objects)
            object->update();
    }
    uint32_t at(int x, int y) const { return pixels[size_t(y) * Width + size_t(x)]; }
    int red(int x, int y) const { return int(at(x, y) >> 16 & 0xFF); }

    Kavro::IRenderDevice* device = nullptr;
    Kavro::ITexture* dot = nullptr;
    std::vector<uint32_t> pixels;
    int framesDrawn = 0;
};

TEST_F(ParticleRenderTest, ScriptedSystemDrawsABillboardAtItsPixel)
{
    ASSERT_EQ(runSnippet("::p <- SQParticle(\"fx\"); ::r <- ::p.create(\"test_fx\", 0);"
                         "::p.move(50.0, 30.0, 0.0, 0, 0); ::p.begin();"),
              "");
    EXPECT_EQ(eval("::r"), "0");
    drawFrame(); // the particle starts in this frame's update
    drawFrame();
    // 40 units at 424.1547 / 240 units per pixel: about 22 pixels wide, centred on (160 + 50, 120 - 30).
    EXPECT_EQ(at(210, 90), 0xFFFFFFFFu);
    EXPECT_EQ(at(200, 90), 0xFFFFFFFFu);
    EXPECT_EQ(at(210, 100), 0xFFFFFFFFu);
    EXPECT_EQ(at(225, 90), Grey);
    EXPECT_EQ(at(210, 105), Grey);
    EXPECT_EQ(at(160, 120), Grey);
    EXPECT_EQ(eval("::p.isActivle()"), "1");
    ASSERT_EQ(runSnippet("::p.end();"), "");
    drawFrame();
    EXPECT_EQ(at(210, 90), Grey);
    EXPECT_EQ(eval("::p.isActivle()"), "0");
}

TEST_F(ParticleRenderTest, AdditiveAndAlphaBlendingDiffer)
{
    ASSERT_EQ(runSnippet("::a <- SQParticle(\"a\"); ::a.create(\"alpha_fx\", 0); ::a.move(-60.0, 0.0, 0.0, 0, 0);"
                         "::a.begin(); ::b <- SQParticle(\"b\"); ::b.create(\"add_fx\", 0);"
                         "::b.move(60.0, 0.0, 0.0, 0, 0); ::b.begin();"),
              "");
    drawFrame();
    drawFrame();
    // Half-transparent white over grey: mixed halfway, or added on top.
    EXPECT_NEAR(red(100, 120), 0xC0, 3);
    EXPECT_GE(red(220, 120), 0xFE);
    EXPECT_EQ(at(160, 120), Grey);
}

TEST_F(ParticleRenderTest, ParameterTableRoundTrip)
{
    ASSERT_EQ(runSnippet("::p <- SQParticle(\"fx\"); ::p.create(\"test_fx\", 0);"
                         "local t = ::p.getParameterTable(); t.occur.particle_num.num = 7;"
                         "t.sprite.blend_mode = 2; ::r <- ::p.setParameterTable(t);"
                         "::t2 <- ::p.getParameterTable();"),
              "");
    EXPECT_EQ(eval("::r"), "0");
    EXPECT_EQ(eval("::t2.occur.particle_num.num"), "7");
    EXPECT_EQ(eval("::t2.sprite.blend_mode"), "2");
    EXPECT_EQ(eval("::t2.texture_filename_list[0]"), "image/dot.png");
    EXPECT_EQ(eval("::p.setParameterTable(3)"), "-1");
}

TEST_F(ParticleRenderTest, BindingWithoutASystemDoesNothing)
{
    ASSERT_EQ(runSnippet("::p <- SQParticle(\"none\"); ::p.link(\"x\"); ::p.linkEmitter(\"x\");"
                         "::p.setSurface(\"x\"); ::p.setDither(1, 2, 2, \"\"); ::p.begin(); ::p.end();"
                         "::p.reset(); ::p.setCamera(\"x\", 1.0, 1.0); ::p.fade(0.5, 0, 0);"),
              "");
    EXPECT_EQ(eval("::p.isActivle()"), "0");
    EXPECT_EQ(eval("::p.getParameterTable() == null"), "true");
    // A missing definition is the empty one, which names no texture: no system is made, and the
    // binding's frame steps below run without one.
    EXPECT_EQ(eval("::p.create(\"missing\", 0)"), "-1");
    EXPECT_EQ(eval("::p.isActivle()"), "0");
    drawFrame();
    EXPECT_EQ(at(160, 120), Grey);
    EXPECT_EQ(eval("::p.getFade()"), "0.5");
}

TEST_F(ParticleRenderTest, SurfaceAndCameraNamesMustNameTheirKind)
{
    ASSERT_EQ(runSnippet("::p <- SQParticle(\"fx\"); ::p.create(\"test_fx\", 0);"
                         "::s <- SQSprite(\"s\"); ::s.createColor(4, 4, 1.0, 1.0, 1.0);"
                         "::rt <- SQSpriteRenderTarget(\"rt\"); ::rt.create(64, 64, 0);"
                         "::p.setCamera(\"s\", 1000.0, 30.0); ::p.setSurface(\"s\");"),
              "");
    auto* binding = dynamic_cast<Orvane::Squirrel::SQParticle*>(task->findTaskObject("fx"));
    ASSERT_NE(binding, nullptr);
    Orvane::CParticle* system = binding->getEngineObject();
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->camera, nullptr);
    EXPECT_EQ(system->getSurface(), nullptr);
    EXPECT_FLOAT_EQ(system->pixelScale.y, 424.1547f / Height);
    // A render target is a surface but no camera.
    ASSERT_EQ(runSnippet("::p.setSurface(\"rt\"); ::p.setCamera(\"rt\", 1000.0, 30.0);"), "");
    EXPECT_NE(system->getSurface(), nullptr);
    EXPECT_EQ(system->camera, nullptr);
}

TEST_F(ParticleRenderTest, MoveFollowsTheSplineWhileItRuns)
{
    ASSERT_EQ(runSnippet("::p <- SQParticle(\"fx\"); ::p.create(\"test_fx\", 0);"
                         "::p.setSpline(0.0, 0.0, 0.0, 0, 1.0); ::p.setSpline(100.0, 0.0, 0.0, 1000, 1.0);"
                         "::p.beginSpline(1000, 0);"),
              "");
    EXPECT_EQ(eval("::p.isMoving()"), "0");
    for (int i = 0; i < 30; ++i)
        drawFrame();
    ASSERT_EQ(runSnippet("::p.getMove();"), "");
    const std::string moved = results();
    const float x = std::strtof(moved.c_str(), nullptr);
    EXPECT_GT(x, 30.0f);
    EXPECT_LT(x, 70.0f);
}

TEST_F(ParticleRenderTest, SerializeAndDeserializeThroughAScriptFile)
{
    ASSERT_EQ(runSnippet("::p <- SQParticle(\"fx\"); ::p.create(\"test_fx\", 0); ::p.begin();"), "");
    drawFrame();
    drawFrame();
    ASSERT_EQ(runSnippet("::f <- SQFile(\"save\"); ::f.open(\"p.bin\", 1, 0); ::saved <- ::p.serialize(\"save\");"
                         "::f.open(\"p.bin\", 0, 0); ::q <- SQParticle(\"q\");"
                         "::q.create(\"test_fx\", 0); ::loaded <- ::q.deserialize(\"save\");"
                         "::f.open(\"p.bin\", 0, 0); ::none <- SQParticle(\"n\"); ::empty <- ::none.deserialize(\"save\");"),
              "");
    EXPECT_EQ(eval("::saved"), "1");
    EXPECT_EQ(eval("::loaded"), "1");
    EXPECT_EQ(eval("::q.isActivle()"), "1");
    EXPECT_EQ(eval("::empty"), "0");
}

} // namespace
