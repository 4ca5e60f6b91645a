#pragma once

#include <cstddef>
#include <cstdint>

namespace Orvane::Particle
{

struct CParticleParameter;

// Reads the bytes of a ".particle" file into definition: the record (a file of exactly the older
// layout's size is converted) and its texture names. False, with definition untouched, for data
// shorter than the older layout.
bool readParticleFile(const uint8_t* data, size_t size, CParticleParameter& definition);

} // namespace Orvane::Particle
