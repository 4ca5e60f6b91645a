#include "SoundTestFixture.h"

#include "sound/Squirrel/SQSound.h"
#include "sound/Squirrel/SQSound3D.h"

using namespace Orvane;
using namespace Orvane::Squirrel;
using namespace OrvaneTest;

TEST_F(SoundTest, CreateKeepsTheSameStreamReopensAnotherNameAndLoadOpensAnew)
{
    auto* binding = own(new SQSound("bgm"));
    EXPECT_NE(dynamic_cast<CNullSound*>(binding->getInner()), nullptr);
    EXPECT_EQ(binding->create("sound/a.ogg"), 0);
    binding->play();
    device->log.clear();

    // Same name: stopped, the stream kept.
    EXPECT_EQ(binding->create("sound/a.ogg"), 0);
    EXPECT_EQ(device->actions(), (Calls{"stop(1, -1)", "setVolume(1, 1, -1)"}));
    EXPECT_EQ(binding->isPlaying(), 0);

    // Another name: the same handle opens the new file.
    device->log.clear();
    EXPECT_EQ(binding->create("sound/b.ogg"), 0);
    EXPECT_EQ(device->actions(), (Calls{"stop(1, -1)", "setVolume(1, 1, -1)", "releaseHandle(1)",
                                        "open(sound/b.ogg, 1, 1, 1, 1)", "setPan(1, 0, -1)",
                                        "setFrequency(1, 1, -1)", "setVolume(1, 1, -1)"}));
    EXPECT_EQ(binding->getInner()->getFileName(), "sound/b.ogg");

    // Load after create: the streamed sound goes, the file opens in memory under a new handle.
    device->log.clear();
    EXPECT_EQ(binding->load("sound/b.ogg"), 0);
    EXPECT_EQ(device->actions(), (Calls{"stop(1, -1)", "setVolume(1, 1, -1)", "releaseHandle(1)",
                                        "requestHandle(-4096, -1)", "releaseHandle(2)",
                                        "open(sound/b.ogg, 0, 2, 10, 1)", "setVolume(2, 1, -1)"}));
    // The binding steps its sound; the task does not hold it (the fixture took the binding out).
    EXPECT_TRUE(task->getTaskObjects().empty());
}

TEST_F(SoundTest, AFailedOpenGivesMinusOneAndAPlaceholder)
{
    auto* binding = own(new SQSound("bgm"));
    device->missing.insert("sound/none.ogg");
    EXPECT_EQ(binding->create("sound/none.ogg"), -1);
    EXPECT_NE(dynamic_cast<CNullSound*>(binding->getInner()), nullptr);

    EXPECT_EQ(binding->create("sound/a.ogg"), 0);
    EXPECT_EQ(binding->create("sound/none.ogg"), -1);
    EXPECT_NE(dynamic_cast<CNullSound*>(binding->getInner()), nullptr);
    device->log.clear();
    binding->play();
    binding->setVolume(0.0f, 0, 0);
    binding->addSoundGroup("none", 1, 0.5f);
    EXPECT_EQ(binding->getVolume(), 0.0f);
    EXPECT_EQ(binding->update(), 0);
    EXPECT_TRUE(device->log.calls().empty());

    auto* positional = own(new SQSound3D("engine"));
    EXPECT_EQ(positional->load("sound/none.ogg"), -1);
    EXPECT_NE(dynamic_cast<CNullSound3D*>(positional->getInner()), nullptr);
}

TEST_F(SoundTest, TheBindingStepsItsSoundAndAnswersRemainingTime)
{
    auto* binding = own(new SQSound("bgm"));
    ASSERT_EQ(binding->load("sound/se.wav"), 0);
    device->duration = 3000;
    device->position = 1200;
    EXPECT_EQ(binding->getRemainTime(), 1800);
    binding->setPan(1.0f, 40, 0);
    device->log.clear();
    frames(2);
    EXPECT_EQ(device->log.named("setPan"), (Calls{"setPan(1, 0.5, -1)", "setPan(1, 1, -1)"}));
    // A negative time from a script acts at once.
    device->log.clear();
    binding->setPan(-1.0f, -5, 0);
    EXPECT_EQ(device->log.named("setPan"), (Calls{"setPan(1, -1, -1)"}));
}

TEST_F(SoundTest, PositionalBindingsOpenANewSoundEveryTime)
{
    auto* binding = own(new SQSound3D("engine"));
    EXPECT_EQ(binding->create("sound/engine.ogg"), 0);
    binding->play();
    device->log.clear();
    EXPECT_EQ(binding->create("sound/engine.ogg"), 0);
    EXPECT_EQ(device->actions(), (Calls{"releaseHandle(1)", "requestHandle(-4096, -1)", "releaseHandle(2)",
                                        "open3D(sound/engine.ogg, 1, 2, 1, 1)", "setVolume(2, 1, -1)"}));
    binding->move3D(1.0f, 2.0f, 3.0f, 0, 0);
    EXPECT_EQ(binding->getInner()->getMove3D().z, 3.0f);
}
