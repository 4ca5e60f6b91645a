#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"
#include "sprite/CSprite.h"
#include "sprite/CSpriteMask.h"

#include "support/FakeMovie.h"
#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;

namespace
{

// Movie sprites made by the task's factories over the fake core's movie players.
class MovieSpriteTest : public ::testing::Test
{
protected:
    MovieSpriteTest() : task(t.push(new TestTask(taskLog, "movies")))
    {
        t.core->makeMovies = true;
        t.core->movieWidth = 320;
        t.core->movieHeight = 240;
    }
    ~MovieSpriteTest() override
    {
        for (CObject* object : owned)
            object->release();
    }

    CSprite* movieSprite(const std::string& name = "op.ogv", int mode = 0)
    {
        CSprite* s = task->createMovieSprite(name, mode, Vector2D(10.0f, 20.0f));
        if (s)
        {
            task->removeTaskObject(s);
            owned.push_back(s);
        }
        return s;
    }
    CallLog& log() { return t.core->log; }
    FakeMovie* movie() { return t.core->lastMovie; }
    CSoundManager& sounds() { return *t.app->soundManager; }

    TaskTestApp t;
    CallLog taskLog;
    TestTask* task;
    std::vector<CObject*> owned;
};

TEST_F(MovieSpriteTest, FactoryOpensThePlayerAndBuildsATextureOfTheMovieSize)
{
    log().clear();
    const size_t controlsBefore = sounds().getVolumeControlCount();
    CSprite* s = movieSprite("op.ogv", 3);
    ASSERT_NE(s, nullptr);
    const std::vector<std::string> expectedStart{"openMovie()", "open(movie1, op.ogv, 3)",
                                                 "createTexture(320, 240, 1, 0)", "updateFrame(movie1, texture)"};
    ASSERT_GE(log().calls().size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(log().calls().begin(), log().calls().begin() + 4), expectedStart);
    EXPECT_EQ(s->isMovie(), 1);
    EXPECT_EQ(s->getMovie(), movie());
    EXPECT_EQ(movie()->getRefCount(), 1); // the factory's reference was dropped
    EXPECT_EQ(s->getSize(), (std::vector<int32_t>{0, 0, 320, 240}));
    EXPECT_NE(s->sceneSprite, nullptr);
    EXPECT_FLOAT_EQ(s->getMove().x, 10.0f);
    EXPECT_FLOAT_EQ(s->getMove().y, 20.0f);
    ASSERT_NE(s->volumeControl, nullptr);
    EXPECT_EQ(sounds().getVolumeControlCount(), controlsBefore + 1);
    EXPECT_EQ(s->volumeControl->typeVolume, sounds().getTypeVolume(4));
}

TEST_F(MovieSpriteTest, FactoriesGiveNothingWhenThePlayerOrItsTextureCannotBeMade)
{
    struct Case
    {
        const char* what;
        std::function<void(FakeCore&)> arrange;
    } cases[] = {
        {"no player", [](FakeCore& core) { core.makeMovies = false; }},
        {"open fails", [](FakeCore& core) { core.movieOpenResult = -1; }},
        {"no texture", [](FakeCore& core) { core.render->noTexture = true; }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        t.core->makeMovies = true;
        t.core->movieOpenResult = 0;
        t.core->render->noTexture = false;
        c.arrange(*t.core);
        const size_t controlsBefore = sounds().getVolumeControlCount();
        EXPECT_EQ(task->createMovieSprite("op.ogv", 0, Vector2D()), nullptr);
        EXPECT_EQ(task->createMovieSpriteMask("op.ogv", 0), nullptr);
        // Nothing stays behind: the sanitizer sees a player that was not released.
        EXPECT_EQ(sounds().getVolumeControlCount(), controlsBefore);
    }
}

TEST_F(MovieSpriteTest, MovieMaskIsAMaskOverTheMovie)
{
    CSpriteMask* m = task->createMovieSpriteMask("mask.ogv", 1);
    ASSERT_NE(m, nullptr);
    task->removeTaskObject(m);
    owned.push_back(m);
    EXPECT_EQ(m->isMovie(), 1);
    EXPECT_EQ(m->getBlendMode(), 0);
    EXPECT_NE(m->maskObject, nullptr);
    EXPECT_EQ(log().named("open").back(), "open(movie1, mask.ogv, 1)");
}

TEST_F(MovieSpriteTest, LoopOfOneMeansForEverAndCommandsMarkTheControl)
{
    CSprite* s = movieSprite();
    struct Case
    {
        std::function<int(CSprite&)> command;
        std::string call;
        int32_t audibleAfter; // -1: the control is not touched
    } cases[] = {
        {[](CSprite& x) { return x.play(1); }, "play(movie1, -1)", 1},
        {[](CSprite& x) { return x.play(0); }, "play(movie1, 0)", 1},
        {[](CSprite& x) { return x.play(2); }, "play(movie1, 2)", 1},
        {[](CSprite& x) { return x.setLoop(1); }, "setLoop(movie1, -1)", -1},
        {[](CSprite& x) { return x.setLoop(0); }, "setLoop(movie1, 0)", -1},
        {[](CSprite& x) { return x.setLoop(5); }, "setLoop(movie1, 5)", -1},
        {[](CSprite& x) { return x.pause(); }, "pause(movie1)", 0},
        {[](CSprite& x) { return x.onResume(); }, "resume(movie1)", 1},
        {[](CSprite& x) { return x.stop(); }, "stop(movie1)", 0},
        {[](CSprite& x) { return x.seek(1500); }, "seek(movie1, 1500)", -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.call);
        CVolumeControl& control = *s->volumeControl;
        control.audible = 7;
        control.changed = 0;
        control.jumpRequest = 0;
        movie()->commandResult = -3; // the library's answer is handed back
        log().clear();
        EXPECT_EQ(c.command(*s), -3);
        EXPECT_EQ(log().calls(), std::vector<std::string>{c.call});
        if (c.audibleAfter < 0)
        {
            EXPECT_EQ(control.audible, 7);
            EXPECT_EQ(control.changed, 0);
        }
        else
        {
            EXPECT_EQ(control.audible, c.audibleAfter);
            EXPECT_EQ(control.changed, 1);
            EXPECT_EQ(control.jumpRequest, 1);
        }
    }
    movie()->duration = 9000;
    movie()->position = 2500;
    EXPECT_EQ(s->getDurationTime(), 9000);
    EXPECT_EQ(s->getRemainTime(), 2500);
    movie()->playing = 1;
    movie()->paused = 1;
    EXPECT_EQ(s->isPlaying(), 1u);
    EXPECT_EQ(s->isPaused(), 1);
}

TEST_F(MovieSpriteTest, WithoutAMovieCommandsFailAndQueriesAnswerZero)
{
    const int32_t rect[4] = {0, 0, 16, 16};
    auto* texture = new FakeTexture("cg/a.png", 16, 16);
    auto* s = new CSprite(texture, Vector2D(), rect);
    texture->release();
    owned.push_back(s);
    const int32_t one = 1;
    EXPECT_EQ(s->isMovie(), 0);
    EXPECT_EQ(s->getMovie(), nullptr);
    EXPECT_EQ(s->play(one), -1);
    EXPECT_EQ(s->pause(), -1);
    EXPECT_EQ(s->onResume(), -1);
    EXPECT_EQ(s->stop(), -1);
    EXPECT_EQ(s->setLoop(one), -1);
    EXPECT_EQ(s->seek(one), -1);
    EXPECT_EQ(s->getDurationTime(), 0);
    EXPECT_EQ(s->getRemainTime(), 0);
    EXPECT_EQ(s->isPlaying(), 0u);
    EXPECT_EQ(s->isPaused(), 0);
    // The volume is kept all the same, and nothing is applied.
    s->setVolume(0.25f, 0, 0);
    EXPECT_FLOAT_EQ(s->getVolume(), 0.25f);
    EXPECT_EQ(s->volumeControl, nullptr);
}

TEST_F(MovieSpriteTest, ApplyVolumeSendsTheLevelAndWhetherTheMovieIsHeard)
{
    CSprite* s = movieSprite();
    CVolumeControl& control = *s->volumeControl;
    CSoundTypeVolume* type = sounds().getTypeVolume(4);
    struct Case
    {
        float volume;
        int playing, paused;
        float groups, typeLevel, fade;
        int32_t audible;
        float sent;
    } cases[] = {
        {1.0f, 1, 0, 1.0f, 1.0f, 1.0f, 1, 1.0f},   {0.5f, 1, 0, 0.5f, 0.5f, 0.5f, 1, 0.0625f},
        {0.0f, 1, 0, 1.0f, 1.0f, 1.0f, 0, 0.0f},   {-0.5f, 1, 0, 1.0f, 1.0f, 1.0f, 0, 0.0f},
        {1.0f, 0, 0, 1.0f, 1.0f, 1.0f, 0, 1.0f},   {1.0f, 1, 1, 1.0f, 1.0f, 1.0f, 0, 1.0f},
        {1.0f, 1, 0, 0.0f, 1.0f, 1.0f, 0, 0.0f},   {1.0f, 1, 0, 1.0f, 0.0f, 1.0f, 0, 0.0f},
        {0.8f, 1, 0, 1.0f, 1.0f, 0.0f, 1, 0.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " playing " << c.playing << " paused "
                                        << c.paused << " groups " << c.groups << " type " << c.typeLevel);
        s->volume.set(c.volume, c.volume, 0u, 0);
        movie()->playing = c.playing;
        movie()->paused = c.paused;
        control.groupLevel = c.groups;
        type->volume.set(c.typeLevel, c.typeLevel, 0u, 0);
        control.fade.set(c.fade, c.fade, 0u, 0);
        control.audible = 1 - c.audible;
        control.changed = 1;
        log().clear();
        s->applyVolume();
        ASSERT_EQ(log().named("setVolume").size(), 1u);
        EXPECT_EQ(control.audible, c.audible);
        EXPECT_EQ(control.changed, 0);
        const std::string sent = log().named("setVolume")[0];
        EXPECT_FLOAT_EQ(std::stof(sent.substr(sent.find(", ") + 2)), c.sent) << sent;
    }
}

TEST_F(MovieSpriteTest, PausedMovieFallsSilentAtTheNextUpdateAndVolumeChangesApplyAtOnce)
{
    CSprite* s = movieSprite();
    CVolumeControl& control = *s->volumeControl;
    s->play(0);
    movie()->playing = 1;
    s->update();
    EXPECT_EQ(control.audible, 1);

    // The library pauses (the script's pause marks the control; here only the player knows).
    movie()->paused = 1;
    control.changed = 1;
    s->update();
    EXPECT_EQ(control.audible, 0);

    // Muting at once reaches the player in the same call and silences the control.
    movie()->paused = 0;
    log().clear();
    s->setVolume(0.0f, 0, 0);
    EXPECT_EQ(log().named("setVolume"), std::vector<std::string>{"setVolume(movie1, 0)"});
    EXPECT_EQ(control.audible, 0);
    s->setVolume(1.0f, 0, 0);
    EXPECT_EQ(control.audible, 1);

    // A fade reaches the player frame by frame through update, from the level it stands at.
    log().clear();
    s->setVolume(0.5f, 100, 70); // easing 70 counts as linear
    EXPECT_TRUE(log().named("setVolume").empty());
    EXPECT_EQ(s->volume.easing, 0);
    t.core->milliTime += 16;
    s->update();
    EXPECT_EQ(log().named("setVolume").size(), 1u);
}

TEST_F(MovieSpriteTest, RenderWritesTheFrameIntoTheTextureAndApplies)
{
    CSprite* s = movieSprite();
    log().clear();
    s->render();
    const auto calls = log().calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "updateFrame(movie1, texture)");
    EXPECT_EQ(calls[1], "quad.apply()");
}

TEST_F(MovieSpriteTest, TimeScaleReachesThePlayerAndEveryInterpolatorButTheCornerOffsets)
{
    CSprite* s = movieSprite();
    log().clear();
    s->setTimeScale(2.0f);
    EXPECT_EQ(log().named("setSpeed"), std::vector<std::string>{"setSpeed(movie1, 2)"});
    const std::vector<float*> scaled{
        &s->opacity.timeScale,          &s->position.timeScale,        &s->scaling.timeScale,
        &s->rotation.timeScale,         &s->transitionValue.timeScale, &s->volume.timeScale,
        &s->bezier.progress.timeScale,  &s->spline.progress.timeScale, &s->scrollSpeed.timeScale,
        &s->radialBlur.power.timeScale, &s->directionalBlur.power.timeScale, &s->colorLevel.timeScale,
        &s->ripple.power.timeScale,     &s->ripple.frequency.timeScale, &s->ripple.speed.timeScale,
        &s->raster.power.timeScale,     &s->raster.frequency.timeScale, &s->raster.speed.timeScale,
        &s->raster.rotation.timeScale,  &s->lens.center.timeScale,     &s->lens.power.timeScale,
        &s->lens.radius.timeScale,      &s->splitAction.timeScale,     &s->colorBalance.timeScale,
    };
    for (size_t i = 0; i < scaled.size(); ++i)
        EXPECT_FLOAT_EQ(*scaled[i], 2.0f) << "interpolator " << i;
    for (const auto& effect : s->colorEffect)
        EXPECT_FLOAT_EQ(effect.timeScale, 2.0f);
    for (const auto& colour : s->vertexColor)
        EXPECT_FLOAT_EQ(colour.timeScale, 2.0f);
    for (const auto& corner : s->vertexMove)
        EXPECT_FLOAT_EQ(corner.timeScale, 1.0f);
}

TEST_F(MovieSpriteTest, DestructionReleasesThePlayerAndRemovesTheControl)
{
    CSprite* s = movieSprite();
    movie()->releaseNote = {&log(), "movie1"};
    const size_t controls = sounds().getVolumeControlCount();
    owned.clear();
    log().clear();
    s->release();
    EXPECT_EQ(log().named("release"), std::vector<std::string>{"release(movie1)"});
    EXPECT_EQ(sounds().getVolumeControlCount(), controls - 1);
}

} // namespace
