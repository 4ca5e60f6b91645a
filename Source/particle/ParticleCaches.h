#pragma once

#include "particle/CParticleParameter.h"

#include <map>
#include <string>
#include <vector>

namespace Orvane::Particle
{

// Particle file name -> the names of the definitions it holds, in the file's order.
using ParticleFileMap = std::map<std::string, std::vector<std::string>>;
// Definition name -> the definition read from "media/particle/<name>.particle".
using ParticleParameterMap = std::map<std::string, CParticleParameter>;

ParticleFileMap& particleFileMap();
ParticleParameterMap& particleParameterMap();

// The definition of that name, read on first use and cached. An empty name, a missing file or one
// too short to hold a record gives the shared all-zero definition, which is never cached. The
// reference stays valid until the caches are emptied; callers copy what they keep.
const CParticleParameter& loadParticleParameter(const std::string& name);

// The names of the cached definitions (fileName empty), or of the definitions the file holds.
void listParticleNames(const std::string& fileName, std::vector<std::string>& names);
void listParticleFiles(std::vector<std::string>& names);

// Empties both caches (the soft reset does this).
void clearParticleCaches();

} // namespace Orvane::Particle
