// The demo's 3D assets as the engine will read them: written by orvane-demo-model, loaded through a
// headless render device.
#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"
#include "support/TempDirectory.h"

#include <kavro/IModelResource.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneFrame.h>
#include <kavro/Ref.h>

#include <gtest/gtest.h>

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
