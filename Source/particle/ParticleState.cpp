// The saved running state of particle systems and their particles.
#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "particle/CParticle.h"
#include "particle/CParticleObject.h"

#include <algorithm>

namespace Orvane
{

namespace Particle
{

static_assert(sizeof(Kavro::Vector2D) == 8 && sizeof(Kavro::Vector3D) == 12 && sizeof(Kavro::Vector4D) == 16,
              "vectors are saved as consecutive floats");

template <class Visit> void CParticleObject::visitState(Visit visit)
{
    auto v = [&](auto& field) { visit(&field, uint32_t(sizeof(field))); };
    v(index);
    v(alive);
    v(started);
    v(age);
    v(life);
    v(repeatLimit);
    v(repeatCount);
    v(startDelay);
    for (CLocalRotate* r : {rotateX, rotateY, rotateZ})
    {
        v(r->angle);
        v(r->velocity);
        v(r->acceleration);
        v(r->resist);
        v(r->addResist);
        v(r->initialAngle);
        v(r->initialVelocity);
        v(r->initialAcceleration);
        v(r->initialResist);
        v(r->elapsed);
        v(r->duration);
    }
    v(turn.radius);
    v(turn.radiusKeys.start);
    v(turn.radiusKeys.useMiddle);
    v(turn.radiusKeys.middle);
    v(turn.radiusKeys.middleTiming);
    v(turn.radiusKeys.middleTempo);
    v(turn.radiusKeys.useEnd);
    v(turn.radiusKeys.end);
    v(turn.radiusKeys.endTempo);
    v(turn.radiusKeys.elapsed);
    v(turn.radiusKeys.duration);
    v(turn.angle);
    v(turn.initialAngle);
    v(turn.angularVelocity);
    v(turn.initialAngularVelocity);
    v(turn.angularAcceleration);
    v(turn.initialAngularAcceleration);
    v(turn.angularResist);
    v(turn.initialAngularResist);
    v(turn.angularAddResist);
    v(turn.angularDuration);
    v(turn.angularElapsed);
    v(turn.angularStart);
    v(turn.angularUseMiddle);
    v(turn.angularMiddle);
    v(turn.angularMiddleTiming);
    v(turn.angularMiddleTempo);
    v(turn.angularUseEnd);
    v(turn.angularEnd);
    v(turn.angularEndTempo);
    v(scale.current);
    v(scale.keys.start);
    v(scale.keys.middle);
    v(scale.keys.end);
    v(scale.keys.useMiddle);
    v(scale.keys.middleTiming);
    v(scale.keys.middleTempo);
    v(scale.keys.endTempo);
    v(scale.keys.elapsed);
    v(scale.keys.duration);
    v(color.current);
    v(color.keys.start);
    v(color.keys.middle);
    v(color.keys.end);
    v(color.keys.useMiddle);
    v(color.keys.middleTiming);
    v(color.keys.middleTempo);
    v(color.keys.endTempo);
    v(color.keys.elapsed);
    v(color.keys.duration);
    v(move.position);
    v(move.previousPosition);
    v(move.velocity);
    v(move.acceleration);
    v(move.resist);
    v(move.addResist);
    v(move.gravity);
    v(move.gravityBase);
    v(move.gravityFactor);
    v(move.gravityScale);
    v(move.direction);
    v(move.attract.start);
    v(move.attract.middle);
    v(move.attract.end);
    v(move.attract.useMiddle);
    v(move.attract.middleTiming);
    v(move.attract.middleTempo);
    v(move.attract.endTempo);
    v(move.attractPower);
    v(move.attract.elapsed);
    v(move.attract.duration);
    v(position);
    v(previousPosition);
    v(anime.hasFrames);
    v(anime.frameElapsed);
    v(anime.sourceRect);
    v(anime.frame);
    v(anime.enabled);
    v(anime.loop);
}

int CParticleObject::saveState(CFile& file)
{
    CChunkWriter writer(file);
    // A particle that never spawned has no rotations to save.
    bool ok = rotateX && rotateY && rotateZ;
    if (ok)
        visitState([&](void* field, uint32_t size) { ok = ok && writer.field(field, size); });
    return writer.close() && ok ? 1 : 0;
}

int CParticleObject::loadState(CFile& file)
{
    CChunkReader reader(file);
    if (!reader.check(rotateX && rotateY && rotateZ))
        return reader.finish();
    // Each value is read straight into its field; a failed read leaves the rest as the spawn made them.
    visitState([&](void* field, uint32_t size) { reader.field(field, size); });
    return reader.finish();
}

} // namespace Particle

using Particle::CParticleObject;

int32_t CParticle::particleBound() const
{
    const auto& count = parameter.record.occur.particle_num;
    return count.use_random ? std::max(count.num, count.random_range) : count.num;
}

int CParticle::saveState(CFile& file)
{
    CChunkWriter writer(file);
    writer.field(&isRunning, 4);
    writer.field(&isEmitting, 4);
    writer.field(&hasLiveChildren, 4);
    writer.fieldFloat(alpha);
    writer.fieldFloat(elapsed);
    writer.fieldFloat(timeScale);
    writer.fieldFloat(startDelay);
    bool ok = writer.fieldDword(uint32_t(particles.size()));
    for (CParticleObject* particle : particles)
        ok = ok && writer.marker() && particle->saveState(file) == 1;
    ok = ok && writer.fieldDword(uint32_t(children.size()));
    for (CParticle* child : children)
        ok = ok && writer.marker() && child->saveState(file) == 1;
    return writer.close() && ok ? 1 : 0;
}

int CParticle::loadState(CFile& file)
{
    CChunkReader reader(file);
    reader.field(&isRunning, 4);
    reader.field(&isEmitting, 4);
    reader.field(&hasLiveChildren, 4);
    reader.fieldFloat(alpha);
    reader.fieldFloat(elapsed);
    reader.fieldFloat(timeScale);
    reader.fieldFloat(startDelay);
    uint32_t count = 0;
    // More particles than the definition can hold would overrun the library's particle objects.
    if (!reader.fieldDword(count) || !reader.check(int64_t(count) <= int64_t(particleBound())))
        return reader.finish();
    releaseParticles();
    batchSize = int32_t(count);
    const float zero = 0.0f;
    for (uint32_t i = 0; i < count; ++i)
    {
        auto* particle = new CParticleObject(this, i);
        particles.push_back(particle);
        particle->spawn(&zero);
    }
    for (CParticleObject* particle : particles)
        if (!(reader.marker() && reader.check(particle->loadState(file) == 1)))
            break;
    uint32_t childCount = 0;
    if (reader.fieldDword(childCount) && reader.check(childCount == children.size()))
        for (CParticle* child : children)
            if (!(reader.marker() && reader.check(child->loadState(file) == 1)))
                break;
    return reader.finish();
}

} // namespace Orvane
