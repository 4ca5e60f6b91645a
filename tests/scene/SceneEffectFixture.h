#pragma once

#include "ScriptHostFixture.h"

#include "core/CRenderingTaskObject.h"
#include "core/CTask.h"

#include "support/Fake3D.h"

#include <kavro/ISceneManager.h>

#include <memory>
#include <string>
#include <vector>

namespace OrvaneTest
{

// The script host over the recording 3D fakes, with the application's render device and scene: scripts make
// their objects in the task "MAIN"; every frame moves the clock on by 17 ms.
class SceneEffectFixture : public ScriptTaskFixture
{
protected:
    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        fake = std::make_unique<Fake3D>(log3d);
        core->attach(*fake);
        app->renderDevice = core->getRenderDevice();
        app->sceneManager = app->renderDevice->getSceneManager();
        app->sceneManager->addRef();
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 16.666666f;
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

    template <typename T> T* object(const std::string& name) { return dynamic_cast<T*>(task->findTaskObject(name)); }
    // One frame of an object as its task drives it: render pass, then update pass.
    void frame(Orvane::CRenderingTaskObject* o)
    {
        core->milliTime += 17;
        o->render();
        o->update();
    }
    // The scene pass of a capture: the object's scene node when it is valid and visible.
    void capture(Orvane::CRenderingTaskObject* o)
    {
        Orvane::ISceneObject* scene = o->getSceneObject();
        if (scene->isValid() && scene->isVisible())
            scene->addToScene();
    }
    // The calls of both logs since the last take whose text starts with one of the prefixes; both logs cleared.
    std::vector<std::string> take(std::initializer_list<std::string> prefixes = {""})
    {
        std::vector<std::string> out;
        for (CallLog* l : {&core->log, &log3d})
        {
            for (const std::string& call : l->calls())
                for (const std::string& prefix : prefixes)
                    if (call.rfind(prefix, 0) == 0)
                    {
                        out.push_back(call);
                        break;
                    }
            l->clear();
        }
        return out;
    }

    CallLog log3d;
    std::unique_ptr<Fake3D> fake;
};

} // namespace OrvaneTest
