#pragma once

#include "script/SquirrelObject.h"

namespace Orvane::Particle
{

struct CParticleParameter;

// The table form of a particle definition: one nested script table whose keys are the record's keyed
// fields (integers, floats and strings), plus "texture_filename_list" for the texture names.

// Every keyed field of the record.
SquirrelObject buildParticleParameterTable(const CParticleParameter& definition);
// The same with "texture_filename_list".
SquirrelObject makeParticleParameterTable(const CParticleParameter& definition);
// Reads the keys that table holds into the record; a missing key or nested table leaves its fields
// as they are. -1 (nothing read) when table is not a table.
int readParticleParameterTable(CParticleParameter& definition, const SquirrelObject& table);
// The keys, then the texture names from "texture_filename_list" (none when it is missing).
int readParticleParameter(CParticleParameter& definition, const SquirrelObject& table);

} // namespace Orvane::Particle
