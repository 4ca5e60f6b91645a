#pragma once

#include "curve/CInterpolator.h"

#include <cstdint>
#include <vector>

namespace Orvane
{

class CSoundGroup;
class CSoundTypeVolume;

// The loudness of one sound-playing object: its sound groups (with ducking), its sound type's volume
// and a fade toward the loudness it should have now. The owner sets `audible` every frame, reads the
// fade's scaled value and `changed` in its own update, and clears `changed`.
class CVolumeControl
{
public:
    struct Link
    {
        CSoundGroup* group;
        int32_t level;
        // Applied while a sound of a higher level of the group is audible; 0..1.
        float factor;
    };

    CVolumeControl();

    // Joins the group, or changes level and factor when already in it; the factor is clamped to
    // 0..1. Nothing without a group.
    void addSoundGroup(CSoundGroup* group, int32_t level, float factor);
    // One frame's step: the target from groups, type volume and audibility, then the fade.
    void update();
    // Whether the owner must hand a new volume to its sound: `changed`, or the type volume fading
    // in this or the previous frame.
    bool hasPendingChange() const;
    float getVolume() const { return fade.scaledValue; }

    std::vector<Link> links;
    CInterpolator<float> fade;
    float fadeInTime = 100.0f;
    int32_t fadeInCurve = 0;
    float fadeOutTime = 100.0f;
    int32_t fadeOutCurve = 0;
    int32_t audible = 0;
    int32_t changed = 1;
    // The next step lands on its target at once; set at first so a new sound starts at its volume.
    int32_t jumpRequest = 1;
    // The last step found the sound silenced.
    int32_t silent = 0;
    CSoundTypeVolume* typeVolume = nullptr;
    // Product of the linked groups' volumes, computed each step.
    float groupLevel = 1.0f;

private:
    bool maySound() const;
    float duckedTarget() const;
    void fadeTo(float target);
};

} // namespace Orvane
