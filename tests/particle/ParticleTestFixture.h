#pragma once

#include "particle/CParticle.h"
#include "particle/CParticleParameter.h"
#include "particle/ParticleCaches.h"

#include "core/CTask.h"
#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"
#include "support/ParticleFileWriter.h"
#include "support/RecordingSoundDevice.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace OrvaneTest
{

// A task over the recording render device and sound device, a directory for ".particle" files, and
// particle systems held the way their script class holds them: out of the task's lists, under its frame.
class ParticleTest : public ::testing::Test
{
protected:
    // Every frame steps this many milliseconds.
    static constexpr float FrameMs = 16.666666f;

    ParticleTest() : task(t.push(new TestTask(log, "T"))), sound(new RecordingSoundDevice)
    {
        t.app->soundDevice = sound;
        t.core->fileSystem = new DirectoryFileSystem(dir.path());
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = 16.6667f;
    }
    ~ParticleTest() override
    {
        for (Orvane::CParticle* system : owned)
            system->release();
        Orvane::Particle::clearParticleCaches();
    }

    // One texture "p.png" (64 x 64 from the recording device), a point emitter, count particles that
    // live until stopped.
    static Orvane::Particle::CParticleParameter definition(int32_t count)
    {
        Orvane::Particle::CParticleParameter d;
        d.record.is_use_particle = 1;
        std::strcpy(d.record.particle_name, "fx");
        // A file holds its first texture name here.
        std::strcpy(d.record.texture_filename, "p.png");
        d.record.texture_count = 1;
        d.record.texture_use_count = 1;
        d.record.occur.particle_num.num = count;
        d.record.location.use_bounding_point = 1;
        d.record.polyline.time = 500.0f;
        for (auto* axis : {&d.record.move.regist.x, &d.record.move.regist.y, &d.record.move.regist.z})
            axis->value = 0.0f;
        d.record.sprite.size.start.x = 1.0f;
        d.record.sprite.size.start.y = 1.0f;
        d.record.sprite.color.start = {255, 255, 255, 255, 0, {}};
        d.textureNames = {"p.png"};
        return d;
    }

    // A created system seeded with seed (null when creation failed), emitting unless told otherwise.
    Orvane::CParticle* make(const Orvane::Particle::CParticleParameter& d, uint32_t seed = 1, bool emit = true)
    {
        auto* system = new Orvane::CParticle("fx", d);
        system->setSeed(seed);
        if (system->create() < 0)
        {
            system->release();
            return nullptr;
        }
        system->leaveTaskLists();
        system->setParent(task);
        owned.push_back(system);
        if (emit)
        {
            system->reset();
            system->startEmission();
        }
        return system;
    }
    // One frame of the passes a system's owner runs: update, world matrices, render, draw.
    void frame(Orvane::CParticle* system)
    {
        t.core->milliTime += 17;
        system->update();
        task->updateWorldMatrix();
        system->render();
        system->draw();
    }
    void frames(Orvane::CParticle* system, int count)
    {
        for (int i = 0; i < count; ++i)
            frame(system);
    }
    void writeDefinition(const std::string& name, const Orvane::Particle::CParticleParameter& d)
    {
        writeParticleFile(dir.path(), name, particleFileBytes(d));
    }
    RecordingSceneParticle& sceneParticle(size_t i) { return *t.core->render->sceneParticles.at(i); }
    // The plays the sound device was asked for, by handle.
    size_t plays() const { return sound->log.named("play").size(); }

    CallLog log;
    TempDirectory dir;
    TaskTestApp t;
    TestTask* task;
    RecordingSoundDevice* sound;
    std::vector<Orvane::CParticle*> owned;
};

} // namespace OrvaneTest
