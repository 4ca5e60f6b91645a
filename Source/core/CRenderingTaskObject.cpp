#include "core/CRenderingTaskObject.h"

#include "core/CTask.h"
#include "core/IRenderTarget.h"

#include <kavro/ITexture.h>

namespace Orvane
{

namespace
{
void holdSurface(IRenderTarget* target)
{
    if (target)
        target->getTargetObject()->addRef();
}

void dropSurface(IRenderTarget* target)
{
    if (target)
        target->getTargetObject()->release();
}
} // namespace

CRenderingTaskObject::CRenderingTaskObject(const std::string& name) : CTaskObject(name)
{
    if (getTask())
        getTask()->addRenderingObject(this, 0);
}

CRenderingTaskObject::~CRenderingTaskObject()
{
    setSurface(nullptr);
    if (getTask())
        getTask()->removeRenderingObject(this);
}

Kavro::Vector2D CRenderingTaskObject::getSurfaceOrScreenSize() const
{
    Kavro::ITexture* texture = surface ? surface->getTexture() : nullptr;
    if (!texture)
        return getScreenSize();
    const int32_t* size = texture->getSize();
    return {float(size[0]), float(size[1])};
}

Kavro::Vector2D CRenderingTaskObject::getViewSize()
{
    return getSurfaceOrScreenSize();
}

Kavro::Vector2D CRenderingTaskObject::getParentViewSize()
{
    CFrame* parent = getParent();
    if (!parent)
        return getScreenSize();
    if (parent->getParent())
        return parent->getViewSize();
    return getSurfaceOrScreenSize();
}

Kavro::Vector2D CRenderingTaskObject::getTargetViewSize()
{
    if (IRenderTarget* target = getSurface())
        if (Kavro::ITexture* texture = target->getTexture())
            return {float(texture->getSize()[0]), float(texture->getSize()[1])};
    return getScreenSize();
}

void CRenderingTaskObject::leaveTaskLists()
{
    if (CTask* joined = getTask())
    {
        joined->removeTaskObject(this);
        joined->removeRenderingObject(this);
    }
}

ISceneObject* CRenderingTaskObject::getSceneObject()
{
    return &sceneObject;
}

void CRenderingTaskObject::setSurface(IRenderTarget* target)
{
    // Hold the new one first: it may be the surface already held.
    holdSurface(target);
    IRenderTarget* previous = surface;
    surface = target;
    dropSurface(previous);
}

IRenderTarget* CRenderingTaskObject::getSurface()
{
    if (surface)
        return surface;
    return getTask() ? getTask()->getBackSurface() : nullptr;
}

int CRenderingTaskObject::checkHit(int, int, int, int)
{
    return 0;
}

int CRenderingTaskObject::draw()
{
    return 0;
}

int CRenderingTaskObject::render()
{
    return 0;
}

int CRenderingTaskObject::beginBatch(CBatchContext&)
{
    return 0;
}

int CRenderingTaskObject::addToBatch(CBatchContext&)
{
    return 0;
}

int CRenderingTaskObject::endBatch(CBatchContext&)
{
    return 0;
}

bool CRenderingTaskObject::isInCamera(Kavro::ICamera*)
{
    return false;
}

float CRenderingTaskObject::getCameraDepth(Kavro::ICamera*)
{
    return 0.0f;
}

bool CRenderingTaskObject::isBatched()
{
    return false;
}

std::string CRenderingTaskObject::getBatchKey()
{
    return {};
}

int CRenderingTaskObject::drawsOnBackSurface()
{
    return 0;
}

int CRenderingTaskObject::drawOnBackSurface()
{
    return 0;
}

} // namespace Orvane
