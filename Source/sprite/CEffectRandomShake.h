#pragma once

#include "sprite/CEffectShake.h"

#include <kavro/CRandom.h>

namespace Orvane
{

// A shake whose every swing heads for a random point inside the amplitude box. The generator is saved
// with the effect, so a loaded shake continues with the same draws.
class CEffectRandomShake : public CEffectShake
{
public:
    CEffectRandomShake();

    int begin(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude, uint32_t period,
              uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing) override;
    void update() override;
    void setTimer(const float& t) override;
    int save(CFile& file) const override;
    int load(CFile& file) override;

    Kavro::CRandom random;

private:
    Kavro::Vector3D randomTarget();
    // The next random target, shrunk for the last swing (none at all without a period).
    Kavro::Vector3D nextTarget(float left);
};

} // namespace Orvane
