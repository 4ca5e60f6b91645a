#include "core/CRenderListDrawer.h"

#include "core/CRenderingTaskObject.h"
#include "core/IRenderTarget.h"

namespace Orvane
{

namespace
{
bool isInScene(CRenderingTaskObject* object)
{
    ISceneObject* scene = object->getSceneObject();
    return scene && scene->isValid() && scene->isVisible();
}
} // namespace

CRenderListDrawer::CRenderListDrawer(CTask& task, IRenderTarget* target, const CTask::RenderList* sceneList)
    : task(task), target(target), sceneList(sceneList)
{
}

CRenderListDrawer::~CRenderListDrawer()
{
    closeBatch();
}

void CRenderListDrawer::drawEntry(const CTask::RenderListEntry& entry)
{
    CRenderingTaskObject* object = entry.object;
    if (object->drawsOnBackSurface())
    {
        closeBatch();
        object->drawOnBackSurface();
    }
    if (entry.priority >= 0 && isInScene(object))
    {
        closeBatch();
        if (!target->isCaptured())
            captureScene();
        return;
    }
    if (IRenderTarget* delayed = findDelayedTarget(object))
    {
        closeBatch();
        task.drawRenderTarget(delayed, nullptr, CTask::noPriority);
    }
    drawObject(object);
}

void CRenderListDrawer::captureScene()
{
    if (sceneList)
        for (const CTask::RenderListEntry& entry : *sceneList)
            if (isInScene(entry.object))
                entry.object->getSceneObject()->addToScene();
    target->capture();
}

IRenderTarget* CRenderListDrawer::findDelayedTarget(CRenderingTaskObject* object) const
{
    if (delayedTargets)
        for (IRenderTarget* delayed : *delayedTargets)
            if (delayed->getTargetObject() == object)
                return delayed;
    return nullptr;
}

void CRenderListDrawer::drawObject(CRenderingTaskObject* object)
{
    if (!object->isBatched())
    {
        closeBatch();
        object->draw();
        return;
    }
    std::string key = object->getBatchKey();
    if (!members.empty() && key != batchKey)
        closeBatch();
    if (members.empty())
    {
        batchKey = std::move(key);
        object->beginBatch(batch);
    }
    object->addToBatch(batch);
    members.push_back(object);
}

void CRenderListDrawer::closeBatch()
{
    if (members.empty())
        return;
    std::vector<CRenderingTaskObject*> draws;
    draws.swap(members);
    draws.back()->endBatch(batch);
    for (CRenderingTaskObject* member : draws)
        member->draw();
    batch.setState(nullptr);
}

} // namespace Orvane
