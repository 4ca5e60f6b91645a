#pragma once

#include "core/CObject.h"
#include "curve/CInterpolator.h"

#include <cstdint>
#include <string>

namespace Orvane
{

// A named face effect whose value waits, then eases to a target; the scene model reads the value.
class CModelFaceEffect : public CObject
{
public:
    CModelFaceEffect();

    void start(const std::string& effectName, float target, float durationMs, uint32_t easing, float waitMs);
    // One time step of d milliseconds; true while the wait or the ease still runs.
    bool step(float d);

    CInterpolator<float> value;
    float remainingWait = 0.0f;
    float waitLength = 0.0f;
    float waitTimeScale = 1.0f;
    std::string name;
    uint32_t active = 0;
};

} // namespace Orvane
