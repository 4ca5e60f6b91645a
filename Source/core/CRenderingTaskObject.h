#pragma once

#include "core/CSceneNullObject.h"
#include "core/CTaskObject.h"

#include <string>

namespace Orvane
{

class CBatchContext;
class IRenderTarget;

// A task object that is drawn: it joins its task's rendering list at priority 0, may draw into a
// render surface of its own, and holds a scene-object handle (empty until a derived class
// attaches a library scene object).
class CRenderingTaskObject : public CTaskObject
{
public:
    explicit CRenderingTaskObject(const std::string& name = {});
    ~CRenderingTaskObject() override;

    // The surface's texture size when the object has its own surface with a texture, else the screen size.
    Kavro::Vector2D getViewSize() override;
    Kavro::Vector2D getParentViewSize() override;

    // The size of the texture the object draws into (its surface's, else the task's back surface's), else the
    // screen size.
    Kavro::Vector2D getTargetViewSize();
    // For an object that its owner updates and draws: the task's object and rendering lists let go of it.
    void leaveTaskLists();

    virtual ISceneObject* getSceneObject();
    // Holds the new surface with a reference and drops the previous one.
    virtual void setSurface(IRenderTarget* target);
    // The own surface, else the task's back surface, else null.
    virtual IRenderTarget* getSurface();
    virtual int checkHit(int a, int b, int c, int d);
    // Draws into the render target being drawn.
    virtual int draw();
    // Hands changed state to the library object.
    virtual int render();
    virtual int beginBatch(CBatchContext& batch);
    virtual int addToBatch(CBatchContext& batch);
    virtual int endBatch(CBatchContext& batch);
    virtual bool isInCamera(Kavro::ICamera* camera);
    virtual float getCameraDepth(Kavro::ICamera* camera);
    virtual bool isBatched();
    // Objects with equal keys share one batch.
    virtual std::string getBatchKey();
    // Nonzero puts the object also into the back surface's render list.
    virtual int drawsOnBackSurface();
    virtual int drawOnBackSurface();

    IRenderTarget* getOwnSurface() const { return surface; }

private:
    Kavro::Vector2D getSurfaceOrScreenSize() const;

    CSceneNullObject sceneObject;
    IRenderTarget* surface = nullptr;
};

} // namespace Orvane
