#pragma once

#include <map>
#include <string>
#include <vector>

namespace Orvane::Particle
{

struct CParticleParameter;

// Particle file name -> the names of the definitions it holds, in the file's order.
using ParticleFileMap = std::map<std::string, std::vector<std::string>>;
// Definition name -> its record; the cache owns every record.
using ParticleParameterMap = std::map<std::string, CParticleParameter*>;

ParticleFileMap& particleFileMap();
ParticleParameterMap& particleParameterMap();

// Frees every cached record and empties both caches (the soft reset does this).
void clearParticleCaches();

} // namespace Orvane::Particle
