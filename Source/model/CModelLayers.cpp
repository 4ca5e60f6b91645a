// The model's motion layers: one manager per layer number, stepped in ascending order.
#include "model/CModel.h"
#include "model/CModelMotionManager.h"

#include <kavro/ISceneModel.h>

namespace Orvane
{

namespace
{

bool isOver(Kavro::ISceneModel* scene, const CModelMotionManager& manager)
{
    const int32_t current = manager.getCurrent();
    return current < 0 || (scene && scene->isMotionEnd(current) != 0);
}

} // namespace

CModelMotionManager* CModel::getLayer(int32_t layer) const
{
    const auto it = layers.find(layer);
    return it == layers.end() ? nullptr : it->second;
}

CModelMotionManager* CModel::layerOrNew(int32_t layer)
{
    CModelMotionManager*& manager = layers[layer];
    if (!manager)
        manager = new CModelMotionManager(this);
    return manager;
}

void CModel::releaseLayers(bool keepBase)
{
    for (auto it = layers.begin(); it != layers.end();)
    {
        if (keepBase && it->first == 0)
        {
            ++it;
            continue;
        }
        if (it->second)
            it->second->release();
        it = layers.erase(it);
    }
}

void CModel::setMotion(const std::string& name)
{
    releaseLayers(false);
    setLayerMotion(0, name);
}

void CModel::addMotion(const std::string& name, int32_t durationMs)
{
    addLayerMotion(0, name, durationMs);
}

void CModel::setStopAllMotion(int32_t stop)
{
    stopAllMotion = stop;
    if (stop != 0 || !sceneModel)
        return;
    for (auto& [layer, manager] : layers)
        if (manager && manager->getCurrent() >= 0)
            sceneModel->resumeMotion(manager->getCurrent());
}

int32_t CModel::getStopAllMotion()
{
    return stopAllMotion;
}

void CModel::setLayerMotion(int32_t layer, const std::string& name)
{
    if (!hasMotion(name) || !sceneModel)
        return;
    if (layer == 0)
    {
        // A new base motion restarts the whole layer set.
        for (auto& [number, manager] : layers)
            if (manager)
                manager->clear();
        releaseLayers(true);
    }
    CModelMotionManager* manager = layerOrNew(layer);
    float blend = 1.0f;
    CModelMotionManager* base = getLayer(0);
    if (base && base->pendingCount() > 0)
    {
        sceneModel->setMotionBlendRate(0.0f);
        update();
        resetPhysics(0);
        blend = 0.0f;
    }
    manager->clear();
    manager->play(sceneModel->findMotion(name.c_str()));
    manager->elapsedMs = 0.0f;
    sceneModel->setMotionBlendRate(blend);
    sceneModel->startMotion(manager->getCurrent());
}

void CModel::addLayerMotion(int32_t layer, const std::string& name, int32_t durationMs)
{
    const bool loop = name == "LOOP";
    if ((!loop && !hasMotion(name)) || !sceneModel)
        return;
    CModelMotionManager* manager = layerOrNew(layer);
    manager->push(loop ? -1 : sceneModel->findMotion(name.c_str()), durationMs);
}

int CModel::changeLayerActiveMotionFrameTime(int32_t layer, const float& timeMs, const int32_t& keepBlend)
{
    CModelMotionManager* manager = getLayer(layer);
    if (!manager || manager->getCurrent() < 0 || !sceneModel)
        return -1;
    const int32_t current = manager->getCurrent();
    sceneModel->setMotionFrameTime(current, timeMs);
    if (keepBlend == 0)
        sceneModel->setMotionBlendRate(0.0f);
    sceneModel->advanceMotion(current, 0.0f);
    updateTransform();
    return 0;
}

void CModel::setLayerActiveMotionIndex(int32_t layer, int32_t index)
{
    if (CModelMotionManager* manager = getLayer(layer))
        manager->setActiveIndex(index);
}

int32_t CModel::getLayerActiveMotionIndex(int32_t layer)
{
    CModelMotionManager* manager = getLayer(layer);
    return manager ? int32_t(manager->getIndex()) : 0;
}

float CModel::getLayerActiveMotionTimer(int32_t layer)
{
    CModelMotionManager* manager = getLayer(layer);
    return manager ? manager->elapsedMs : 0.0f;
}

void CModel::setLayerActiveMotionTimer(int32_t layer, const float& ms)
{
    if (CModelMotionManager* manager = getLayer(layer))
        manager->elapsedMs = ms;
}

void CModel::switchMotion(int32_t resetPhysicsToo)
{
    if (!sceneModel)
        return;
    sceneModel->setMotionBlendRate(0.0f);
    for (auto& [layer, manager] : layers)
        if (manager)
            manager->step(0.0f);
    updateTransform();
    if (resetPhysicsToo)
        sceneModel->resetPhysics();
}

int32_t CModel::isMotionOver(int32_t layer)
{
    if (layer == 0)
    {
        for (auto& [number, manager] : layers)
            if (manager && !isOver(sceneModel, *manager))
                return 0;
        return 1;
    }
    CModelMotionManager* manager = getLayer(layer);
    return !manager || isOver(sceneModel, *manager) ? 1 : 0;
}

int32_t CModel::isRemainMotion(int32_t layer)
{
    if (layer == 0)
    {
        for (auto& [number, manager] : layers)
            if (manager && manager->hasPending())
                return 1;
        return 0;
    }
    CModelMotionManager* manager = getLayer(layer);
    return manager ? manager->hasPending() : 0;
}

int32_t CModel::getLayerActiveMotionFrame(int32_t layer)
{
    CModelMotionManager* manager = getLayer(layer);
    if (!manager || manager->getCurrent() < 0 || !sceneModel)
        return 0;
    return sceneModel->getMotionFrame(manager->getCurrent());
}

int32_t CModel::getLayerActiveMotionMaxFrame(int32_t layer)
{
    CModelMotionManager* manager = getLayer(layer);
    if (!manager || manager->getCurrent() < 0 || !sceneModel)
        return 0;
    return int32_t(sceneModel->getMotionMaxFrameTime(manager->getCurrent()));
}

float CModel::getLayerActiveMotionFrameTime(int32_t layer)
{
    CModelMotionManager* manager = getLayer(layer);
    if (!manager || !sceneModel)
        return 0.0f;
    return sceneModel->getMotionFrameTime(manager->getCurrent(), 0);
}

void CModel::resetPose()
{
    for (auto& [layer, manager] : layers)
        if (manager)
            manager->clear();
    releaseLayers(false);
    if (sceneModel)
        sceneModel->resetPose();
}

} // namespace Orvane
