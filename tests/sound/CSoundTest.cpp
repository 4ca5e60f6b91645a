#include "SoundTestFixture.h"

#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"

using namespace Orvane;
using namespace OrvaneTest;

TEST_F(SoundTest, FactoriesOpenStreamedOrWithTenInstancesUnderNewHandles)
{
    CSound* music = createSound("sound/bgm.ogg");
    CSound* effect = loadSound("sound/se.wav");
    ASSERT_NE(music, nullptr);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(device->log.calls(), (Calls{"requestHandle(-4096, -1)", "releaseHandle(1)",
                                          "open(sound/bgm.ogg, 1, 1, 1, 1)", "setVolume(1, 1, -1)",
                                          "requestHandle(-4096, -1)", "releaseHandle(2)",
                                          "open(sound/se.wav, 0, 2, 10, 1)", "setVolume(2, 1, -1)"}));
    EXPECT_EQ(music->getName(), "sound/bgm.ogg");
    EXPECT_EQ(music->getCreateMode(), 1);
    EXPECT_EQ(effect->getCreateMode(), 0);
    EXPECT_EQ(effect->getInstanceCount(), 10u);
}

TEST_F(SoundTest, AFailedOpenGivesNoSoundAndFreesItsHandle)
{
    device->missing.insert("sound/none.ogg");
    EXPECT_EQ(task->createSound("sound/none.ogg"), nullptr);
    EXPECT_EQ(device->log.calls(), (Calls{"requestHandle(-4096, -1)", "releaseHandle(1)",
                                          "open(sound/none.ogg, 1, 1, 1, 1)", "releaseHandle(1)"}));
    EXPECT_TRUE(task->getTaskObjects().empty());

    CSound sound("s");
    EXPECT_EQ(sound.create(7, 0.5f, "sound/none.ogg"), -1);
    EXPECT_EQ(sound.getFileName(), "");
    EXPECT_EQ(sound.getCreateMode(), -1);
    EXPECT_EQ(sound.getHandle(), 7u);
    EXPECT_EQ(sound.getVolume(), 0.5f);
}

TEST_F(SoundTest, TenInstancesArePlayedInTurn)
{
    CSound* effect = loadSound("sound/se.wav");
    device->log.clear();
    for (int i = 0; i < 11; ++i)
        effect->play();
    Calls expected;
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0})
        expected.push_back("play(1, 1, 0, 0, " + std::to_string(i) + ")");
    EXPECT_EQ(device->log.named("play"), expected);
    EXPECT_EQ(volumesSent(1), std::vector<float>(11, 1.0f));
}

TEST_F(SoundTest, LoopPointsOutOfOrderOrNegativeAreIgnored)
{
    CSound* music = createSound("sound/bgm.ogg");
    device->log.clear();
    music->setLoop(1, 100, 50);
    music->setLoop(1, -1, 50);
    music->setLoop(1, 50, -1);
    music->play();
    music->setLoop(2, 100, 100);
    music->playLoop(0, 10, 200);
    EXPECT_EQ(device->actions(), (Calls{"play(1, 1, 0, 0, 0)", "setVolume(1, 1, -1)", "setLoop(1, 2, 100, 100, -1)",
                                        "setLoop(1, 0, 10, 200, -1)", "play(1, 0, 10, 200, 0)",
                                        "setVolume(1, 1, -1)"}));
}

TEST_F(SoundTest, AFadeToExactlyZeroStopsTheSoundInTheFrameItEnds)
{
    CSound* music = createSound("sound/bgm.ogg");
    music->play();
    frame();
    device->log.clear();
    music->setVolume(0.0f, 100, 0);
    std::vector<size_t> stopsPerFrame;
    for (int i = 0; i < 6; ++i)
    {
        frame();
        stopsPerFrame.push_back(device->log.named("stop").size());
    }
    // 100 ms in frames of 20 ms: the fifth frame reaches 0.0 and stops the sound.
    EXPECT_EQ(stopsPerFrame[3], 0u);
    EXPECT_EQ(stopsPerFrame[4], 1u);
    const std::vector<float> volumes = volumesSent(1);
    ASSERT_GE(volumes.size(), 5u);
    EXPECT_NEAR(volumes[1], 0.6f, 1e-5f);
    EXPECT_EQ(volumes[4], 0.0f);
    EXPECT_EQ(music->isPlaying(), 0);

    // A fade ending above zero keeps it playing.
    music->play();
    device->log.clear();
    music->setVolume(0.5f, 40, 0);
    frames(4);
    EXPECT_TRUE(device->log.named("stop").empty());
    EXPECT_EQ(lastVolume(1), 0.5f);
}

