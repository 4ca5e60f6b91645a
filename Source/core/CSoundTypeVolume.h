#pragma once

#include "curve/CInterpolator.h"

#include <cstdint>

namespace Orvane
{

// The volume of every sound of one sound type.
class CSoundTypeVolume
{
public:
    CSoundTypeVolume() { volume.set(1.0f, 1.0f, 0, 0); }

    // Whether the volume fade ran in the previous and in this frame; set at first so that sounds
    // pick the volume up.
    int32_t wasRunning = 1;
    int32_t running = 1;
    CInterpolator<float> volume;
};

} // namespace Orvane
