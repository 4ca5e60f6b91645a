#include "model/CModelFaceEffect.h"

#include "model/CModelFocus.h"

namespace Orvane
{

CModelFaceEffect::CModelFaceEffect()
{
    value.set(0.0f, 0.0f, 0, 0);
}

void CModelFaceEffect::start(const std::string& effectName, float target, float durationMs, uint32_t easing,
                             float waitMs)
{
    value.set(value.scaledValue, target, toWholeMilliseconds(durationMs), easing >= 61u ? 0 : int32_t(easing));
    remainingWait = waitMs;
    waitLength = waitMs;
    active = 1;
    name = effectName;
}

bool CModelFaceEffect::step(float d)
{
    return active && StepTimedValue(value, remainingWait, d * waitTimeScale);
}

} // namespace Orvane