// Music started silent and faded up in the first frame: that frame follows the start within the
// same millisecond, so its step is 0 and the volume is still exactly 0.0.
TEST_F(SoundTest, AFadeUpFromSilenceIsNotStoppedByAFrameOfNoTime)
{
    for (CSound* music : {createSound("sound/bgm.ogg"), loadSound("sound/se.ogg")})
    {
        const uint32_t handle = music->getHandle();
        music->setVolume(0.0f, 0, 0);
        music->play();
        music->setVolume(0.8f, 1500, 0);
        device->log.clear();
        t.app->frameSpeed = 0.0f;
        t.app->frameTimeCap = 0.0f;
        for (Orvane::CTaskObject* object : owned)
            object->update();
        t.app->soundManager->update();
        EXPECT_EQ(music->getVolume(), 0.0f);
        frames(10);
        EXPECT_TRUE(device->log.named("stop").empty()) << handle;
        EXPECT_EQ(music->isPlaying(), 1);
        EXPECT_NEAR(lastVolume(handle), 0.8f * 200.0f / 1500.0f, 1e-5f);
    }
}

TEST_F(SoundTest, ImmediateVolumeZeroStopsAtOnceAndTinyVolumesAreSentAsSilence)
{
    CSound* music = createSound("sound/bgm.ogg");
    music->play();
    device->log.clear();
    music->setVolume(0.001f, 0, 0);
    EXPECT_EQ(device->actions(), (Calls{"setVolume(1, 0, -1)"}));
    music->setVolume(0.0f, 0, 0);
    EXPECT_EQ(device->actions(), (Calls{"setVolume(1, 0, -1)", "setVolume(1, 0, -1)", "stop(1, -1)"}));
}

TEST_F(SoundTest, EasingOutOfRangeBehavesAsLinear)
{
    CSound* music = createSound("sound/bgm.ogg");
    for (int easing : {61, -1, 0})
    {
        music->setVolume(1.0f, 0, 0);
        music->setVolume(0.0f, 100, easing);
        frames(2);
        EXPECT_NEAR(music->getVolume(), 0.6f, 1e-5f) << easing;
        EXPECT_EQ(music->getVolumeTimer(), 40.0f);
    }
}

TEST_F(SoundTest, TimersSeekAndClampToTheDuration)
{
    CSound* music = createSound("sound/bgm.ogg");
    music->setPan(1.0f, 200, 0);
    music->setPanTimer(100.0f);
    EXPECT_NEAR(music->getPan(), 0.5f, 1e-5f);
    music->setPanTimer(900.0f);
    EXPECT_EQ(music->getPan(), 1.0f);
    EXPECT_EQ(music->getPanTimer(), 200.0f);
    // Duration 0: nothing runs.
    music->setFrequencyTimer(50.0f);
    EXPECT_EQ(music->getFrequencyTimer(), 0.0f);
    EXPECT_EQ(music->getFrequency(), 1.0f);
}

TEST_F(SoundTest, PanAndFrequencyAreSentWhileTheyEase)
{
    CSound* music = createSound("sound/bgm.ogg");
    device->log.clear();
    music->setPan(-1.0f, 0, 0);
    music->setFrequency(2.0f, 40, 0);
    frames(3);
    Calls sent = device->log.named("setPan");
    for (const std::string& call : device->log.named("setFrequency"))
        sent.push_back(call);
    EXPECT_EQ(sent, (Calls{"setPan(1, -1, -1)", "setFrequency(1, 1.5, -1)", "setFrequency(1, 2, -1)"}));
}

