#pragma once

#include "particle/ParticleRecord.h"

#include <string>
#include <vector>

namespace Orvane::Particle
{

// One particle definition: the fixed record and the texture names its particles draw with. Copied
// whole by every particle system, so a cached definition is never shared with a running effect.
struct CParticleParameter
{
    ParticleRecord record{};
    std::vector<std::string> textureNames;

    // All-zero record, no texture names.
    void clear()
    {
        record = ParticleRecord{};
        textureNames.clear();
    }
};

} // namespace Orvane::Particle
