#include "core/CSoundManager.h"
#include "core/CSoundGroup.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"

#include "curve/CurveTestApp.h"

#include <gtest/gtest.h>

using namespace Orvane;

namespace
{

constexpr uint32_t FrameMs = 20;

// A sound manager stepped frame by frame under the fake clock. Each control stands for a sound whose
// owner reads the volume and clears `changed` after every step, as the sound objects do.
class SoundStep : public ::testing::Test
{
protected:
    CVolumeControl* newControl(bool audible)
    {
        auto* control = new CVolumeControl;
        control->audible = audible ? 1 : 0;
        manager.addVolumeControl(control);
        return control;
    }
    // One frame; the owners then take the change flags.
    void frame()
    {
        clock.frame(FrameMs);
        manager.update();
        lastChanged.clear();
        for (CVolumeControl* control : owned)
        {
            lastChanged.push_back(control->changed);
            control->changed = 0;
        }
    }
    void frames(int count)
    {
        for (int i = 0; i < count; ++i)
            frame();
    }
    // Fades a group as the script's group volume does: the fade and the running flag.
    void fadeGroup(CSoundGroup* group, float volume, uint32_t ms)
    {
        const float current = group->volume.scaledValue;
        group->volume.set(current, volume, ms, 0);
        group->running = 1;
    }
    // The same for a sound type, whose running flag is set only for an immediate change.
    void fadeType(CSoundTypeVolume* type, float volume, uint32_t ms)
    {
        const float current = type->volume.scaledValue;
        type->volume.set(current, volume, ms, 0);
        if (ms == 0) type->running = 1;
    }

