// A small 3D game run in this process through the real library, headless on the fixed clock: a character
// with motions, face and lip timeline under a scene camera, a box and a ball falling onto a plane of a
// physics world, each shown by a model that follows its body. The run is looked into from the frame hook.
#include "GameRun.h"
#include "MainWindowProc.h"
#include "ProgramFrames.h"
#include "ProgramRun.h"

#include "core/CApp.h"
#include "core/CTask.h"
#include "model/Squirrel/SQModelCharacter.h"
#include "scene/CRigidBody.h"
#include "scene/Squirrel/SQRigidBody.h"

#include <kavro/RefCounted.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace
{

const int Width = 640, Height = 360;

// The camera stands 4.5 m in front of the character (which faces it), looking at its waist.
const char* const SceneScript = R"(
function check(result, what)
{
    if (result < 0)
    {
        print("scene: " + what + " failed\n");
        throw what + " failed";
    }
}
function vector(x, y, z) { return { x = x, y = y, z = z }; }

::app <- SQApp("app");
::camera <- SQCamera("camera");
::camera.create(35.0, 640.0 / 360.0, 0.1, 100.0);
::camera.setFixedLookAt(1);
::camera.move3D(0.0, 0.9, -4.5, 0, 0);
::camera.lookAt(0.0, 0.9, 0.0);
::camera.setSceneCamera();
::scene <- SQScene("scene");
::scene.setLightLookAt(0.0, 0.8, 0.0);
::scene.setLightPosition(-4.0, 8.0, -6.0);
::scene.setLightColor(1.0, 1.0, 1.0, 0, 0);

::chara <- SQModelCharacter("chara");
check(::chara.loadModel("model/chara.glb"), "loading the character");
::chara.setPriority(10);
::chara.loadMotion("motion/idle.anm");
::chara.loadMotion("motion/wave.anm");
::chara.setMotionLoop("idle", 1);
::chara.setMotion("idle");
::chara.setLayerMotion(1, "wave");
::chara.initFace("eye", "mouth");
::chara.makeFace("normal", "eye_open", "eye_blink", "mouth_open", "mouth_close");
::chara.setFace("normal");
::voice <- SQSound("voice");
if (::voice.load("voice/hello.ogg") == 0)
{
    ::voice.play();
    ::chara.setVoice("voice");
}
::chara.loadLipTimeline("voice/hello.lip");

check(::app.createPhysicsWorld(1), "making the physics world");
::plane <- SQRigidBody("plane");
check(::plane.createPlane(vector(0.0, 0.0, 0.0), vector(0.0, 1.0, 0.0), 1), "making the plane");
::plane.setErase(1);
::plane.setPriority(10);
function prop(kind, x, y)
{
    local body = SQRigidBody(kind);
    local size = vector(0.4, 0.4, 0.4);
    check(kind == "box" ? body.createBox(1.0, vector(x, y, 0.0), size, 1)
                        : body.createSphere(1.0, vector(x, y, 0.0), 0.2, 1), "making the " + kind);
    body.setErase(1);
    body.setPriority(10);
    body.setAngularDamping(0.4);
    local model = SQModel(kind + "-model");
    check(model.loadModel("model/" + kind + ".glb"), "loading the " + kind + " model");
    model.scale(0.4, 0.4, 0.4, 0, 0);
    model.setPriority(10);
    return { body = body, model = model };
}
::props <- [prop("box", 1.0, 1.5), prop("ball", -1.0, 2.0)];

for (local frame = 1; ; frame += 1)
{
    foreach (p in ::props)
    {
        p.body.getPosition();
        p.model.move(SQMATH_RET_1, SQMATH_RET_2, SQMATH_RET_3, 0, 0);
        p.body.getRotate();
        p.model.rotate(SQMATH_RET_1, SQMATH_RET_2, SQMATH_RET_3, 0, 0);
    }
    if (frame == 220)
        ::chara.setErase(1);
    ::suspend();
}
)";

// Frames (as the frame hook counts them, one a frame from the first) at which the run is looked into.
const int LipRunningFrame = 30, RestFrame = 200;
// Frames captured: the character shown, and (after the script erased it in its frame 220) gone.
const int ShownFrame = 190, GoneFrame = 240;

struct BodyState
{
    Kavro::Vector3D position, velocity;
    bool found = false;
};

struct Observed
{
    int frames = 0;
    bool characterFound = false;
    size_t lipKeysRunning = 0, lipKeysAtRest = 1;
    std::map<std::string, BodyState> bodies;
};
Observed g_observed;

Orvane::CTaskObject* findObject(const char* name)
{
    Orvane::CApp* app = Orvane::CApp::get();
    Orvane::CTask* task = app ? app->getTopTask() : nullptr;
    return task ? task->findTaskObject(name) : nullptr;
}

