#include "support/FakeTaskObjects.h"

#include <kavro/ITexture.h>

namespace OrvaneTest
{

TaskTestApp::TaskTestApp() : core(new FakeCore), app(new Orvane::CApp("tasks"))
{
    core->milliTime = 1000;
    core->systemTime = 5000;
    app->setCore(core);
    app->screenWidth = 1280;
    app->screenHeight = 720;
    app->renderDevice = core->getRenderDevice();
    app->sceneManager = app->renderDevice->getSceneManager();
    app->sceneManager->addRef();
    app->mouse = core->input.getMouse();
    app->keyboard = core->input.getKeyboard();
    app->gamepad = core->input.getGamepad();
    app->touch = core->input.getTouch();
    Orvane::CApp::set(app);
}

TaskTestApp::~TaskTestApp()
{
    while (!app->taskStack.empty())
        popAndRelease();
    Orvane::CApp::set(nullptr);
    app->release();
    core->release();
}

void TaskTestApp::popAndRelease()
{
    Orvane::CTask* task = app->taskStack.back();
    app->taskStack.pop_back();
    task->release();
}

int FakeSceneObject::addToScene()
{
    log_.add("addToScene", owner_);
    return 0;
}

RecordingDrawable::RecordingDrawable(CallLog& log, const std::string& name)
    : CRenderingTaskObject(name), scene(log, name), log(log)
{
}

Orvane::ISceneObject* RecordingDrawable::getSceneObject()
{
    return inScene ? &scene : CRenderingTaskObject::getSceneObject();
}

int RecordingDrawable::draw()
{
    log.add("draw", getName());
    return 0;
}

int RecordingDrawable::render()
{
    log.add("render", getName());
    return 0;
}

int RecordingDrawable::beginBatch(Orvane::CBatchContext& batch)
{
    contexts.push_back(&batch);
    log.add("beginBatch", getName());
    return 0;
}

int RecordingDrawable::addToBatch(Orvane::CBatchContext& batch)
{
    contexts.push_back(&batch);
    log.add("addToBatch", getName());
    return 0;
}

int RecordingDrawable::endBatch(Orvane::CBatchContext& batch)
{
    contexts.push_back(&batch);
    log.add("endBatch", getName());
    return 0;
}

float RecordingDrawable::getCameraDepth(Kavro::ICamera* camera)
{
    auto it = depths.find(camera);
    return it == depths.end() ? 0.0f : it->second;
}

int RecordingDrawable::drawOnBackSurface()
{
    log.add("drawOnBackSurface", getName());
    return 0;
}

int RecordingDrawable::update()
{
    log.add("update", getName());
    if (onUpdate)
        onUpdate();
    return 0;
}

FakeRenderTarget::FakeRenderTarget(CallLog& log, const std::string& name, Kavro::ITexture* texture)
    : RecordingDrawable(log, name), texture_(texture)
{
    if (texture_)
        texture_->addRef();
    if (getTask())
        getTask()->addRenderTarget(this);
}

FakeRenderTarget::~FakeRenderTarget()
{
    if (getTask())
        getTask()->removeRenderTarget(this);
    if (texture_)
        texture_->release();
}

int FakeRenderTarget::beginRender()
{
    log.add("beginRender", getName());
    return suspended ? -1 : 0;
}

int FakeRenderTarget::endRender()
{
    log.add("endRender", getName());
    return 0;
}

int FakeRenderTarget::capture()
{
    log.add("capture", getName());
    if (suspended)
        return -1;
    captured = true;
    return 0;
}

int FakeRenderTarget::render()
{
    captured = false;
    return RecordingDrawable::render();
}

int FakeScriptHost::update()
{
    const int state = states.front();
    if (states.size() > 1)
        states.pop_front();
    log.add("update", state);
    runState = state;
    return state;
}

void FakeScriptHost::reset()
{
    log.add("reset");
    if (Orvane::CApp* app = Orvane::CApp::get())
        app->releaseScriptObjects();
    runState = -1;
}

void FakeScriptHost::setMainScriptPath(const std::string& path)
{
    mainScriptPath = path;
    log.add("setMainScriptPath", path);
}

} // namespace OrvaneTest
