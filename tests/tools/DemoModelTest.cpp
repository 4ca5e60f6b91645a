// The demo's 3D assets as the engine will read them: written by orvane-demo-model, loaded through a
// headless render device.
#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"
#include "support/TempDirectory.h"

#include <kavro/ICamera.h>
#include <kavro/IModelResource.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneFrame.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneModel.h>
#include <kavro/Ref.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace OrvaneTest
{
namespace
{

using namespace Kavro;

class DemoModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string command = std::string(ORVANE_DEMO_MODEL_PATH) + " " + folder_.path().string();
        ASSERT_EQ(std::system(command.c_str()), 0);
        files_ = Ref<IFileSystem>::adopt(new DirectoryFileSystem(folder_.path()));
        device_ = Ref<IRenderDevice>::adopt(CreateRenderDevice(nullptr, 64, 64, files_.get()));
        ASSERT_TRUE(device_) << "no headless OpenGL 3.3 context";
    }

    Ref<IModelResource> load(const char* path)
    {
        return Ref<IModelResource>::adopt(device_->loadModel(path));
    }

    std::vector<std::string> meshNames(IModelResource* model)
    {
        std::vector<std::string> names;
        for (int i = 0; i < model->getMeshCount(); ++i)
        {
            char name[128] = {};
            model->getMeshName(i, name, sizeof name);
            names.emplace_back(name);
        }
        return names;
    }

    TempDirectory folder_;
    Ref<IFileSystem> files_;
    Ref<IRenderDevice> device_;
};

TEST_F(DemoModelTest, CharacterLoadsWithItsFramesFaceMotionsAndMorphFile)
{
    Ref<IModelResource> chara = load("model/chara.glb");
    ASSERT_TRUE(chara);
    EXPECT_EQ(meshNames(chara.get()), (std::vector<std::string>{"body", "face"}));
    for (const char* frame : {"root", "hips", "head", "eye_L", "eye_R", "upperarm_R", "forearm_R", "foot_L"})
        EXPECT_NE(chara->findFrame(frame), nullptr) << frame;
    // The head stands above the hips in the rest pose.
    EXPECT_GT(chara->findFrame("head")->getRestMatrix()._42, chara->findFrame("hips")->getRestMatrix()._42 + 0.3f);
    EXPECT_GE(chara->loadMotion("motion/idle.anm"), 0);
    EXPECT_GE(chara->loadMotion("motion/wave.anm"), 0);
    EXPECT_GE(chara->loadMorph(1, "smile", "morph/smile.mph"), 0);
}

TEST_F(DemoModelTest, CharacterShowsItsOutsideFacesToACameraInFrontOfIt)
{
    // A portrait screen with the character standing in its middle, seen from the front (a model faces -z),
    // lit from the camera's side: outside faces toward the camera are lit, inside ones would face away.
    constexpr int Width = 180, Height = 320;
    Ref<IRenderDevice> device = Ref<IRenderDevice>::adopt(CreateRenderDevice(nullptr, Width, Height, files_.get()));
    ASSERT_TRUE(device);
    ASSERT_EQ(device->beginFrame(), 0);
    Ref<IModelResource> chara = Ref<IModelResource>::adopt(device->loadModel("model/chara.glb"));
    ASSERT_TRUE(chara);
    ISceneManager* scene = device->getSceneManager();
    Ref<ISceneModel> model = Ref<ISceneModel>::adopt(scene->createSceneModel(chara.get()));
    ASSERT_TRUE(model);
    model->applyTransform(0);
    Ref<ICamera> camera = Ref<ICamera>::adopt(device->createCamera());
    camera->setPerspective(0.6f, float(Width) / float(Height), 0.1f, 50.0f);
    camera->setLookAt({0.0f, 0.85f, -3.2f}, {0.0f, 0.85f, 0.0f}, {0.0f, 1.0f, 0.0f});
    camera->update();
    scene->setCamera(camera.get());
    scene->setLightPosition({1.0f, 3.0f, -10.0f, 1.0f});
    scene->setLightLookAt({0.0f, 0.85f, 0.0f, 1.0f});
    const uint32_t background = 0xFF304050u;
    device->clear(1, &background);
    ASSERT_EQ(scene->addSceneNode(model->getSceneNode()), 0);
    ASSERT_EQ(scene->renderScene(), 0);
    std::vector<uint32_t> pixels(size_t(Width) * Height);
    ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
    if (const char* keep = std::getenv("ORVANE_SCENE_PNG_DIR"))
        device->saveTexture((std::string(keep) + "/DemoCharacter.png").c_str(), nullptr, 0);

    // The head, the chest and a foot are drawn and lit; beside the character is background.
    const Matrix4x4 head = chara->findFrame("head")->getRestMatrix();
    for (const Vector3D& at : {Vector3D(0.0f, head._42 + 0.05f, 0.0f), Vector3D(0.0f, 1.3f, 0.0f),
                               Vector3D(0.09f, 0.12f, 0.0f)})
    {
        const Vector3D s = scene->transformFromWorldToScreen(at);
        const uint32_t p = pixels[size_t(s.y) * Width + size_t(s.x)];
        const int brightest = int(std::max({(p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu}));
        EXPECT_NE(p, background) << at.y;
        EXPECT_GT(brightest, 60) << "unlit at height " << at.y << ": " << std::hex << p;
    }
    EXPECT_EQ(pixels[size_t(Height / 2) * Width + 5], background);
    scene->setCamera(nullptr);
}

TEST_F(DemoModelTest, PropsLoad)
{
    for (const char* path : {"model/box.glb", "model/ball.glb", "model/floor.glb"})
    {
        Ref<IModelResource> prop = load(path);
        ASSERT_TRUE(prop) << path;
        EXPECT_EQ(prop->getMeshCount(), 1) << path;
    }
}

TEST_F(DemoModelTest, LipTimelineKeysRunForwardWithinTheVoice)
{
    std::ifstream in(folder_.path() / "voice/hello.lip", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 4u);
    int32_t count = 0;
    std::memcpy(&count, bytes.data(), 4);
    ASSERT_GT(count, 0);
    ASSERT_EQ(bytes.size(), 4u + size_t(count) * 8u);
    float previous = -1.0f;
    for (int32_t i = 0; i < count; ++i)
    {
        float time = 0.0f, weight = 0.0f;
        std::memcpy(&time, bytes.data() + 4 + i * 8, 4);
        std::memcpy(&weight, bytes.data() + 8 + i * 8, 4);
        EXPECT_GT(time, previous);
        EXPECT_GE(weight, 0.0f);
        EXPECT_LE(weight, 1.0f);
        previous = time;
    }
    EXPECT_TRUE(std::filesystem::exists(folder_.path() / "voice/hello.ogg"));
}

} // namespace
} // namespace OrvaneTest
