#include "sprite/CSpriteRenderTarget.h"

#include "core/CApp.h"
#include "core/CTask.h"
#include "core/CTextureWacher.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/ITexture.h>

#include <cstring>

namespace Orvane
{

namespace
{

struct SurfaceRect
{
    int32_t values[4] = {0, 0, 0, 0};
};

SurfaceRect wholeSurface(Kavro::ITexture* texture)
{
    SurfaceRect rect;
    if (texture)
    {
        rect.values[2] = texture->getSize()[0];
        rect.values[3] = texture->getSize()[1];
    }
    return rect;
}

Kavro::IRenderDevice* renderDevice()
{
    CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

} // namespace

CSpriteRenderTarget::CSpriteRenderTarget(Kavro::ITexture* surface, const Kavro::Vector2D& position)
    : CSprite(surface, position, wholeSurface(surface).values)
{
    if (CTask* owner = getTask())
        owner->addRenderTarget(this);
    if (!texture)
        return;
    // What is drawn into the surface over its transparent clear colour is premultiplied: sampled as
    // such, the target shows exactly what its objects would show drawn on their own.
    texture->setPremultiplied(1);
    const std::string name = surfaceName();
    if (!name.empty())
        if (CTextureWacher* watcher = textureWatcher())
            watcher->watch(name);
    if (Kavro::IRenderDevice* device = renderDevice())
        device->clearTexture(texture, 0);
}

CSpriteRenderTarget::~CSpriteRenderTarget()
{
    stopWatchingTexture();
    const std::string name = surfaceName();
    if (!name.empty())
        if (CTextureWacher* watcher = textureWatcher())
            watcher->notify(name);
    if (CTask* owner = getTask())
        owner->removeRenderTarget(this);
    releaseHeld(captureScene);
    releaseHeld(customEffect);
    releaseHeld(savedTarget);
}

std::string CSpriteRenderTarget::surfaceName() const
{
    const char* name = texture ? texture->getFileName() : nullptr;
    return name ? std::string(name, strnlen(name, 511)) : std::string();
}

int CSpriteRenderTarget::update()
{
    return hasSceneObject() ? CSprite::update() : 0;
}

int CSpriteRenderTarget::render()
{
    if (sceneSprite && !suspended)
        sceneSprite->apply();
    captured = 0;
    passCount = 0;
    return CSprite::render();
}

int CSpriteRenderTarget::beginRender()
{
    // A target whose surface could not be made has nothing to draw into: drawing its objects
    // onto whatever target is current would show them where they do not belong.
    Kavro::ITexture* surface = getTexture();
    if (suspended || rendering || !surface)
        return -1;
    Kavro::IRenderDevice* device = renderDevice();
    if (!device)
        return -1;
    rendering = 1;
    releaseHeld(savedTarget);
    savedTarget = device->getRenderTarget(0);
    if (savedTarget)
        savedTarget->addRef();
    const int result = device->setRenderTarget(0, surface, 0);
    if (result >= 0 && !clearDisabled && !customEffect)
        device->clearTexture(surface, clearColour);
    return result;
}

int CSpriteRenderTarget::endRender()
{
    if (!rendering)
        return 0;
    ++passCount;
    rendering = 0;
    resized = 0;
    if (customEffect)
        customEffect->apply(getTexture());
    Kavro::IRenderDevice* device = renderDevice();
    const int result = device ? device->setRenderTarget(0, savedTarget, 0) : -1;
    releaseHeld(savedTarget);
    return result;
}

int CSpriteRenderTarget::capture()
{
    if (suspended)
        return -1;
    CApp* app = CApp::get();
    Kavro::ISceneManager* scene = captureScene ? captureScene : (app ? app->sceneManager : nullptr);
    if (scene)
    {
        scene->setRenderTarget(getTexture());
        scene->renderScene();
        scene->finishRender();
    }
    captured = 1;
    return 0;
}

void CSpriteRenderTarget::createCaptureScene()
{
    releaseHeld(captureScene);
    Kavro::IRenderDevice* device = renderDevice();
    CApp* app = CApp::get();
    Kavro::ITexture* surface = getTexture();
    if (!device || !surface)
        return;
    captureScene = device->createSceneManager(surface->getSize()[0], surface->getSize()[1]);
    if (!captureScene || !app || !app->sceneManager)
        return;
    Kavro::CSceneStateDesc state;
    app->sceneManager->getSceneStateDesc(state);
    captureScene->setSceneStateDesc(state);
    captureScene->commitSceneStateDesc();
}

int CSpriteRenderTarget::deleteCustomEffect()
{
    return 0;
}

int CSpriteRenderTarget::createCustomEffect(const std::string&)
{
    return -1;
}

void CSpriteRenderTarget::clear()
{
    Kavro::IRenderDevice* device = renderDevice();
    Kavro::ITexture* surface = getTexture();
    if (!surface || !device)
        return;
    device->clearTexture(surface, clearColour);
    refreshSceneSprite();
}

} // namespace Orvane