    OrvaneTest::CurveTestApp clock;
    CSoundManager manager;
    std::vector<CVolumeControl*> owned;
    std::vector<int32_t> lastChanged;
};

TEST_F(SoundStep, GroupsAndTypeVolumesAreMadeOnce)
{
    manager.defineSoundGroup("voice");
    CSoundGroup* voice = manager.findSoundGroup("voice");
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(voice->volume.scaledValue, 1.0f);
    EXPECT_EQ(voice->running, 1);
    fadeGroup(voice, 0.5f, 0);
    manager.defineSoundGroup("voice");
    EXPECT_EQ(manager.findSoundGroup("voice"), voice);
    EXPECT_EQ(voice->volume.scaledValue, 0.5f);
    EXPECT_EQ(manager.findSoundGroup("Voice"), nullptr);

    CSoundTypeVolume* type = manager.getTypeVolume(3);
    EXPECT_EQ(type->volume.scaledValue, 1.0f);
    EXPECT_EQ(manager.getTypeVolume(3), type);
    EXPECT_NE(manager.getTypeVolume(4), type);
}

TEST_F(SoundStep, LinksClampTheFactorAndUpdateInPlace)
{
    manager.defineSoundGroup("a");
    CSoundGroup* a = manager.findSoundGroup("a");
    CVolumeControl control;
    control.addSoundGroup(nullptr, 1, 0.5f);
    EXPECT_TRUE(control.links.empty());
    control.addSoundGroup(a, 1, 1.5f);
    control.addSoundGroup(a, 3, -0.5f);
    ASSERT_EQ(control.links.size(), 1u);
    EXPECT_EQ(control.links[0].level, 3);
    EXPECT_EQ(control.links[0].factor, 0.0f);
}

TEST_F(SoundStep, ControlsAreRemovedAndDeleted)
{
    CVolumeControl* control = newControl(true);
    manager.addVolumeControl(control);
    EXPECT_EQ(manager.getVolumeControlCount(), 1u);
    manager.removeVolumeControl(control);
    EXPECT_EQ(control, nullptr);
    EXPECT_EQ(manager.getVolumeControlCount(), 0u);

    auto* stray = new CVolumeControl;
    manager.removeVolumeControl(stray);
    EXPECT_EQ(stray, nullptr);
    frame();
}

TEST_F(SoundStep, AudibleWithoutLinksPlaysFullAndSilenceIsImmediate)
{
    CVolumeControl* control = newControl(true);
    owned = {control};
    frame();
    EXPECT_EQ(control->getVolume(), 1.0f);
    EXPECT_EQ(control->groupLevel, 1.0f);

    control->audible = 0;
    frame();
    EXPECT_EQ(control->getVolume(), 0.0f);
    EXPECT_EQ(control->silent, 1);
    EXPECT_EQ(lastChanged[0], 1);

    // The first step in which it may sound again lands on its target.
    control->audible = 1;
    frame();
    EXPECT_EQ(control->getVolume(), 1.0f);
    EXPECT_EQ(control->silent, 0);
}

// Two sounds of one group: the lower level is ducked to its factor over the fade-out time while the
// higher one plays, and comes back over the fade-in time when it stops.
TEST_F(SoundStep, DuckingFadesOutAndBackIn)
{
    manager.defineSoundGroup("voice");
    CSoundGroup* voice = manager.findSoundGroup("voice");
    CVolumeControl* low = newControl(true);
    low->addSoundGroup(voice, 1, 0.3f);
    low->fadeOutTime = 200.0f;
    low->fadeInTime = 400.0f;
    CVolumeControl* high = newControl(false);
    high->addSoundGroup(voice, 2, 0.5f);
    owned = {low, high};
    frames(3);
    EXPECT_EQ(low->getVolume(), 1.0f);

    high->audible = 1;
    frame();
    EXPECT_EQ(voice->top, 2);
    EXPECT_EQ(high->getVolume(), 1.0f);
    float previous = low->getVolume();
    EXPECT_LT(previous, 1.0f);
    EXPECT_EQ(lastChanged[0], 1);
    // 200 ms at 20 ms a frame: still falling after nine more frames, at the factor after ten.
    for (int i = 0; i < 8; ++i)
    {
        frame();
        EXPECT_LT(low->getVolume(), previous);
        EXPECT_GT(low->getVolume(), 0.3f);
        EXPECT_EQ(lastChanged[0], 1);
        previous = low->getVolume();
    }
    frames(2);
    EXPECT_FLOAT_EQ(low->getVolume(), 0.3f);
    frame();
    EXPECT_EQ(lastChanged[0], 0);
    EXPECT_EQ(high->getVolume(), 1.0f);

    high->audible = 0;
    frame();
    EXPECT_EQ(high->getVolume(), 0.0f);
    EXPECT_EQ(voice->top, 1);
    EXPECT_EQ(voice->previousTop, 2);
    EXPECT_GT(low->getVolume(), 0.3f);
    frames(18);
    EXPECT_LT(low->getVolume(), 1.0f);
    frames(2);
    EXPECT_EQ(low->getVolume(), 1.0f);
}

TEST_F(SoundStep, TypeVolumeZeroSilencesAtOnceAndRaisingItJumpsBack)
{
    CVolumeControl* control = newControl(true);
    CSoundTypeVolume* type = manager.getTypeVolume(3);
    control->typeVolume = type;
    owned = {control};
    frames(3);
    EXPECT_FALSE(control->hasPendingChange());
    EXPECT_EQ(control->getVolume(), 1.0f);

    fadeType(type, 0.0f, 0);
    frame();
    EXPECT_EQ(control->getVolume(), 0.0f);
    EXPECT_TRUE(control->hasPendingChange());

    fadeType(type, 1.0f, 500);
    frame();
    EXPECT_GT(type->volume.scaledValue, 0.0f);
    EXPECT_LT(type->volume.scaledValue, 1.0f);
    EXPECT_EQ(control->getVolume(), 1.0f);
    EXPECT_TRUE(control->hasPendingChange());
}

// Each type entry advances its own fade, at its own pace, with its own running flags.
TEST_F(SoundStep, EveryTypeVolumeFadesOnItsOwn)
{
    CSoundTypeVolume* slow = manager.getTypeVolume(1);
    CSoundTypeVolume* fast = manager.getTypeVolume(2);
    manager.defineSoundGroup("g");
    CSoundGroup* group = manager.findSoundGroup("g");
    frames(2);
    fadeType(slow, 0.0f, 190);
    fadeType(fast, 0.5f, 90);
    frames(5);
    EXPECT_FLOAT_EQ(fast->volume.scaledValue, 0.5f);
    EXPECT_EQ(fast->running, 1);
    EXPECT_GT(slow->volume.scaledValue, 0.0f);
    EXPECT_LT(slow->volume.scaledValue, 1.0f);
    EXPECT_EQ(group->volume.scaledValue, 1.0f);
    frame();
    EXPECT_EQ(fast->running, 0);
    EXPECT_EQ(fast->wasRunning, 1);
    frames(5);
    EXPECT_EQ(slow->volume.scaledValue, 0.0f);
    frame();
    EXPECT_EQ(slow->running, 0);
    EXPECT_EQ(group->running, 0);
}

TEST_F(SoundStep, GroupFadeMarksControlsChangedDuringItAndOneFrameAfter)
{
    manager.defineSoundGroup("bgm");
    CSoundGroup* bgm = manager.findSoundGroup("bgm");
    CVolumeControl* linked = newControl(true);
    linked->addSoundGroup(bgm, 0, 1.0f);
    CVolumeControl* other = newControl(true);
    owned = {linked, other};
    frames(3);
    EXPECT_EQ(lastChanged, (std::vector<int32_t>{0, 0}));

    fadeGroup(bgm, 0.5f, 90);
    int fadeFrames = 0;
    do
    {
        frame();
        ++fadeFrames;
        EXPECT_EQ(lastChanged[0], 1) << fadeFrames;
        EXPECT_EQ(lastChanged[1], 0) << fadeFrames;
    } while (bgm->volume.active);
    EXPECT_EQ(fadeFrames, 5);
    EXPECT_FLOAT_EQ(linked->groupLevel, 0.5f);
    EXPECT_EQ(linked->getVolume(), 1.0f);

    frame();
    EXPECT_EQ(lastChanged[0], 1);
    frame();
    EXPECT_EQ(lastChanged[0], 0);

    // A group at volume 0 silences its sounds at once.
    fadeGroup(bgm, 0.0f, 0);
    frame();
    EXPECT_EQ(linked->getVolume(), 0.0f);
    EXPECT_EQ(other->getVolume(), 1.0f);
}

} // namespace
