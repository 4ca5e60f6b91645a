#include "core/CVolumeControl.h"

#include "core/CSoundGroup.h"
#include "core/CSoundTypeVolume.h"

#include <algorithm>

namespace Orvane
{

CVolumeControl::CVolumeControl()
{
    fade.set(1.0f, 1.0f, 0, 0);
}

void CVolumeControl::addSoundGroup(CSoundGroup* group, int32_t level, float factor)
{
    if (!group) return;
    factor = std::clamp(factor, 0.0f, 1.0f);
    for (Link& link : links)
        if (link.group == group)
        {
            link.level = level;
            link.factor = factor;
            return;
        }
    links.push_back({group, level, factor});
}

bool CVolumeControl::maySound() const
{
    return audible && groupLevel > 0.0f && (!typeVolume || typeVolume->volume.scaledValue != 0.0f);
}

float CVolumeControl::duckedTarget() const
{
    float target = 1.0f;
    for (const Link& link : links)
        if (link.level < link.group->top) target *= link.factor;
    return target;
}

void CVolumeControl::fadeTo(float target)
{
    const float current = fade.scaledValue;
    if (target > fade.to)
        fade.set(current, target, toWholeMilliseconds(fadeInTime), fadeInCurve);
    else if (target < fade.to)
        fade.set(current, target, toWholeMilliseconds(fadeOutTime), fadeOutCurve);
    else
        return;
    changed = 1;
}

void CVolumeControl::update()
{
    groupLevel = 1.0f;
    for (const Link& link : links)
    {
        if (link.group->running || link.group->wasRunning) changed = 1;
        groupLevel *= link.group->volume.scaledValue;
    }
    const bool silentNow = !maySound();
    if (silentNow) silent = 1;
    fadeTo(silentNow ? 0.0f : duckedTarget());
    if (fade.update()) changed = 1;
    // Silencing takes effect at once, and so does the first step after it; only ducking fades.
    if (jumpRequest || silent)
    {
        fade.complete();
        jumpRequest = 0;
    }
    silent = silentNow ? 1 : 0;
}

bool CVolumeControl::hasPendingChange() const
{
    return changed || (typeVolume && (typeVolume->running || typeVolume->wasRunning));
}

} // namespace Orvane
