#pragma once

#include "core/CApp.h"
#include "core/CRenderingTaskObject.h"
#include "core/CTask.h"
#include "core/CTaskMain.h"
#include "core/IRenderTarget.h"
#include "core/IScriptHost.h"
#include "core/ITaskCallback.h"

#include "support/CallLog.h"
#include "support/FakeCore.h"

#include <kavro/ICamera.h>
#include <kavro/RefCounted.h>

#include <deque>
#include <functional>
#include <map>
#include <string>

namespace OrvaneTest
{

// An application over a fake core, installed as the application pointer, with the core's input
// devices, render device and scene manager handed to it. Tasks pushed with push() are popped and
// released by the destructor (last first).
class TaskTestApp
{
public:
    TaskTestApp();
    ~TaskTestApp();
    TaskTestApp(const TaskTestApp&) = delete;
    TaskTestApp& operator=(const TaskTestApp&) = delete;

    // Puts the task on top of the stack; the test app takes over its reference.
    template <typename Task> Task* push(Task* task)
    {
        app->taskStack.push_back(task);
        return task;
    }
    void popAndRelease();

    FakeCore* core;
    Orvane::CApp* app;
};

// Scene-object handle whose answers a test sets; logs "addToScene(owner)".
class FakeSceneObject : public Orvane::ISceneObject
{
public:
    FakeSceneObject(CallLog& log, std::string owner) : log_(log), owner_(std::move(owner)) {}
    int isValid() override { return valid; }
    int isVisible() override { return visible; }
    int addToScene() override;

    int valid = 1;
    int visible = 1;

private:
    CallLog& log_;
    std::string owner_;
};

// Drawable that logs what the task's passes ask of it, by its name: draw, render, drawOnBackSurface,
// beginBatch/addToBatch/endBatch (with the batch context's address), update.
class RecordingDrawable : public Orvane::CRenderingTaskObject
{
public:
    RecordingDrawable(CallLog& log, const std::string& name);

    Orvane::ISceneObject* getSceneObject() override;
    int draw() override;
    int render() override;
    int beginBatch(Orvane::CBatchContext& batch) override;
    int addToBatch(Orvane::CBatchContext& batch) override;
    int endBatch(Orvane::CBatchContext& batch) override;
    bool isInCamera(Kavro::ICamera* camera) override { return depths.count(camera) != 0; }
    float getCameraDepth(Kavro::ICamera* camera) override;
    bool isBatched() override { return batched; }
    std::string getBatchKey() override { return batchKey; }
    int drawsOnBackSurface() override { return onBackSurface; }
    int drawOnBackSurface() override;
    int update() override;

    bool batched = false;
    std::string batchKey;
    int onBackSurface = 0;
    bool inScene = false; // answer with `scene` instead of the empty handle
    FakeSceneObject scene;
    std::map<Kavro::ICamera*, float> depths;
    std::function<void()> onUpdate;
    // Contexts handed to the batch operations, in order.
    std::vector<const Orvane::CBatchContext*> contexts;

protected:
    CallLog& log;
};

// Render target that logs beginRender, endRender and capture by name, and keeps the three flags
// the draw pass reads. It registers with its task and leaves it when destroyed.
class FakeRenderTarget : public RecordingDrawable, public Orvane::IRenderTarget
{
public:
    FakeRenderTarget(CallLog& log, const std::string& name, Kavro::ITexture* texture = nullptr);
    ~FakeRenderTarget() override;

    Orvane::CRenderingTaskObject* getTargetObject() override { return this; }
    Kavro::ITexture* getTexture() override { return texture_; }
    int beginRender() override;
    int endRender() override;
    int capture() override;
    bool isDelayRendering() override { return delay; }
    bool isSuspended() override { return suspended; }
    bool isCaptured() override { return captured; }
    // Clears the captured flag, as a render target's render step does.
    int render() override;

    bool delay = false;
    bool suspended = false;
    bool captured = false;

private:
    Kavro::ITexture* texture_;
};

// A camera whose answers a test sets.
class FakeCamera : public Kavro::RefCounted<Kavro::ICamera>
{
public:
    Kavro::Vector3D getEye() override { return eye; }
    Kavro::Vector3D getTarget() override { return target; }
    Kavro::Vector3D getUp() override { return up; }
    int getProjection() override { return projection; }
    float getFieldOfView() override { return fieldOfView; }
    float getNear() override { return nearZ; }
    float getFar() override { return farZ; }
    int setPerspective(float, float, float, float) override { return 0; }
    int setOrtho(float, float, float, float) override { return 0; }
    int setLookAt(const Kavro::Vector3D&, const Kavro::Vector3D&, const Kavro::Vector3D&) override { return 0; }
    int update() override { return 0; }
    Kavro::Matrix4x4 getMatrix() override { return {}; }
    float getFov() override { return fieldOfView; }
    const float* getAspect() override { return &aspect; }
    Kavro::Vector3D getPosition() override { return eye; }

    Kavro::Vector3D eye{0.0f, 0.0f, -1000.0f};
    Kavro::Vector3D target;
    Kavro::Vector3D up{0.0f, 1.0f, 0.0f};
    int projection = 0;
    float fieldOfView = 45.0f;
    float nearZ = 1.0f;
    float farZ = 10000.0f;
    float aspect = 16.0f / 9.0f;
};

// A camera's task object: answers isCamera and its camera.
class FakeCameraObject : public Orvane::CTaskObject
{
public:
    explicit FakeCameraObject(const std::string& name) : CTaskObject(name) {}
    ~FakeCameraObject() override { camera->release(); }
    bool isCamera() override { return true; }
    Kavro::ICamera* getCamera() override { return camera; }

    FakeCamera* camera = new FakeCamera;
};

// Script host answering scripted run states (then repeating the last one); logs update, the path and
// reset (which asks the application to release the script objects, as the real host does).
class FakeScriptHost : public Orvane::IScriptHost
{
public:
    int update() override;
    void setMainScriptPath(const std::string& path) override;
    int getRunState() const override { return runState; }
    void reset() override;
    std::string getErrorReport() const override { return errorReport; }
    const std::string& getMainScriptPath() const override { return mainScriptPath; }

    std::deque<int> states{2};
    std::string errorReport;
    int runState = -1;
    std::string mainScriptPath;
    CallLog log;
};

class RecordingCallback : public Orvane::ITaskCallback
{
public:
    void call() override { ++calls; }
    int calls = 0;
};

// A concrete task whose back surface is a FakeRenderTarget named "back".
class TestTask : public Orvane::CTask
{
public:
    TestTask(CallLog& log, const std::string& name) : CTask(name), log(log) {}
    int update() override { return 0; }
    int render() override { return 0; }

protected:
    Orvane::IRenderTarget* createBackSurface() override { return new FakeRenderTarget(log, "back"); }

    CallLog& log;
};

// The main task with a FakeRenderTarget "back" as its back surface.
class TestTaskMain : public Orvane::CTaskMain
{
public:
    explicit TestTaskMain(CallLog& log) : log(log) {}

protected:
    Orvane::IRenderTarget* createBackSurface() override { return new FakeRenderTarget(log, "back"); }

    CallLog& log;
};

} // namespace OrvaneTest
