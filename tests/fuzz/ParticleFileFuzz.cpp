// libFuzzer target for the ".particle" reader: any bytes are read without touching memory outside the
// data, and what comes out keeps the reader's promises.
#include "particle/CParticleParameter.h"
#include "particle/ParticleFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Orvane::Particle::CParticleParameter definition;
    if (!Orvane::Particle::readParticleFile(data, size, definition))
    {
        if (size >= Orvane::Particle::OldParticleRecordSize)
            std::abort();
        return 0;
    }
    if (definition.textureNames.empty() || definition.record.texture_use_count == 0)
        std::abort();
    // Each extra name costs its two length bytes and at least one byte of name.
    if ((definition.textureNames.size() - 1) * 3 > (size > 5556 ? size - 5556 : 0))
        std::abort();
    for (size_t i = 1; i < definition.textureNames.size(); ++i)
    {
        if (definition.textureNames[i].size() > 256)
            std::abort();
    }
    return 0;
}
