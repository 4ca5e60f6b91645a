#include "core/TaskObjectLinks.h"

#include "core/CTask.h"
#include "core/CTaskObject.h"
#include "core/IRenderTarget.h"

namespace Orvane
{

CTaskObject* FindTaskObject(CTask* task, const char* name)
{
    if (!task || !name || !*name)
        return nullptr;
    return task->findTaskObject(name);
}

CFrame* FindLinkFrame(CTask* task, const char* name)
{
    CTaskObject* found = FindTaskObject(task, name);
    return found ? found->getFrame() : nullptr;
}

IRenderTarget* FindRenderTarget(CTask* task, const char* name)
{
    return dynamic_cast<IRenderTarget*>(FindLinkFrame(task, name));
}

Kavro::ICamera* FindCamera(CTask* task, const char* name)
{
    CTaskObject* found = FindTaskObject(task, name);
    return found && found->isCamera() ? found->getCamera() : nullptr;
}

int LinkFrame(CFrame& frame, CFrame* parent)
{
    for (const CFrame* at = parent; at; at = at->getParent())
        if (at == &frame)
            return -1;
    frame.setParent(parent);
    frame.updateWorldMatrix();
    return 0;
}

int LinkToNamedObject(CTask* task, CFrame& frame, const char* name)
{
    CFrame* found = FindLinkFrame(task, name);
    const int result = LinkFrame(frame, found ? found : task);
    if (result < 0)
        frame.updateWorldMatrix();
    return result;
}

} // namespace Orvane