int lookIntoTheRun()
{
    const int frame = ++g_observed.frames;
    if (frame != LipRunningFrame && frame != RestFrame)
        return Orvane::frameHook();
    auto* chara = dynamic_cast<Orvane::Squirrel::SQModelCharacter*>(findObject("chara"));
    g_observed.characterFound = chara != nullptr;
    if (chara)
        (frame == LipRunningFrame ? g_observed.lipKeysRunning : g_observed.lipKeysAtRest) = chara->getLipKeys().size();
    if (frame == RestFrame)
        for (const char* name : {"box", "ball"})
            if (auto* body = dynamic_cast<Orvane::Squirrel::SQRigidBody*>(findObject(name)); body && body->getRigidBody())
                g_observed.bodies[name] = {body->getRigidBody()->getPosition(), body->getRigidBody()->getLinearVelocity(),
                                           true};
    return Orvane::frameHook();
}

// How many pixels of the rectangle differ between the two frames by more than a few levels in a channel.
int differingPixels(const Kavro::DecodedImage& a, const Kavro::DecodedImage& b, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
        {
            const uint32_t p = OrvaneTest::PixelAt(a, x, y), q = OrvaneTest::PixelAt(b, x, y);
            int most = 0;
            for (int shift : {0, 8, 16})
                most = std::max(most, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
            count += most > 8;
        }
    return count;
}

} // namespace

TEST(Scene3DRun, CharacterIsDrawnBodiesComeToRestLipTimelineEndsAndNothingIsLeft)
{
    OrvaneTest::GameFolder game;
    game.pack("system.wpk", {{"setting.ini", "[Init]\nSCREEN_WIDTH=640\nSCREEN_HEIGHT=360\nWINDOW_NAME=\"Scene\"\n"}});
    game.pack("script.wpk", {{"media/script/main.nut", SceneScript}});
    std::filesystem::copy_file(std::filesystem::path(ORVANE_DEMO_DIR) / "dx.wpk", game.directory().path() / "dx.wpk");
    OrvaneTest::TempDirectory runtime, scratch;
    const std::string shown = scratch.file("shown.png"), gone = scratch.file("gone.png");
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    setenv("KAVRO_FIXED_CLOCK", "1", 1);
    setenv("ORVANE_CAPTURE_FRAMES",
           (std::to_string(ShownFrame) + ":" + shown + ";" + std::to_string(GoneFrame) + ":" + gone).c_str(), 1);
    setenv("ORVANE_FRAME_LIMIT", std::to_string(GoneFrame).c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    const std::filesystem::path here = std::filesystem::current_path();

    const int before = Kavro::LiveObjectCount();
    EXPECT_EQ(Orvane::RunGame(game.path().c_str(), lookIntoTheRun), 0);
    const int after = Kavro::LiveObjectCount();
    std::filesystem::current_path(here);

    EXPECT_EQ(after, before) << "library objects left at exit";
    ASSERT_EQ(g_observed.frames, GoneFrame) << "the run did not reach its last frame";
    ASSERT_TRUE(g_observed.characterFound);
    EXPECT_GT(g_observed.lipKeysRunning, 0u) << "the lip timeline was not running half a second in";
    EXPECT_EQ(g_observed.lipKeysAtRest, 0u) << "the lip timeline had not ended after three seconds";

    // A body of 0.4 m rests with its centre 0.2 m above the plane, still, near where it fell.
    const std::map<std::string, float> dropX = {{"box", 1.0f}, {"ball", -1.0f}};
    for (const auto& [name, x] : dropX)
    {
        SCOPED_TRACE(name);
        const BodyState& body = g_observed.bodies[name];
        ASSERT_TRUE(body.found);
        EXPECT_NEAR(body.position.y, 0.2f, 0.005f);
        EXPECT_NEAR(body.position.x, x, 0.3f);
        EXPECT_LT(body.velocity.Length(), 0.01f);
    }

    // The character stands in the middle of the picture, 4.5 m away, 1.42 m from its waist to the top edge:
    // its chest covers columns 310-330 from row 112 to 170, its left leg (on the right) columns 326-334 from
    // row 190 to 280. There the frame differs from the one drawn after it was erased; at the sides the two
    // agree.
    const Kavro::DecodedImage withCharacter = OrvaneTest::ReadFrame(shown), without = OrvaneTest::ReadFrame(gone);
    ASSERT_EQ(withCharacter.width, Width);
    ASSERT_EQ(without.height, Height);
    EXPECT_GT(differingPixels(withCharacter, without, 310, 112, 330, 170), 20 * 58 * 9 / 10);
    EXPECT_GT(differingPixels(withCharacter, without, 326, 190, 334, 280), 8 * 90 * 9 / 10);
    EXPECT_EQ(differingPixels(withCharacter, without, 0, 0, 40, Height), 0);
    EXPECT_EQ(differingPixels(withCharacter, without, Width - 40, 0, Width, Height), 0);
}
