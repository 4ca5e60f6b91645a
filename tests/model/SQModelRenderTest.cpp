// "SQModel", "SQCamera", "SQScene" and "SQSprite" through the script host, drawn by the real library headless:
// the task's draw pass captures the 3D scene between the 2D sprites of lower and higher priority.
#include "ScriptHostFixture.h"

#include "../kavro/scene/ModelFixtures.h"
#include "core/CTaskMain.h"
#include "render/RenderDeviceFactory.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ModelFixtureWriter.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;

// The main task with the real back surface; the script is driven by the test, not by the task.
class DrawingTask : public CTaskMain
{
public:
    int update() override { return 0; }
};

class SQModelRenderTest : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, core->fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        app->renderDevice = device;
        app->sceneManager = device->getSceneManager();
        app->sceneManager->addRef();
        app->screenWidth = Width;
        app->screenHeight = Height;
        task = new DrawingTask;
        task->initialize();
        app->taskStack.push_back(task);
        writeFile("media/script/main.nut", "while (true) Suspend();\n");
        writeFile("model/box.glb", Kavro::WriteModelFixture(BoxFixture({1.0f, 0.0f, 0.0f, 1.0f})));
        startHost();
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        if (task)
            task->release();
        if (app->sceneManager)
            app->sceneManager->release();
        app->sceneManager = nullptr;
        ScriptHostFixture::TearDown();
    }
    // One frame as the application draws it, read back as 0xAARRGGBB.
    std::vector<uint32_t> drawFrame()
    {
        EXPECT_EQ(device->beginFrame(), 0);
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
        task->updateObjects();
        std::vector<uint32_t> pixels(size_t(Width) * Height);
        EXPECT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_SCENE_PNG_DIR"))
            device->saveTexture((std::string(keep) + "/SQModelRenderTest.png").c_str(), nullptr, 0);
        device->endFrame();
        return pixels;
    }
    static uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[size_t(y) * Width + x]; }

    Kavro::IRenderDevice* device = nullptr;
    DrawingTask* task = nullptr;
};

TEST_F(SQModelRenderTest, ModelDrawsThroughTheSceneCameraBetweenTheSpritesOfItsPriority)
{
    // The box (edge 2) 5 units ahead of the camera, lit from the camera's side; a green sprite under it
    // and a blue one over it, each overlapping its middle.
    ASSERT_EQ(runSnippet("::cam <- SQCamera(\"cam\"); ::cam.create(60.0, 1.3333333, 1.0, 100.0);"
                         "::cam.move3D(0.0, 0.0, -5.0, 0, 0); ::cam.setSceneCamera();"
                         "::light <- SQScene(\"light\"); ::light.setLightPosition(0.0, 0.0, -20.0);"
                         "::box <- SQModel(\"box\"); ::made <- ::box.loadModel(\"model/box.glb\"); ::box.setPriority(10);"
                         "::under <- SQSprite(\"under\"); ::under.createColor(60, 240, 0.0, 1.0, 0.0);"
                         "::under.move(130.0, 0.0, 0, 0); ::under.setPriority(5);"
                         "::over <- SQSprite(\"over\"); ::over.createColor(320, 20, 0.0, 0.0, 1.0);"
                         "::over.move(0.0, 110.0, 0, 0); ::over.setPriority(20);"),
              "");
    ASSERT_EQ(eval("::made"), "0");
    drawFrame();
    const std::vector<uint32_t> pixels = drawFrame();
    // The box's front face spans 2 / (4 tan 30 deg) of half the screen's height: 52 pixels either side of the middle.
    EXPECT_EQ(at(pixels, 112, 72), 0xFFFF0000u) << std::hex << at(pixels, 112, 72);
    EXPECT_EQ(at(pixels, 208, 168), 0xFFFF0000u) << std::hex << at(pixels, 208, 168);
    EXPECT_EQ(at(pixels, 104, 64), 0xFF000000u) << std::hex << at(pixels, 104, 64);
    EXPECT_EQ(at(pixels, 216, 176), 0xFF000000u) << std::hex << at(pixels, 216, 176);
    // The sprite under the model shows beside the box and is covered where the box stands.
    EXPECT_EQ(at(pixels, 150, 20), 0xFF00FF00u) << std::hex << at(pixels, 150, 20);
    EXPECT_EQ(at(pixels, 150, 80), 0xFFFF0000u) << std::hex << at(pixels, 150, 80);
    // The sprite over the model covers it.
    EXPECT_EQ(at(pixels, 100, 120), 0xFF0000FFu) << std::hex << at(pixels, 100, 120);
    EXPECT_EQ(at(pixels, 150, 120), 0xFF0000FFu) << std::hex << at(pixels, 150, 120);

    // Erased, the model is not handed to the scene: the sprite under it shows through.
    ASSERT_EQ(runSnippet("::box.setErase(1);"), "");
    EXPECT_EQ(at(drawFrame(), 150, 80), 0xFF00FF00u);
}

} // namespace
