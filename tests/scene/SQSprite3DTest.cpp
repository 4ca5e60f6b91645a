// 3D sprites and movie quads through their script class over the recording 3D fakes: creation and every
// failure, the quad colour, the world matrix, the movie volume against the sound settings, time scale,
// erasing, destruction.
#include "SceneEffectFixture.h"

#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"
#include "scene/Squirrel/SQSprite3D.h"

#include <kavro/Matrix4x4.h>

#include <functional>
#include <sstream>

using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Orvane::Squirrel::SQSprite3D;
using Strings = std::vector<std::string>;

namespace
{

class SQSprite3DTest : public SceneEffectFixture
{
protected:
    void SetUp() override
    {
        SceneEffectFixture::SetUp();
        core->render->noteTextureReleases = true;
        ASSERT_EQ(runSnippet("::p <- SQSprite3D(\"P\")"), "");
        sprite = object<SQSprite3D>("P");
        ASSERT_NE(sprite, nullptr);
    }
    // The device's and the 3D fakes' calls since the last take, each log in its own order; both cleared.
    Strings device()
    {
        Strings out = core->log.calls();
        core->log.clear();
        return out;
    }
    Strings library()
    {
        Strings out = log3d.calls();
        log3d.clear();
        return out;
    }
    // The image "img.png" (64 x 64) at (1, 2, 3) with its first frame done, the logs cleared.
    void createImage()
    {
        ASSERT_EQ(eval("::p.create(1.0, 2.0, 3.0, \"img.png\")"), "0");
        frame(sprite);
        take();
    }
    // A movie sprite of "m.ogv" (320 x 240) with its first frame done; the sound settings at rest and the
    // logs cleared.
    RecordingMovie* createMovie()
    {
        EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 0)"), "0");
        frame(sprite);
        settle();
        take();
        return fake->movies.back();
    }
    // Nothing asks for the movie volume to be applied.
    void settle()
    {
        sprite->volumeControl->changed = 0;
        sprite->volumeControl->typeVolume->running = 0;
        sprite->volumeControl->typeVolume->wasRunning = 0;
    }
    // One update pass; the movie's volume calls.
    Strings volumeStep()
    {
        core->milliTime += 17;
        sprite->update();
        return take({"movie1.setVolume", "movie1.setTexture"});
    }

    SQSprite3D* sprite = nullptr;
};

