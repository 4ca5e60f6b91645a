#pragma once

#include "curve/CInterpolator.h"

#include <cstdint>

namespace Orvane
{

// A named set of sounds with one volume fade. Within a group the sounds of the highest audible
// level play at full volume and the others are ducked.
class CSoundGroup
{
public:
    CSoundGroup();

    // The highest level among the group's audible sounds in the previous and in this frame.
    int32_t previousTop = 0;
    int32_t top = 0;
    // Whether the volume fade ran in the previous and in this frame.
    int32_t wasRunning = 1;
    int32_t running = 1;
    CInterpolator<float> volume;
};

} // namespace Orvane
