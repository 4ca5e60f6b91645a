#pragma once

#include <string>
#include <vector>

namespace Orvane::Particle
{

// A particle definition as read from its ".particle" file.
struct CParticleParameter
{
    std::vector<std::string> textureNames;
};

} // namespace Orvane::Particle
