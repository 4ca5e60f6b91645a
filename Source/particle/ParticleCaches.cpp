#include "particle/ParticleCaches.h"

#include "particle/CParticleParameter.h"

namespace Orvane::Particle
{

namespace
{
struct Caches
{
    ParticleFileMap files;
    ParticleParameterMap parameters;

    ~Caches() { clear(); }
    void clear()
    {
        for (auto& [name, record] : parameters)
            delete record;
        parameters.clear();
        files.clear();
    }
};

Caches& caches()
{
    static Caches instance;
    return instance;
}
} // namespace

ParticleFileMap& particleFileMap()
{
    return caches().files;
}

ParticleParameterMap& particleParameterMap()
{
    return caches().parameters;
}

void clearParticleCaches()
{
    caches().clear();
}

} // namespace Orvane::Particle
