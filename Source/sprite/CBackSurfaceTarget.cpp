#include "sprite/CBackSurfaceTarget.h"

#include "core/CApp.h"
#include "core/CTask.h"

#include <kavro/ISceneManager.h>

namespace Orvane
{

namespace
{
const int32_t NoRect[4] = {0, 0, 0, 0};
}

CBackSurfaceTarget::CBackSurfaceTarget(CTask& owner) : CSprite(nullptr, Kavro::Vector2D(), NoRect)
{
    leaveTaskLists();
    setTask(&owner);
    owner.addRenderTarget(this);
}

CBackSurfaceTarget::~CBackSurfaceTarget()
{
    if (CTask* owner = getTask()) owner->removeRenderTarget(this);
}

int CBackSurfaceTarget::capture()
{
    CApp* app = CApp::get();
    if (app && app->sceneManager)
    {
        app->sceneManager->renderScene();
        app->sceneManager->finishRender();
    }
    captured = true;
    return 0;
}

int CBackSurfaceTarget::render()
{
    captured = false;
    return 0;
}

} // namespace Orvane
