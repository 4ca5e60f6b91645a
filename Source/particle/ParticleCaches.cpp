#include "particle/ParticleCaches.h"

#include "core/CFile.h"
#include "particle/ParticleFile.h"

namespace Orvane::Particle
{

namespace
{

struct Caches
{
    ParticleFileMap files;
    ParticleParameterMap parameters;
    CParticleParameter empty;
};

Caches& caches()
{
    static Caches instance;
    return instance;
}

const CParticleParameter& emptyDefinition()
{
    CParticleParameter& empty = caches().empty;
    empty.clear();
    return empty;
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

const CParticleParameter& loadParticleParameter(const std::string& name)
{
    if (name.empty())
        return emptyDefinition();
    ParticleParameterMap& parameters = particleParameterMap();
    if (auto cached = parameters.find(name); cached != parameters.end())
        return cached->second;
    const std::string path = "media/particle/" + name + ".particle";
    CFile file(path.c_str());
    CParticleParameter definition;
    if (file.load() < 0 || !readParticleFile(file.getLoadData(), file.getFileSize(), definition))
        return emptyDefinition();
    return parameters.emplace(name, std::move(definition)).first->second;
}

void listParticleNames(const std::string& fileName, std::vector<std::string>& names)
{
    names.clear();
    if (fileName.empty())
    {
        for (const auto& [name, definition] : particleParameterMap())
            names.push_back(name);
        return;
    }
    if (auto file = particleFileMap().find(fileName); file != particleFileMap().end())
        names = file->second;
}

void listParticleFiles(std::vector<std::string>& names)
{
    names.clear();
    for (const auto& [file, definitions] : particleFileMap())
        names.push_back(file);
}

void clearParticleCaches()
{
    particleParameterMap().clear();
    particleFileMap().clear();
}

} // namespace Orvane::Particle
