#pragma once

#include "particle/CParticleParameter.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace OrvaneTest
{

// The bytes of a ".particle" file for definition, field by field: the record, then every texture
// name after the first as a u16 length and its bytes. With oldLayout only the record's first 5,364
// bytes are written and no names.
std::vector<uint8_t> particleFileBytes(const Orvane::Particle::CParticleParameter& definition,
                                       bool oldLayout = false);

// Writes bytes to root/media/particle/<name>.particle, making the folders.
void writeParticleFile(const std::filesystem::path& root, const std::string& name, const std::vector<uint8_t>& bytes);

// A definition whose every keyed field holds a different value drawn from seed (finite floats, texts
// shorter than their fields), with the reserved bytes numbered.
Orvane::Particle::CParticleParameter scrambledParticleParameter(uint32_t seed);

} // namespace OrvaneTest
