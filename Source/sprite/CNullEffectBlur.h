#pragma once

#include "sprite/CEffectBlur.h"

namespace Orvane
{

// The blur a rendering object holds while no trail is set, so that callers never test for null.
class CNullEffectBlur : public CEffectBlur
{
public:
    CNullEffectBlur() { type = 0; }

    int set(uint32_t, float, uint32_t, uint32_t) override { return 0; }
    int update(const Kavro::Vector3D&, const Kavro::Vector3D&, const Kavro::Vector3D&) override { return 0; }
    int draw(CSprite*, float) override { return 0; }
    int isActive() override { return 0; }
};

} // namespace Orvane
