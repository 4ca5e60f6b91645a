#pragma once

#include "core/CBatchContext.h"
#include "core/CTask.h"

#include <string>
#include <vector>

namespace Orvane
{

class CRenderingTaskObject;
class IRenderTarget;

// Draws the entries of one render list into one render target: objects in the library scene are
// captured into the target once per frame, runs of batched objects with equal keys share one
// batch, everything else draws on its own.
class CRenderListDrawer
{
public:
    // sceneList: the target's own render list, whose scene objects go into its capture (may be null).
    CRenderListDrawer(CTask& task, IRenderTarget* target, const CTask::RenderList* sceneList);
    ~CRenderListDrawer();
    CRenderListDrawer(const CRenderListDrawer&) = delete;
    CRenderListDrawer& operator=(const CRenderListDrawer&) = delete;

    // For the top-level pass: the targets whose drawing waits for their own sprite.
    void setDelayedTargets(const std::vector<IRenderTarget*>* targets) { delayedTargets = targets; }

    void drawEntry(const CTask::RenderListEntry& entry);
    // Ends the open batch and runs its members' draws in order.
    void closeBatch();

private:
    void captureScene();
    IRenderTarget* findDelayedTarget(CRenderingTaskObject* object) const;
    void drawObject(CRenderingTaskObject* object);

    CTask& task;
    IRenderTarget* target;
    const CTask::RenderList* sceneList;
    const std::vector<IRenderTarget*>* delayedTargets = nullptr;

    CBatchContext batch;
    std::string batchKey;
    std::vector<CRenderingTaskObject*> members;
};

} // namespace Orvane
