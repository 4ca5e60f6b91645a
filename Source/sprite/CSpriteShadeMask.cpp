#include "sprite/CSpriteShadeMask.h"

#include "core/CApp.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/IRenderDevice.h>
#include <kavro/IShadeMap.h>
#include <kavro/ITexture.h>

#include <algorithm>

namespace Orvane
{

namespace
{

Kavro::IRenderDevice* renderDevice()
{
    CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

} // namespace

CSpriteShadeMask::CSpriteShadeMask() : CSpriteRenderTarget(nullptr, Kavro::Vector2D(0.0f, 0.0f))
{
    clearColour = NeutralColour;
}

CSpriteShadeMask::~CSpriteShadeMask()
{
    releaseHeld(effectMap);
    releaseHeld(innerSprite);
}

int CSpriteShadeMask::beginRender()
{
    return passCount != 0 ? -1 : CSpriteRenderTarget::beginRender();
}

Kavro::ITexture* CSpriteShadeMask::getTexture()
{
    return effectMap ? effectMap->getTexture() : nullptr;
}

int CSpriteShadeMask::create()
{
    Kavro::IRenderDevice* device = renderDevice();
    releaseHeld(effectMap);
    effectMap = device ? device->createShadeMap() : nullptr;
    if (!effectMap)
        return -1;
    releaseHeld(innerSprite);
    const int32_t width = effectMap->getTexture()->getSize()[0], height = effectMap->getTexture()->getSize()[1];
    if (Kavro::ITexture* copy = device->createRenderTexture(width, height, 4, 0, 0, 0))
    {
        const int32_t whole[4] = {0, 0, width, height};
        innerSprite = new CSprite(copy, Kavro::Vector2D(), whole);
        innerSprite->create();
        innerSprite->setShadeMask(this);
        copy->release();
    }
    if (!innerSprite)
    {
        releaseHeld(effectMap);
        return -1;
    }
    leaveTaskLists();
    innerSprite->leaveTaskLists();
    return 0;
}

int CSpriteShadeMask::draw()
{
    Kavro::IRenderDevice* device = renderDevice();
    if (!innerSprite || !device)
        return 0;
    device->copyRenderTarget(innerSprite->getTexture());
    innerSprite->draw();
    return 0;
}

int CSpriteShadeMask::render()
{
    if (innerSprite)
        innerSprite->render();
    return CSpriteRenderTarget::render();
}

int CSpriteShadeMask::update()
{
    if (innerSprite)
        innerSprite->update();
    return CSpriteRenderTarget::update();
}

void CSpriteShadeMask::setTimeScale(float scaling)
{
    if (innerSprite)
        innerSprite->setTimeScale(scaling);
    CSpriteRenderTarget::setTimeScale(scaling);
}

void CSpriteShadeMask::setShadingParameter(int32_t level, float density)
{
    if (innerSprite)
        innerSprite->setShadingParameter(level, density);
}

void CSpriteShadeMask::setShadingPower(float value, float duration, int32_t easing)
{
    if (innerSprite)
        innerSprite->setShadingPower(std::clamp(value, 0.0f, 1.0f), duration, easing);
}

int32_t CSpriteShadeMask::getShadingLevel()
{
    return innerSprite ? innerSprite->getShadingLevel() : 0;
}

float CSpriteShadeMask::getShadingDensity()
{
    return innerSprite ? innerSprite->getShadingDensity() : 0.0f;
}

} // namespace Orvane
