#pragma once

#include "model/CModel.h"

#include "support/DirectoryFileSystem.h"
#include "support/Fake3D.h"
#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace OrvaneTest
{

// Models over the recording 3D fakes in a task, held the way their script class holds them: out of the
// task's lists, driven by the test. "m.mdl" loads with the motions a, b and c; "mesh.mdl" is a mesh file;
// files under dir are served by the core's file system. Every frame the clock moves on by 17 ms.
class ModelTest : public ::testing::Test
{
protected:
    ModelTest() : fake(log), task(t.push(new TestTask(taskLog, "T")))
    {
        t.core->attach(fake);
        t.core->fileSystem = new DirectoryFileSystem(dir.path());
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = 16.666666f;
        FakeModelSpec spec;
        spec.motions = {{"a", 1000.0f, 1.0f}, {"b", 2000.0f, 0.5f}, {"c", 3000.0f, 2.0f}};
        fake.models["m.mdl"] = spec;
        fake.models["mesh.mdl"] = FakeModelSpec();
    }
    ~ModelTest() override
    {
        for (Orvane::CModel* model : owned)
            model->release();
    }

    Orvane::CModel* make(const std::string& name = "model")
    {
        auto* model = new Orvane::CModel(name);
        model->leaveTaskLists();
        owned.push_back(model);
        return model;
    }
    // A model with "m.mdl" loaded and the log cleared.
    Orvane::CModel* loaded()
    {
        Orvane::CModel* model = make();
        EXPECT_EQ(model->loadModel("m.mdl"), 0);
        log.clear();
        return model;
    }
    RecordingSceneModel* scene(size_t i = 0) { return fake.sceneModels.at(i); }
    // One frame as the task drives it: world-matrix pass, render pass, update pass.
    void frame(Orvane::CModel* model)
    {
        t.core->milliTime += 17;
        model->updateWorldMatrix();
        model->render();
        model->update();
    }
    // The calls logged since the last clear whose operation is one of ops.
    std::vector<std::string> calls(std::initializer_list<std::string> ops) const
    {
        std::vector<std::string> out;
        for (const std::string& call : log.calls())
            for (const std::string& op : ops)
                if (call.find(Join({".", op, "("})) != std::string::npos)
                    out.push_back(call);
        return out;
    }

    CallLog log;
    CallLog taskLog;
    Fake3D fake;
    TempDirectory dir;
    TaskTestApp t;
    TestTask* task;
    std::vector<Orvane::CModel*> owned;
};

} // namespace OrvaneTest
