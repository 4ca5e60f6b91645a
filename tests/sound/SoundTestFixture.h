#pragma once

#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CTask.h"
#include "sound/CSound3D.h"

#include "support/FakeTaskObjects.h"
#include "support/RecordingSoundDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace OrvaneTest
{

// An application with a recording sound device and a task; sounds made by the task's factories are
// taken out of the task and stepped by frame(), the way their script bindings drive them.
class SoundTest : public ::testing::Test
{
protected:
    static constexpr uint32_t FrameMs = 20;

    SoundTest() : task(t.push(new TestTask(log, "T"))), device(new RecordingSoundDevice)
    {
        t.app->soundDevice = device;
    }
    ~SoundTest() override
    {
        for (Orvane::CTaskObject* object : owned)
            object->release();
    }

    template <class Sound> Sound* own(Sound* sound)
    {
        if (sound)
        {
            task->removeTaskObject(sound);
            owned.push_back(sound);
        }
        return sound;
    }
    Orvane::CSound* createSound(const std::string& name) { return own(task->createSound(name)); }
    Orvane::CSound* loadSound(const std::string& name) { return own(task->loadSound(name)); }
    Orvane::CSound3D* createSound3D(const std::string& name) { return own(task->createSound3D(name)); }

    // One frame of FrameMs: the clock moves, every sound takes its step, then the sound manager.
    void frame()
    {
        t.core->milliTime += FrameMs;
        // A speed above the cap makes every step exactly FrameMs, free of rounding.
        t.app->frameSpeed = 2.0f;
        t.app->frameTimeCap = float(FrameMs);
        for (Orvane::CTaskObject* object : owned)
            object->update();
        t.app->soundManager->update();
    }
    void frames(int count)
    {
        for (int i = 0; i < count; ++i)
            frame();
    }

    // The volumes sent for the handle since the log was last cleared.
    std::vector<float> volumesSent(uint32_t handle) const
    {
        std::vector<float> volumes;
        for (const std::string& call : device->log.named("setVolume"))
        {
            unsigned h = 0;
            float v = 0.0f;
            if (std::sscanf(call.c_str(), "setVolume(%u, %f", &h, &v) == 2 && h == handle)
                volumes.push_back(v);
        }
        return volumes;
    }
    float lastVolume(uint32_t handle) const
    {
        const std::vector<float> volumes = volumesSent(handle);
        return volumes.empty() ? -1.0f : volumes.back();
    }

    TaskTestApp t;
    CallLog log;
    TestTask* task;
    RecordingSoundDevice* device;
    std::vector<Orvane::CTaskObject*> owned;
};

using Calls = std::vector<std::string>;

} // namespace OrvaneTest
