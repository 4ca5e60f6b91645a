#pragma once

#include "core/CObject.h"
#include "curve/CInterpolator.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane
{

class CModelFaceActionOwner;

// A focus weight (0 rest pose, 1 full focus) that waits, then eases to a target, and the point to focus on.
// The head and the eyes each have one.
class CModelFocus : public CObject
{
public:
    explicit CModelFocus(CModelFaceActionOwner* owner);

    // The weight eases from where it stands to target after waiting waitMs.
    void start(float target, float durationMs, uint32_t easing, float waitMs);
    // One time step of d milliseconds; true while the wait or the ease still runs.
    bool step(float d);
    float weightValue() const { return weight.scaledValue; }

    CModelFaceActionOwner* owner; // not counted
    Kavro::Vector2D lowerLimit{-1.0f, -0.1f};
    Kavro::Vector2D upperLimit{1.0f, 0.1f};
    CInterpolator<float> weight;
    float remainingWait = 0.0f;
    float waitLength = 0.0f;
    float waitTimeScale = 1.0f;
    Kavro::Vector3D target;
    uint32_t running = 0;
};

// One step of a timed value: the wait runs down by d, its overshoot seeks the ease, then the ease advances.
// True while the wait or the ease still runs.
bool StepTimedValue(CInterpolator<float>& value, float& remainingWait, float d);

// The rotation of an affine matrix, without scale and translation.
Kavro::Matrix4x4 RotationPart(const Kavro::Matrix4x4& m);
// Carries a direction of a frame's rest pose into its present pose: inverse(rest rotation) x world rotation.
Kavro::Matrix4x4 RestToPose(const Kavro::Matrix4x4& rest, const Kavro::Matrix4x4& world);

} // namespace Orvane
