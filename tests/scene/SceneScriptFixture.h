#pragma once

// Scene script classes through the script host over the recording 3D fakes, in the task "MAIN".
#include "ScriptHostFixture.h"

#include "core/CTask.h"

#include "support/Fake3D.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace OrvaneTest
{

class SceneScriptTest : public ScriptTaskFixture
{
protected:
    static constexpr uint32_t FrameMs = 20;

    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        fake = std::make_unique<Fake3D>(log3d);
        core->attach(*fake);
        app->renderDevice = core->getRenderDevice();
        app->sceneManager = app->renderDevice->getSceneManager();
        app->sceneManager->addRef();
        // 1.2 x 16.666666 is one whole FrameMs step at a time scale of 1.
        app->frameSpeed = 1.2f;
        app->frameTimeCap = float(FrameMs);
    }
    void TearDown() override
    {
        host.reset();
        app->sceneManager->release();
        app->sceneManager = nullptr;
        app->renderDevice->release();
        app->renderDevice = nullptr;
        ScriptTaskFixture::TearDown();
        // Every library object must be back to zero references by now.
        fake.reset();
    }

    template <class T> T* object(const std::string& name) { return dynamic_cast<T*>(task->findTaskObject(name)); }
    // The clock moves on by FrameMs; every interpolator then steps exactly that far.
    void tick() { core->milliTime += FrameMs; }
    // The calls logged since the last clear whose operation is one of ops; the log is cleared.
    std::vector<std::string> logged(std::initializer_list<std::string> ops)
    {
        std::vector<std::string> out;
        for (const std::string& call : log3d.calls())
            for (const std::string& op : ops)
                if (call.find(Join({".", op, "("})) != std::string::npos)
                    out.push_back(call);
        log3d.clear();
        return out;
    }
    std::vector<uint8_t> fileBytes(const std::string& name)
    {
        std::ifstream in(dir.file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The number of methods of a script class, its constructor left out.
    std::string methodCount(const std::string& className)
    {
        const std::string counted = runSnippet(Join({"::names <- 0; foreach (k, v in ", className,
                                                     ") if (typeof v == \"function\" && k != \"constructor\") ++::names;"}));
        return counted.empty() ? eval("::names") : counted;
    }

    CallLog log3d;
    std::unique_ptr<Fake3D> fake;
};

} // namespace OrvaneTest
