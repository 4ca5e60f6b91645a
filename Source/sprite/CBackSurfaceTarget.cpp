#include "sprite/CBackSurfaceTarget.h"

#include "core/CApp.h"
#include "core/CTask.h"

#include <kavro/ISceneManager.h>

namespace Orvane
{

CBackSurfaceTarget::CBackSurfaceTarget(CTask& owner) : CSpriteRenderTarget(nullptr, Kavro::Vector2D())
{
    CTask* joined = getTask();
    leaveTaskLists();
    if (joined)
        joined->removeRenderTarget(this);
    setTask(&owner);
    owner.addRenderTarget(this);
}

int CBackSurfaceTarget::beginRender()
{
    if (rendering)
        return -1;
    rendering = 1;
    return 0;
}

int CBackSurfaceTarget::endRender()
{
    if (!rendering)
        return 0;
    rendering = 0;
    ++passCount;
    return 0;
}

int CBackSurfaceTarget::capture()
{
    CApp* app = CApp::get();
    if (app && app->sceneManager)
    {
        app->sceneManager->renderScene();
        app->sceneManager->finishRender();
    }
    captured = 1;
    return 0;
}

int CBackSurfaceTarget::render()
{
    captured = 0;
    passCount = 0;
    return 0;
}

std::vector<int32_t> CBackSurfaceTarget::getSize()
{
    const CApp* app = CApp::get();
    return {0, 0, app ? app->screenWidth : 0, app ? app->screenHeight : 0};
}

} // namespace Orvane
