#include "model/CModel.h"

#include "core/CApp.h"
#include "core/SharedFunctions.h"
#include "model/CCSVLoader.h"
#include "model/CModelMotionManager.h"
#include "model/CModelTextureAnimationManager.h"

#include <kavro/IModelAuxiliary.h>
#include <kavro/IModelResource.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneModel.h>

#include <algorithm>

namespace Orvane
{

namespace
{

constexpr float MillisecondsPerFrame = 16.666666f;

Kavro::IRenderDevice* renderDevice()
{
    CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

Kavro::ISceneManager* sceneManager()
{
    CApp* app = CApp::get();
    return app ? app->sceneManager : nullptr;
}

// The frame's elapsed milliseconds times the time scale, never negative, never beyond the frame-time cap.
float frameStep(float timeScale)
{
    const CApp* app = CApp::get();
    if (!app)
        return 0.0f;
    const float dt = app->frameSpeed * MillisecondsPerFrame * timeScale;
    if (dt < 0.0f)
        return 0.0f;
    return std::min(dt, std::max(app->frameTimeCap, 0.0f));
}

} // namespace

CModel::CModel(const std::string& name) : CModelBase(name), textureAnimation(new CModelTextureAnimationManager(this))
{
    layers[0] = new CModelMotionManager(this);
}

CModel::~CModel()
{
    textureAnimation->release();
    releaseLayers(false);
    releaseAuxiliary();
}

void CModel::releaseAuxiliary()
{
    if (auxiliaryHandle)
        auxiliaryHandle->release();
    if (auxiliary)
        auxiliary->release();
    auxiliaryHandle = nullptr;
    auxiliary = nullptr;
}

// ---- Library handles

int CModel::setMotionLoopByIndex(int32_t motion, int32_t loop)
{
    return sceneModel ? sceneModel->setMotionLoop(motion, loop) : -1;
}

Kavro::IModelResource* CModel::getModelResource()
{
    return modelResource;
}

Kavro::ISceneModel* CModel::getSceneModel()
{
    return sceneModel;
}

Kavro::ISceneFrame* CModel::findFrame(const char* name)
{
    return sceneModel ? sceneModel->findFrame(name) : nullptr;
}

int CModel::setSceneModel(Kavro::ISceneModel* scene)
{
    if (!scene)
        return -1;
    if (sceneModel)
        sceneModel->release();
    sceneModel = scene;
    transformDirty = 1;
    return 0;
}

int CModel::touchSceneModel(int32_t mode)
{
    if (mode == 0 && sceneModel)
        sceneModel->getSceneNode();
    return 0;
}

int CModel::setModelResource(Kavro::IModelResource* res)
{
    if (!res)
        return -1;
    res->addRef();
    if (modelResource)
        modelResource->release();
    modelResource = res;
    if (Kavro::ISceneManager* scene = sceneManager())
        setSceneModel(scene->createSceneModel(modelResource));
    rebuildMotionNames();
    return 0;
}

void CModel::installAuxiliary()
{
    Kavro::IRenderDevice* device = renderDevice();
    Kavro::ISceneManager* scene = sceneManager();
    if (!device || !scene || !sceneModel)
        return;
    releaseAuxiliary();
    auxiliary = device->createModelAuxiliary(1000);
    if (!auxiliary)
        return;
    auxiliary->prepare();
    sceneModel->attachAuxiliary(auxiliary);
    auxiliary->commit();
    auxiliaryHandle = scene->addModelAuxiliary(auxiliary);
}

int CModel::loadModel(const std::string& path)
{
    Kavro::IRenderDevice* device = renderDevice();
    Kavro::IModelResource* loaded = device ? device->loadModel(path.c_str()) : nullptr;
    // A file that does not load leaves the model as it was, still drawable.
    if (!loaded)
        return -1;
    modelPath = path;
    if (modelResource)
        modelResource->release();
    modelResource = loaded;
    if (Kavro::ISceneManager* scene = sceneManager())
        setSceneModel(scene->createSceneModel(modelResource));
    rebuildMotionNames();
    if (modelResource->needsAuxiliary())
        installAuxiliary();
    return 0;
}

void CModel::rebuildMotionNames()
{
    motionNames.clear();
    if (!sceneModel)
        return;
    const int count = sceneModel->getMotionCount();
    for (int i = 0; i < count; ++i)
    {
        char buffer[1024] = {};
        sceneModel->getMotionName(i, buffer, sizeof buffer);
        buffer[sizeof buffer - 1] = '\0';
        motionNames.emplace(buffer, buffer);
    }
}

int CModel::loadMotion(const std::string& path)
{
    std::string name;
    getFileNameFromPath(path, name, true);
    if (hasMotion(name))
        return 0;
    if (!modelResource || modelResource->loadMotion(path.c_str()) < 0)
        return -1;
    rebuildMotionNames();
    return 0;
}

int CModel::eraseMotion(const std::string& path)
{
    if (!modelResource)
        return -1;
    std::string name;
    getFileNameFromPath(path, name, true);
    modelResource->eraseMotion(name.c_str());
    rebuildMotionNames();
    return 0;
}

int CModel::loadMesh(const std::string& path)
{
    Kavro::IRenderDevice* device = renderDevice();
    Kavro::IModelResource* mesh = device ? device->loadModel(path.c_str()) : nullptr;
    if (!mesh)
        return -1;
    addMesh(mesh);
    mesh->release();
    return 0;
}

int CModel::loadMorph(const std::string& name, const std::string& file)
{
    if (!modelResource)
        return -1;
    return modelResource->loadMorph(1, name.c_str(), file.c_str());
}

int CModel::loadMorphList(const std::string& path)
{
    CCSVLoader table;
    if (table.Load(path.c_str()) < 0)
        return -1;
    for (const std::vector<std::string>& row : table.rows)
        if (row.size() != 2 || loadMorph(row[0], row[1]) < 0)
            return -1;
    return 0;
}

int CModel::eraseMorph(const std::string& first, const std::string& second)
{
    return modelResource ? modelResource->eraseMorph(first.c_str(), second.c_str()) : -1;
}

int CModel::clearAllMorphs()
{
    return modelResource ? modelResource->clearMorph(nullptr) : -1;
}

int CModel::clearMorph(const std::string& name)
{
    return modelResource ? modelResource->clearMorph(name.c_str()) : -1;
}

void CModel::remake()
{
    Kavro::ISceneManager* scene = sceneManager();
    if (modelResource && scene)
        setSceneModel(scene->createSceneModel(modelResource));
}

void CModel::setMotionSpeed(const std::string& name, uint32_t speed)
{
    if (sceneModel && hasMotion(name))
        sceneModel->setMotionSpeed(sceneModel->findMotion(name.c_str()), float(speed));
}

void CModel::setMotionLoop(const std::string& name, int32_t loop)
{
    if (sceneModel && hasMotion(name))
        sceneModel->setMotionLoop(sceneModel->findMotion(name.c_str()), loop);
}

void CModel::getMotionName(const std::string& path, std::string& out)
{
    std::string text = path.substr(0, path.find(".anm"));
    const size_t slash = text.rfind('/');
    out = slash == std::string::npos ? text : text.substr(slash + 1);
}

float CModel::getMotionMaxFrameTimeByName(const std::string& name)
{
    const int motion = sceneModel ? sceneModel->findMotion(name.c_str()) : -1;
    return motion < 0 ? 0.0f : sceneModel->getMotionMaxFrameTime(motion);
}

float CModel::getOriginalMotionSpeedByName(const std::string& name)
{
    const int motion = sceneModel ? sceneModel->findMotion(name.c_str()) : -1;
    return motion < 0 ? 0.0f : sceneModel->getMotionOriginalSpeed(motion);
}

// ---- Morph channels

int CModel::setMorph(const std::string& channel, const std::string& fromMorph, const std::string& toMorph)
{
    if (!sceneModel)
        return -1;
    auto [it, added] = morphChannels.try_emplace(channel);
    MorphChannel& record = it->second;
    if (added)
    {
        record.weight.set(0.0f, 0.0f, 0, 0);
        record.pushPending = 1;
    }
    // An empty from-morph continues from the previous target, so a chain of calls blends step by step.
    if (!fromMorph.empty())
        record.fromMorph = fromMorph;
    else if (record.toMorph.empty())
        record.fromMorph = toMorph;
    else
        record.fromMorph = record.toMorph;
    record.toMorph = toMorph;
    if (sceneModel->setMorph(channel.c_str(), 0, record.fromMorph.c_str()) < 0)
        return -1;
    return sceneModel->setMorph(channel.c_str(), 1, record.toMorph.c_str()) < 0 ? -1 : 0;
}

void CModel::setMorphWeight(const std::string& channel, const float& weight, uint32_t durationMs, int32_t ease)
{
    MorphChannel* record = getMorph(channel);
    if (!record)
        return;
    record->weight.set(record->weight.value, weight, durationMs, ease);
    record->pushPending = 1;
}

CModel::MorphChannel* CModel::getMorph(const std::string& channel)
{
    const auto it = morphChannels.find(channel);
    return it == morphChannels.end() ? nullptr : &it->second;
}

float CModel::getMorphTimer(const char* channel)
{
    MorphChannel* record = channel ? getMorph(channel) : nullptr;
    return record ? record->weight.elapsed : 0.0f;
}

void CModel::setMorphTimer(const char* channel, float ms)
{
    MorphChannel* record = channel ? getMorph(channel) : nullptr;
    if (!record)
        return;
    CInterpolator<float>& weight = record->weight;
    weight.elapsed = std::clamp(ms, 0.0f, weight.duration);
    if (weight.duration > 0.0f)
        weight.active = 1;
    weight.evaluate();
    record->pushPending = 1;
}

// ---- Appearance

void CModel::setAnimationColorUV(const std::string& firstName, const std::string& secondName,
                                 const Kavro::Vector2D& speed)
{
    textureAnimation->setAnimation(firstName, secondName, speed, CModelTextureAnimationManager::ColorUV);
}

void CModel::setAnimationBumpUV(const std::string& firstName, const std::string& secondName,
                                const Kavro::Vector2D& speed)
{
    textureAnimation->setAnimation(firstName, secondName, speed, CModelTextureAnimationManager::BumpUV);
}

void CModel::setAnimationExtraUV(const std::string& firstName, const std::string& secondName,
                                 const Kavro::Vector2D& speed)
{
    textureAnimation->setAnimation(firstName, secondName, speed, CModelTextureAnimationManager::ExtraUV);
}

void CModel::setDiffuseColor(float r, float g, float b, int32_t flag)
{
    Kavro::DiffuseColorParam param;
    param.color = Kavro::ColorF{r, g, b, 1.0f};
    param.value = flag;
    if (modelResource)
        modelResource->setMaterialDiffuseColor(nullptr, nullptr, &param);
    if (sceneModel)
        sceneModel->setMaterialDiffuseColor(nullptr, nullptr, &param);
}

void CModel::resetPhysics(int32_t)
{
    if (!sceneModel)
        return;
    sceneModel->applyTransform(0);
    sceneModel->resetPhysics();
}

// ---- Frame passes

void CModel::updateTransform()
{
    CModelBase::updateTransform();
    if (!sceneModel)
        return;
    sceneModel->setWorldMatrix(world);
    sceneModel->applyTransform(1);
}

int CModel::render()
{
    CModelBase::render();
    if (!sceneModel)
        return 0;
    for (auto& [name, channel] : morphChannels)
    {
        channel.weight.update();
        if (channel.weight.active || channel.pushPending)
            sceneModel->setMorphWeight(name.c_str(), 0, 1, channel.weight.scaledValue);
    }
    return 0;
}

int CModel::advanceTime(const Kavro::Matrix4x4* matrix)
{
    CModelBase::advanceTime(matrix);
    if (!sceneModel)
        return 0;
    const float dt = frameStep(timeScale);
    if (!stopAllMotion)
        for (auto& [layer, manager] : layers)
            if (manager)
                manager->step(dt);
    textureAnimation->step();
    return 0;
}

void CModel::setTimeScale(float scale)
{
    CModelBase::setTimeScale(scale);
    for (auto& [name, channel] : morphChannels)
        channel.weight.timeScale = scale;
    textureAnimation->timeScale = scale;
}

} // namespace Orvane