TEST_F(SoundTest, SeekOnAPlayingSoundStartsTheNextInstance)
{
    CSound* effect = loadSound("sound/se.wav");
    effect->seek(500);
    effect->play();
    effect->seek(250);
    EXPECT_EQ(device->actions(),
              (Calls{"requestHandle(-4096, -1)", "releaseHandle(1)", "open(sound/se.wav, 0, 1, 10, 1)",
                     "setVolume(1, 1, -1)", "seek(1, 500)", "play(1, 1, 0, 0, 0)", "setVolume(1, 1, -1)",
                     "stop(1, -1)", "setVolume(1, 1, -1)", "seek(1, 250)", "play(1, 1, 0, 0, 1)",
                     "setVolume(1, 1, -1)"}));
}

TEST_F(SoundTest, EffectsStopTheSoundFirst)
{
    CSound* music = createSound("sound/bgm.ogg");
    music->play();
    device->log.clear();
    music->setEcho(50.0f, 0.0f, 100.0f, 150.0f, 0);
    music->setPresetReverb(8);
    EXPECT_EQ(device->actions(), (Calls{"stop(1, -1)", "setVolume(1, 1, -1)", "setEcho(1, 50, 0, 100, 150, 0)",
                                        "stop(1, -1)", "setVolume(1, 1, -1)", "setPresetReverb(1, 8)"}));
}

TEST_F(SoundTest, QueriesAskTheDeviceAndMeterOnlyWhilePlaying)
{
    CSound* music = createSound("sound/bgm.ogg");
    device->duration = 3000;
    device->position = 1200;
    device->pulse = 0.5f;
    EXPECT_EQ(music->getDurationTime(), 3000);
    EXPECT_EQ(music->getPosition(), 1200);
    EXPECT_EQ(music->getPulse(), 0.0f);
    music->play();
    EXPECT_EQ(music->getPulse(), 0.5f);
    music->pause();
    EXPECT_EQ(music->isPaused(), 1);
    music->onResume();
    EXPECT_EQ(music->isPaused(), 0);
    EXPECT_EQ(music->isPlaying(), 1);
}

TEST_F(SoundTest, ALowerLevelDucksUnderAHigherOneOverTheFadeTimesAndComesBack)
{
    t.app->soundManager->defineSoundGroup("voice");
    CSound* music = createSound("sound/bgm.ogg");
    CSound* voice = createSound("sound/voice.ogg");
    EXPECT_EQ(music->addSoundGroup("voice", 1, 0.3f), 0);
    EXPECT_EQ(voice->addSoundGroup("voice", 2, 1.0f), 0);
    EXPECT_EQ(music->addSoundGroup("none", 1, 0.3f), -1);
    music->setVolumeControlFadeTime(40.0f, 0, 100.0f, 0);
    music->play();
    frames(3);
    EXPECT_EQ(lastVolume(1), 1.0f);

    voice->play();
    device->log.clear();
    frames(7);
    // Ducked to 0.3 over the 100 ms fade-out time; the louder level stays at full volume.
    const std::vector<float> down = volumesSent(1);
    // The sound's step sends what the manager's step of the frame before computed.
    ASSERT_GE(down.size(), 5u);
    EXPECT_NEAR(down[0], 1.0f - 0.7f * 0.2f, 1e-4f);
    EXPECT_NEAR(down[1], 1.0f - 0.7f * 0.4f, 1e-4f);
    EXPECT_EQ(down.back(), 0.3f);
    EXPECT_EQ(lastVolume(2), 1.0f);

    voice->stop();
    device->log.clear();
    frames(5);
    // Back to full over the 40 ms fade-in time.
    const std::vector<float> up = volumesSent(1);
    ASSERT_GE(up.size(), 2u);
    EXPECT_NEAR(up[0], 0.3f + 0.7f * 0.5f, 1e-4f);
    EXPECT_EQ(up[1], 1.0f);
    EXPECT_EQ(up.back(), 1.0f);
}

TEST_F(SoundTest, TypeVolumeZeroIsSilentAtOnceAndTheTypeScalesTheVolume)
{
    CSound* music = createSound("sound/bgm.ogg");
    music->setType(3);
    music->play();
    frames(2);
    CSoundTypeVolume* type = t.app->soundManager->getTypeVolume(3);
    type->volume.set(1.0f, 0.5f, 0, 0);
    type->running = 1;
    frames(2);
    EXPECT_EQ(lastVolume(1), 0.5f);

    type->volume.set(0.5f, 0.0f, 0, 0);
    type->running = 1;
    device->log.clear();
    frame();
    EXPECT_EQ(lastVolume(1), 0.0f);
    frame();
    EXPECT_EQ(lastVolume(1), 0.0f);
    EXPECT_EQ(music->getVolumeControl()->getVolume(), 0.0f);

    type->volume.set(0.0f, 1.0f, 0, 0);
    type->running = 1;
    frames(3);
    EXPECT_EQ(lastVolume(1), 1.0f);
}

