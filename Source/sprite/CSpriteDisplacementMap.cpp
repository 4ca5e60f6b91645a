#include "sprite/CSpriteDisplacementMap.h"

#include "core/CApp.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/IDisplacementMap.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ITexture.h>

namespace Orvane
{

CSpriteDisplacementMap::CSpriteDisplacementMap() : CSpriteRenderTarget(nullptr, Kavro::Vector2D(0.0f, 0.0f))
{
    clearColour = NeutralColour;
}

CSpriteDisplacementMap::~CSpriteDisplacementMap()
{
    releaseHeld(effectMap);
    releaseHeld(innerSprite);
}

int CSpriteDisplacementMap::beginRender()
{
    return passCount != 0 ? -1 : CSpriteRenderTarget::beginRender();
}

Kavro::ITexture* CSpriteDisplacementMap::getTexture()
{
    return effectMap ? effectMap->getTexture() : nullptr;
}

int CSpriteDisplacementMap::createDisplacementMap(const Kavro::Vector2D& scale)
{
    CApp* app = CApp::get();
    Kavro::IRenderDevice* device = app ? app->renderDevice : nullptr;
    releaseHeld(effectMap);
    releaseHeld(innerSprite);
    effectMap = device ? device->createDisplacementMap(scale) : nullptr;
    if (!effectMap)
        return -1;
    Kavro::ITexture* mapTexture = effectMap->getTexture();
    const int32_t whole[4] = {0, 0, mapTexture->getSize()[0], mapTexture->getSize()[1]};
    setRect(whole);
    innerSprite = new CSprite(mapTexture, Kavro::Vector2D(), whole);
    innerSprite->create();
    innerSprite->fade(0.75f, 0, 0);
    leaveTaskLists();
    innerSprite->leaveTaskLists();
    return 0;
}

void CSpriteDisplacementMap::setSurface(IRenderTarget* surface)
{
    const CApp* app = CApp::get();
    Kavro::ITexture* mapTexture = getTexture();
    if (app && mapTexture)
    {
        int width = app->screenWidth, height = app->screenHeight;
        if (Kavro::ITexture* surfaceTexture = surface ? surface->getTexture() : nullptr)
        {
            width = surfaceTexture->getSize()[0];
            height = surfaceTexture->getSize()[1];
        }
        if ((mapTexture->getSize()[0] != width || mapTexture->getSize()[1] != height) &&
            effectMap->resize(width, height) >= 0)
        {
            rect[2] = width;
            rect[3] = height;
            setResized(1);
        }
    }
    CSpriteRenderTarget::setSurface(surface);
}

int CSpriteDisplacementMap::draw()
{
    if (innerSprite)
        innerSprite->draw();
    return 0;
}

int CSpriteDisplacementMap::render()
{
    if (innerSprite)
        innerSprite->render();
    return CSpriteRenderTarget::render();
}

} // namespace Orvane
