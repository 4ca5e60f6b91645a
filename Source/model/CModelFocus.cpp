#include "model/CModelFocus.h"

namespace Orvane
{

CModelFocus::CModelFocus(CModelFaceActionOwner* owner) : owner(owner)
{
    weight.set(0.0f, 0.0f, 0, 0);
}

void CModelFocus::start(float targetWeight, float durationMs, uint32_t easing, float waitMs)
{
    weight.set(weight.scaledValue, targetWeight, toWholeMilliseconds(durationMs), easing >= 61u ? 0 : int32_t(easing));
    remainingWait = waitMs;
    waitLength = waitMs;
    running = 1;
}

bool CModelFocus::step(float d)
{
    return running && StepTimedValue(weight, remainingWait, d * waitTimeScale);
}

bool StepTimedValue(CInterpolator<float>& value, float& remainingWait, float d)
{
    if (remainingWait > 0.0f)
    {
        remainingWait -= d;
        if (remainingWait > 0.0f)
            return true;
        if (remainingWait < 0.0f)
            value.setTime(-remainingWait);
    }
    return value.update() != 0;
}

Kavro::Matrix4x4 RotationPart(const Kavro::Matrix4x4& m)
{
    Kavro::Matrix4x4 rotation;
    m.Dissolution(nullptr, &rotation, nullptr);
    return rotation;
}

Kavro::Matrix4x4 RestToPose(const Kavro::Matrix4x4& rest, const Kavro::Matrix4x4& world)
{
    return RotationPart(rest).Inverse() * RotationPart(world);
}

} // namespace Orvane