TEST_F(SoundTest, ReopenKeepsHandleLoopAndPanAndOpensTheSameWay)
{
    CSound* effect = loadSound("sound/se.wav");
    effect->setLoop(2, 10, 20);
    effect->setPan(0.5f, 0, 0);
    device->log.clear();
    EXPECT_EQ(effect->reopen("sound/other.wav"), 0);
    EXPECT_EQ(device->actions(), (Calls{"releaseHandle(1)", "open(sound/other.wav, 0, 1, 10, 1)",
                                        "setPan(1, 0.5, -1)", "setFrequency(1, 1, -1)", "setVolume(1, 1, -1)"}));
    EXPECT_EQ(effect->getFileName(), "sound/other.wav");
    EXPECT_EQ(effect->getCreateMode(), 0);
    device->missing.insert("sound/none.wav");
    EXPECT_EQ(effect->reopen("sound/none.wav"), -1);
    EXPECT_EQ(effect->getFileName(), "sound/other.wav");
}

TEST_F(SoundTest, WithoutADeviceNothingOpensAndNothingIsSent)
{
    t.app->soundDevice = nullptr;
    EXPECT_EQ(task->createSound("sound/bgm.ogg"), nullptr);
    CSound sound("s");
    EXPECT_EQ(sound.load(1, 1.0f, "sound/se.wav", 4), -1);
    EXPECT_EQ(sound.getInstanceCount(), 4u);
    sound.play();
    EXPECT_EQ(sound.isPlaying(), 0);
    EXPECT_EQ(sound.getDurationTime(), 0);
    t.app->soundDevice = device;
    EXPECT_TRUE(device->log.calls().empty());
}

TEST_F(SoundTest, APlaceholderNeverReachesTheDevice)
{
    CSound* music = createSound("sound/bgm.ogg");
    music->play();
    device->log.clear();
    {
        CNullSound placeholder;
        EXPECT_EQ(placeholder.create(1, 1.0f, "sound/bgm.ogg"), -1);
        EXPECT_EQ(placeholder.load(1, 1.0f, "sound/bgm.ogg", 10), -1);
        EXPECT_EQ(placeholder.reopen("sound/bgm.ogg"), -1);
        placeholder.play();
        placeholder.stop();
        placeholder.setVolume(0.0f, 0, 0);
        placeholder.setLoop(1, 0, 10);
        placeholder.applyVolume();
        placeholder.setType(2);
        placeholder.setEcho(1, 2, 3, 4, 5);
        EXPECT_EQ(placeholder.update(), 0);
        EXPECT_EQ(placeholder.isPlaying(), 0);
        EXPECT_EQ(placeholder.getPulse(), 0.0f);
        EXPECT_EQ(placeholder.getVolume(), 0.0f);
        EXPECT_EQ(placeholder.getFrequency(), 0.0f);
        EXPECT_EQ(placeholder.getType(), -1);
        EXPECT_EQ(placeholder.addSoundGroup("none", 1, 1.0f), -1);
    }
    EXPECT_TRUE(device->log.calls().empty());
    EXPECT_EQ(music->isPlaying(), 1);
}

TEST_F(SoundTest, DestroyingASoundFreesItsHandleAndItsVolumeControl)
{
    const size_t before = t.app->soundManager->getVolumeControlCount();
    CSound* music = task->createSound("sound/bgm.ogg");
    EXPECT_EQ(t.app->soundManager->getVolumeControlCount(), before + 1);
    device->log.clear();
    music->release();
    EXPECT_EQ(device->log.calls(), (Calls{"releaseHandle(1)"}));
    EXPECT_EQ(t.app->soundManager->getVolumeControlCount(), before);
    EXPECT_TRUE(task->getTaskObjects().empty());
}
