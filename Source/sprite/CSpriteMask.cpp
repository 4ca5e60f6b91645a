#include "sprite/CSpriteMask.h"

#include "core/CApp.h"
#include "core/IRenderTarget.h"
#include "sprite/CMaskTextureCallback.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/ITexture.h>

namespace Orvane
{

namespace
{

// The library's one mask mode.
constexpr int MaskMode = 6;

} // namespace

CSpriteMask::CSpriteMask(Kavro::ITexture* texture, const Kavro::Vector2D& at, const int32_t rect[4])
    : CSprite(texture, at, rect)
{
    blendMode = 0;
}

CSpriteMask::CSpriteMask(const Kavro::Vector2D& at, const int32_t rect[4]) : CSprite(at, rect)
{
    blendMode = 0;
}

CSpriteMask::CSpriteMask(Kavro::IMovie* player, const Kavro::Vector2D& at) : CSprite(player, at)
{
    blendMode = 0;
}

CSpriteMask::~CSpriteMask()
{
    releaseMaskQuads();
}

void CSpriteMask::releaseMaskQuads()
{
    releaseHeld(maskObject);
    releaseHeld(sceneSprite);
    releaseHeld(colorSprite);
}

CColorTextureCallback* CSpriteMask::makeTextureCallback()
{
    return new CMaskTextureCallback(this);
}

int CSpriteMask::create()
{
    stopWatchingTexture();
    releaseMaskQuads();
    CApp* app = CApp::get();
    Kavro::IRenderDevice* device = app ? app->renderDevice : nullptr;
    maskObject = device ? device->createSpriteMask(texture, MaskMode) : nullptr;
    if (!maskObject)
        return -1;
    maskObject->addRef();
    if (texture)
        sceneSprite = maskObject;
    else
        colorSprite = maskObject;
    watchTexture();
    dirty = 1;
    update();
    return 0;
}

int CSpriteMask::draw()
{
    if (!maskObject)
        return 0;
    // The mask's picture must follow every change, seen or not: masked sprites read it.
    if (dirty || prevDirty || (visible && (vertexColor32[0] >> 24) > 0))
        maskObject->draw({0.0f, 0.0f}, nullptr, 1.0f);
    return 0;
}

void CSpriteMask::setSurface(IRenderTarget* target)
{
    if (maskObject)
    {
        const Kavro::Vector2D screen = getScreenSize();
        int32_t size[2] = {int32_t(screen.x), int32_t(screen.y)};
        Kavro::ITexture* surfaceTexture = target ? target->getTexture() : nullptr;
        if (surfaceTexture)
            size[0] = surfaceTexture->getSize()[0], size[1] = surfaceTexture->getSize()[1];
        maskObject->setMaskSize(size[0], size[1]);
    }
    CSprite::setSurface(target);
}

} // namespace Orvane
