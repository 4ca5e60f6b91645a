#include "SoundTestFixture.h"

#include "core/CSoundTypeVolume.h"
#include "sound/Squirrel/SQSoundDevice.h"

using namespace Orvane;
using namespace OrvaneTest;

TEST_F(SoundTest, PositionalSoundsOpenThroughOpen3DWithTheirOwnVolumeOnly)
{
    t.app->soundManager->getTypeVolume(4)->volume.set(0.5f, 0.5f, 0, 0);
    CSound3D* sound = createSound3D("sound/engine.ogg");
    CSound3D* loaded = own(task->loadSound3D("sound/step.wav"));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(device->log.calls(), (Calls{"requestHandle(-4096, -1)", "releaseHandle(1)",
                                          "open3D(sound/engine.ogg, 1, 1, 1, 1)", "setVolume(1, 1, -1)",
                                          "requestHandle(-4096, -1)", "releaseHandle(2)",
                                          "open3D(sound/step.wav, 0, 2, 10, 1)", "setVolume(2, 1, -1)"}));
    sound->setType(4);
    sound->setVolume(0.8f, 40, 0);
    device->log.clear();
    frames(3);
    EXPECT_EQ(device->actions(), (Calls{"setVolume(1, 0.9, -1)", "setVolume(1, 0.8, -1)"}));
    // The shared operations still apply the type.
    device->log.clear();
    sound->play();
    EXPECT_EQ(lastVolume(1), 0.4f);
}

TEST_F(SoundTest, MoveWithoutTimeSendsAtOnceAndAMoveEasesFrameByFrame)
{
    CSound3D* sound = createSound3D("sound/engine.ogg");
    device->log.clear();
    sound->move3D(1.0f, 2.0f, 3.0f, 0, 0);
    EXPECT_EQ(device->actions(), (Calls{"setPosition3D(1, 1, 2, 3)"}));
    EXPECT_EQ(sound->isMoving(), 0);

    device->log.clear();
    sound->move3D(3.0f, 2.0f, 1.0f, 40, 99);
    EXPECT_EQ(sound->isMoving(), 1);
    frames(3);
    EXPECT_EQ(device->actions(), (Calls{"setPosition3D(1, 2, 2, 2)", "setPosition3D(1, 3, 2, 1)"}));
    EXPECT_EQ(sound->isMoving(), 0);
    EXPECT_EQ(sound->getMove3D().x, 3.0f);
}

TEST_F(SoundTest, PanOnAPositionalSoundSendsNothing)
{
    CSound3D* sound = createSound3D("sound/engine.ogg");
    device->log.clear();
    sound->setPan(1.0f, 40, 0);
    frames(3);
    EXPECT_EQ(sound->getPan(), 1.0f);
    EXPECT_TRUE(device->actions().empty());
    EXPECT_EQ(sound->getPulse(), 0.0f);
}

TEST_F(SoundTest, APositionalFadeToZeroStopsWhenItEnds)
{
    CSound3D* sound = createSound3D("sound/engine.ogg");
    sound->play();
    device->log.clear();
    sound->setVolume(0.0f, 40, 0);
    frames(3);
    EXPECT_EQ(device->actions(), (Calls{"setVolume(1, 0.5, -1)", "setVolume(1, 0, -1)", "stop(1, -1)"}));
}

TEST_F(SoundTest, APositionalPlaceholderDoesNothing)
{
    {
        CNullSound3D placeholder;
        EXPECT_EQ(placeholder.create(1, 1.0f, "sound/engine.ogg"), -1);
        placeholder.move3D(1.0f, 2.0f, 3.0f, 0, 0);
        placeholder.play();
        EXPECT_EQ(placeholder.isMoving(), 0);
        EXPECT_EQ(placeholder.getMove3D().y, 0.0f);
        EXPECT_EQ(placeholder.update(), 0);
    }
    EXPECT_TRUE(device->log.calls().empty());
}

TEST_F(SoundTest, TheListenerSendsRotationThenPositionWhileEitherEases)
{
    auto* listener = own(new Squirrel::SQSoundDevice("listener"));
    listener->moveListener(0.0f, 0.0f, 5.0f, 0, 0);
    listener->rotateListener(0.0f, 90.0f, 0.0f, 0, 0);
    EXPECT_EQ(device->log.calls(), (Calls{"setListenerPosition(0, 0, 5)", "setListenerRotation(0, 90, 0)"}));

    device->log.clear();
    listener->moveListener(0.0f, 0.0f, 15.0f, 40, 0);
    frames(3);
    EXPECT_EQ(device->log.calls(), (Calls{"setListenerRotation(0, 90, 0)", "setListenerPosition(0, 0, 10)",
                                          "setListenerRotation(0, 90, 0)", "setListenerPosition(0, 0, 15)"}));

    device->log.clear();
    listener->rotateListener(0.0f, 180.0f, 0.0f, 20, 0);
    frames(2);
    EXPECT_EQ(device->log.calls(), (Calls{"setListenerRotation(0, 180, 0)", "setListenerPosition(0, 0, 15)"}));
}