Strings concat(std::initializer_list<Strings> parts)
{
    Strings out;
    for (const Strings& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Strings quad(const std::string& size, const std::string& bytes)
{
    return {"sprite3D1.begin(1, 0)",
            Join({"sprite3D1.drawQuad(identity, (", size, "), ", bytes, ", (0 0 ", size, "))"}),
            "sprite3D1.end()"};
}

// The sixteen numbers of a logged matrix "[a b c d / ... ]".
std::vector<float> matrixNumbers(const std::string& call)
{
    std::string text = call.substr(call.find('[') + 1);
    for (char& ch : text)
        if (ch == '/' || ch == ']' || ch == ')')
            ch = ' ';
    std::istringstream in(text);
    std::vector<float> out;
    for (float v; in >> v;)
        out.push_back(v);
    return out;
}

void expectWorldMatrix(const std::string& call, const Matrix4x4& expected, const std::string& what)
{
    ASSERT_EQ(call.rfind("sceneSprite1.setWorldMatrix([", 0), 0u) << what << ": " << call;
    const std::vector<float> numbers = matrixNumbers(call);
    ASSERT_EQ(numbers.size(), 16u) << what << ": " << call;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(numbers[size_t(i)], expected.m[i / 4][i % 4], 1e-4f) << what << ", element " << i;
}

const Strings SceneSpriteSetUp = {"scene.addSprite3D(sprite3D1)", "sceneSprite1.setOption(2)",
                                  "sceneSprite1.setBlendMode(1)", "sceneSprite1.setFlagPair(1, 1)",
                                  "sceneSprite1.setFlag(1)"};

} // namespace

TEST_F(SQSprite3DTest, TheClassRegistersItsMethods)
{
    ASSERT_EQ(runSnippet("::names <- 0; foreach (k, v in SQSprite3D) if (typeof v == \"function\" && k != \"constructor\") ++::names;"), "");
    EXPECT_EQ(eval("::names"), "63");
    EXPECT_EQ(eval("SQSprite3D(null)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::p.create(1, 2.0, 3.0, \"img.png\")"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::p.fade.call(SQScene(\"S\"), 1.0, 0, 0)"), "error: Invalid Instance Type");
}

TEST_F(SQSprite3DTest, CreateBuildsTheQuadSetsUpTheSceneSpriteAndTheFirstRenderPlacesIt)
{
    EXPECT_EQ(eval("::p.create(1.0, 2.0, 3.0, \"img.png\")"), "0");
    EXPECT_EQ(device(), (Strings{"loadTexture(img.png, 0, 0)", "release(img.png)"}));
    EXPECT_EQ(library(), concat({{"device.createSprite3D(1, img.png)"}, quad("64 64", "255, 255, 255, 255"),
                                 SceneSpriteSetUp}));
    ASSERT_EQ(runSnippet("::p.getMove()"), "");
    EXPECT_EQ(results(), "1,2,3,0");
    ASSERT_EQ(runSnippet("::p.getSize()"), "");
    EXPECT_EQ(results(), "64,64,0,0");

    frame(sprite);
    const Strings first = library();
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(Strings(first.begin(), first.begin() + 3), quad("64 64", "255, 255, 255, 255"));
    expectWorldMatrix(first[3], Matrix4x4::GetTranslation(1, 2, 3), "first render");
    frame(sprite);
    EXPECT_EQ(library(), Strings{}) << "nothing changed";
    EXPECT_EQ(sprite->draw(), 0);
    EXPECT_EQ(sprite->getFlag(), 1);
    capture(sprite);
    EXPECT_EQ(library(), (Strings{"sceneSprite1.getSceneNode()", "scene.addSceneNode(sceneSprite1)"}));
}

struct FailedCreate
{
    const char* what; // NoImage, NoSprite3D or NoSceneSprite
    Strings device;
    Strings library;
};

class SQSprite3DFailedCreate : public SQSprite3DTest, public ::testing::WithParamInterface<FailedCreate>
{
};

TEST_P(SQSprite3DFailedCreate, LeavesNothingHeldAndLeaksNothing)
{
    const FailedCreate& c = GetParam();
    const std::string what = c.what;
    if (what == "NoImage")
        core->render->missingTextures = {"img.png"};
    fake->noSprite3D = what == "NoSprite3D";
    fake->noSceneSprite = what == "NoSceneSprite";
    EXPECT_EQ(eval("::p.create(1.0, 2.0, 3.0, \"img.png\")"), "-1");
    EXPECT_EQ(device(), c.device);
    EXPECT_EQ(library(), c.library);
    for (RecordingSprite3D* made : fake->sprites3D)
        EXPECT_EQ(made->count(), 0);
    EXPECT_EQ(sprite->getSceneObject()->isValid(), 0);
    EXPECT_EQ(sprite->render(), -1);
    EXPECT_EQ(sprite->draw(), -1);
    ASSERT_EQ(runSnippet("::p.play(1); ::p.getSize()"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    EXPECT_EQ(take(), Strings{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SQSprite3DFailedCreate,
    ::testing::Values(
        FailedCreate{"NoImage", {"loadTexture(img.png, 0, 0)"}, {}},
        FailedCreate{"NoSprite3D", {"loadTexture(img.png, 0, 0)", "release(img.png)"}, {"device.createSprite3D(1, img.png)"}},
        FailedCreate{"NoSceneSprite", {"loadTexture(img.png, 0, 0)", "release(img.png)"},
                     concat({{"device.createSprite3D(1, img.png)"}, quad("64 64", "255, 255, 255, 255"),
                             {"scene.addSprite3D(sprite3D1)"}})}),
    [](const ::testing::TestParamInfo<FailedCreate>& info) { return std::string(info.param.what); });

TEST_F(SQSprite3DTest, CreateMovieMakesTheMovieQuadAndAVolumeControlOfTheMovieSoundType)
{
    EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 3)"), "0");
    EXPECT_EQ(device(), Strings{"device.createMovieTexture(320, 240)"});
    EXPECT_EQ(library(), concat({{"core.openMovie()", "movie1.open(\"m.ogv\", 3)", "device.createSprite3D(1, movie)"},
                                 quad("320 240", "255, 255, 255, 255"), SceneSpriteSetUp}));
    EXPECT_EQ(app->soundManager->getVolumeControlCount(), 1u);
    ASSERT_NE(sprite->volumeControl, nullptr);
    EXPECT_EQ(sprite->volumeControl->typeVolume, app->soundManager->getTypeVolume(4));
    ASSERT_EQ(runSnippet("::p.getSize()"), "");
    EXPECT_EQ(results(), "320,240,0,0");

    // A second one lets the first go: one control stays.
    EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 0)"), "0");
    EXPECT_EQ(app->soundManager->getVolumeControlCount(), 1u);
    EXPECT_EQ(fake->movies[0]->count(), 0);
    EXPECT_EQ(fake->sprites3D[0]->count(), 0);
    EXPECT_EQ(fake->sceneSprites[0]->count(), 0);
    EXPECT_EQ(device(), (Strings{"release(movie)", "device.createMovieTexture(320, 240)"}));

    // So does an image.
    EXPECT_EQ(eval("::p.create(0.0, 0.0, 0.0, \"img.png\")"), "0");
    EXPECT_EQ(app->soundManager->getVolumeControlCount(), 0u);
    EXPECT_EQ(sprite->volumeControl, nullptr);
    EXPECT_EQ(fake->movies[1]->count(), 0);
}

TEST_F(SQSprite3DTest, AFailedCreateMovieReleasesWhatItMade)
{
    fake->noMovie = true;
    EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 0)"), "-1");
    fake->noMovie = false;

    fake->movieOpenResult = -1;
    EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 0)"), "-1");
    EXPECT_EQ(fake->movies[0]->count(), 1) << "a movie that failed to open is kept, idle";
    EXPECT_EQ(eval("::p.getDurationTime()"), "10000");
    fake->movieOpenResult = 0;

    fake->noSprite3D = true;
    take();
    EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 0)"), "-1");
    EXPECT_EQ(fake->movies[0]->count(), 0);
    EXPECT_EQ(fake->movies[1]->count(), 0);
    EXPECT_EQ(device(), (Strings{"device.createMovieTexture(320, 240)", "release(movie)"}));
    EXPECT_EQ(app->soundManager->getVolumeControlCount(), 0u);
    EXPECT_EQ(eval("::p.getDurationTime()"), "0");
    fake->noSprite3D = false;

    fake->noSceneSprite = true;
    EXPECT_EQ(eval("::p.createMovie(0.0, 0.0, 0.0, \"m.ogv\", 0)"), "-1");
    EXPECT_EQ(fake->movies[2]->count(), 0);
    EXPECT_EQ(fake->sprites3D[0]->count(), 0);
    EXPECT_EQ(app->soundManager->getVolumeControlCount(), 0u);
}

TEST_F(SQSprite3DTest, QuadColourBytesAreClampedFromColourAndFade)
{
    createImage();
    const struct
    {
        const char* call;
        const char* bytes;
    } cases[] = {
        {"::p.setColor(2.0, 0.5, -1.0, 0, 0)", "255, 127, 0, 255"},
        {"::p.fade(0.5, 0, 0)", "255, 127, 0, 127"},
        {"::p.fade(1.01, 0, 0)", "255, 127, 0, 255"},
        {"::p.setColor(0.2, 0.4, 0.6, 0, 0); ::p.fade(0.0, 0, 0)", "51, 102, 153, 0"},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(runSnippet(c.call), "") << c.call;
        frame(sprite);
        EXPECT_EQ(take({"sprite3D1."}), quad("64 64", c.bytes)) << c.call;
    }
}

TEST_F(SQSprite3DTest, ThePlacementIsHandedAsTheWorldMatrixOfCentrePivotScaleRotationAndPosition)
{
    createImage();
    const struct
    {
        const char* calls;
        Kavro::Vector3D offset, scale, rotation, position;
    } cases[] = {
        {"::p.move(-4.0, 5.0, 6.0, 0, 0)", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {-4, 5, 6}},
        {"::p.setCenter(0.0, 0.0)", {-32, -32, 0}, {1, 1, 1}, {0, 0, 0}, {-4, 5, 6}},
        {"::p.setCenter(1.0, 0.5); ::p.setPivot(5.0, -3.0)", {37, -3, 0}, {1, 1, 1}, {0, 0, 0}, {-4, 5, 6}},
        {"::p.scale(2.0, 3.0, 1.0, 0, 0); ::p.rotate(0.0, 0.0, 90.0, 0, 0)", {37, -3, 0}, {2, 3, 1}, {0, 0, 90},
         {-4, 5, 6}},
        {"::p.rotate(30.0, 45.0, 60.0, 0, 0); ::p.setCenter(0.5, 0.5); ::p.setPivot(0.0, 0.0)", {0, 0, 0},
         {2, 3, 1}, {30, 45, 60}, {-4, 5, 6}},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(runSnippet(c.calls), "") << c.calls;
        frame(sprite);
        const Matrix4x4 expected =
            Matrix4x4::GetTranslation(-c.offset.x, -c.offset.y, -c.offset.z) *
            Matrix4x4::GetScaling(c.scale.x, c.scale.y, c.scale.z) *
            Matrix4x4::GetRotationZXY(c.rotation.x, c.rotation.y, c.rotation.z) *
            Matrix4x4::GetTranslation(c.position.x, c.position.y, c.position.z);
        const Strings sent = take({"sceneSprite1."});
        ASSERT_EQ(sent.size(), 1u) << c.calls;
        expectWorldMatrix(sent[0], expected, c.calls);
    }
    // The quad's anchor: with the centre at (0, 0) its top-left texel lands on the position.
    ASSERT_EQ(runSnippet("::p.rotate(0.0, 0.0, 0.0, 0, 0); ::p.scale(1.0, 1.0, 1.0, 0, 0); ::p.setCenter(0.0, 0.0)"), "");
    const Kavro::Vector3D corner = Kavro::Vector3D(-32, -32, 0).TransformCoord(sprite->worldMatrix());
    EXPECT_EQ(corner, Kavro::Vector3D(-4, 5, 6));
}

TEST_F(SQSprite3DTest, TheMovieVolumeIsAppliedOnlyWhenSomethingChangedAndTellsTheControlWhetherItIsAudible)
{
    RecordingMovie* movie = createMovie();
    Orvane::CVolumeControl& control = *sprite->volumeControl;
    Orvane::CSoundTypeVolume& type = *control.typeVolume;
    const struct
    {
        const char* what;
        std::function<void()> arrange;
        const char* sent; // the volume handed to the movie, or null for none
        int32_t audible;
    } cases[] = {
        {"at rest", [] {}, nullptr, 0},
        {"a dirty control", [&] { control.changed = 1; }, "1", 0},
        {"the type volume changed this frame", [&] { type.running = 1; }, "1", 0},
        {"the type volume changed last frame", [&] { type.wasRunning = 1; }, "1", 0},
        {"playing", [&] { movie->playing = 1; control.changed = 1; }, "1", 1},
        {"playing but paused", [&] { movie->playing = 1; movie->paused = 1; control.changed = 1; }, "1", 0},
        {"playing at level 0", [&] { movie->playing = 1; control.groupLevel = 0.0f; control.changed = 1; }, "0", 0},
        {"playing with the type volume at 0",
         [&] { movie->playing = 1; type.volume.set(0.0f, 0.0f, 0, 0); control.changed = 1; }, "0", 0},
        {"playing at half the type volume and a fading control",
         [&] { movie->playing = 1; type.volume.set(0.5f, 0.5f, 0, 0); control.fade.set(0.5f, 0.5f, 0, 0); control.changed = 1; },
         "0.25", 1},
        {"playing with the volume running", [&] { movie->playing = 1; sprite->volume.set(1.0f, 0.5f, 100, 0); },
         "0.916667", 1},
    };
    for (const auto& c : cases)
    {
        movie->playing = movie->paused = 0;
        control.groupLevel = 1.0f;
        control.fade.set(1.0f, 1.0f, 0, 0);
        type.volume.set(1.0f, 1.0f, 0, 0);
        sprite->volume.set(1.0f, 1.0f, 0, 0);
        control.audible = 0;
        settle();
        take();
        c.arrange();
        const Strings expected =
            c.sent ? Strings{"movie1.setTexture(movie)", Join({"movie1.setVolume(", c.sent, ")"})} : Strings{};
        EXPECT_EQ(volumeStep(), expected) << c.what;
        EXPECT_EQ(control.audible, c.audible) << c.what;
        EXPECT_EQ(control.changed, 0) << c.what;
    }

    // setVolume at once applies at once: silent, so not audible whatever the movie does.
    movie->playing = 1;
    control.audible = 1;
    ASSERT_EQ(runSnippet("::p.setVolume(0.0, 0, 0)"), "");
    EXPECT_EQ(take({"movie1.setVolume"}), Strings{"movie1.setVolume(0)"});
    EXPECT_EQ(control.audible, 0);
    EXPECT_EQ(eval("::p.getVolume()"), "0");
    ASSERT_EQ(runSnippet("::p.setVolume(0.7, 0, 0)"), "");
    EXPECT_EQ(eval("::p.getVolume()"), "0.7");
}

TEST_F(SQSprite3DTest, MovieCommandsMapTheirLoopsAndAnswerFromTheMovie)
{
    RecordingMovie* movie = createMovie();
    const struct
    {
        const char* call;
        const char* sent;
    } cases[] = {
        {"play(1)", "movie1.play(-1)"},   {"play(0)", "movie1.play(0)"},       {"play(3)", "movie1.play(3)"},
        {"setLoop(1)", "movie1.setLoop(-1)"}, {"setLoop(0)", "movie1.setLoop(0)"}, {"setLoop(3)", "movie1.setLoop(3)"},
        {"pause()", "movie1.pause()"},     {"onResume()", "movie1.resume()"},   {"stop()", "movie1.stop()"},
        {"seek(2500)", "movie1.seek(2500)"},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(runSnippet(std::string("::p.") + c.call), "") << c.call;
        EXPECT_EQ(take({"movie1."}), Strings{c.sent}) << c.call;
    }
    EXPECT_EQ(eval("::p.getDurationTime()"), "10000");
    EXPECT_EQ(eval("::p.getTotalTime()"), "10000");
    EXPECT_EQ(eval("::p.getRemainTime()"), "7500");
    movie->playing = 1;
    movie->paused = 1;
    EXPECT_EQ(eval("::p.isPlaying()"), "1");
    EXPECT_EQ(eval("::p.isPaused()"), "1");
}

TEST_F(SQSprite3DTest, TheTimeScaleDoublesFadesAndTheSplineAndTheMovieSpeedButNotTheVolumeFade)
{
    createMovie();
    app->frameTimeCap = 83.333336f;
    ASSERT_EQ(runSnippet("::p.setTimeScale(2.0)"), "");
    EXPECT_EQ(take({"movie1."}), Strings{"movie1.setSpeed(2)"});
    ASSERT_EQ(runSnippet("::p.fade(0.0, 1000, 61); ::p.setVolume(0.0, 1000, 0); ::p.setSpline(0.0, 0.0, 0.0, 0, 1.0);"
                         "::p.setSpline(10.0, 0.0, 0.0, 1000, 1.0); ::p.beginSpline(1000, 0)"),
              "");
    frame(sprite);
    EXPECT_EQ(eval("::p.getFadeTimer()"), "33.3333");
    EXPECT_EQ(eval("::p.getSplineTimer()"), "33.3333");
    EXPECT_EQ(eval("::p.getVolumeTimer()"), "16.6667");
    EXPECT_EQ(eval("::p.getFade()"), "0.966667");
    EXPECT_EQ(eval("::p.isMoving()"), "0") << "the spline moves the position, not move";
    ASSERT_EQ(runSnippet("::p.getMove()"), "");
    EXPECT_EQ(results(), "0.333333,0,0,0");
}

TEST_F(SQSprite3DTest, AnErasedSpriteGivesTheCaptureNothingWhileItsAnimationsGoOn)
{
    createImage();
    ASSERT_EQ(runSnippet("::p.setErase(1); ::p.fade(0.0, 100, 0)"), "");
    for (int i = 0; i < 3; ++i)
    {
        frame(sprite);
        capture(sprite);
    }
    EXPECT_EQ(take({"scene.addSceneNode", "sceneSprite1.getSceneNode"}), Strings{});
    EXPECT_EQ(eval("::p.getFade()"), "0.5");
    ASSERT_EQ(runSnippet("::p.setErase(0)"), "");
    frame(sprite);
    capture(sprite);
    EXPECT_EQ(take({"scene.addSceneNode"}), Strings{"scene.addSceneNode(sceneSprite1)"});
}

TEST_F(SQSprite3DTest, DestructionLetsEverythingGoAndLeavesNoControlInTheSoundManager)
{
    createMovie();
    ASSERT_EQ(app->soundManager->getVolumeControlCount(), 1u);
    ASSERT_EQ(runSnippet("::p = null"), "");
    EXPECT_EQ(task->findTaskObject("P"), nullptr);
    EXPECT_EQ(app->soundManager->getVolumeControlCount(), 0u);
    EXPECT_EQ(device(), Strings{"release(movie)"});
    for (FakeLife* made : {static_cast<FakeLife*>(fake->movies[0]), static_cast<FakeLife*>(fake->sprites3D[0]),
                           static_cast<FakeLife*>(fake->sceneSprites[0])})
        EXPECT_EQ(made->count(), 0) << made->label();
}

TEST_F(SQSprite3DTest, SoundGroupsAndFadeTimesReachOnlyAMoviesControl)
{
    app->soundManager->defineSoundGroup("bgm");
    ASSERT_EQ(runSnippet("::p.addSoundGroup(\"bgm\", 2, 0.5); ::p.setVolumeControlFadeTime(10.0, 3, 20.0, 4)"), "");
    createMovie();
    Orvane::CVolumeControl& control = *sprite->volumeControl;
    EXPECT_TRUE(control.links.empty()) << "an image or an empty sprite has no control to change";
    EXPECT_EQ(control.fadeInTime, 100.0f);
    ASSERT_EQ(runSnippet("::p.addSoundGroup(\"bgm\", 2, 1.5); ::p.addSoundGroup(\"none\", 1, 0.5);"
                         "::p.setVolumeControlFadeTime(10.0, 3, 20.0, 4)"),
              "");
    ASSERT_EQ(control.links.size(), 1u);
    EXPECT_EQ(control.links[0].group, app->soundManager->findSoundGroup("bgm"));
    EXPECT_EQ(control.links[0].level, 2);
    EXPECT_EQ(control.links[0].factor, 1.0f);
    EXPECT_EQ(control.fadeInTime, 10.0f);
    EXPECT_EQ(control.fadeInCurve, 3);
    EXPECT_EQ(control.fadeOutTime, 20.0f);
    EXPECT_EQ(control.fadeOutCurve, 4);
}
