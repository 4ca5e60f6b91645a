#include "sprite/CSpriteList.h"

#include "core/CApp.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/ITexture.h>

namespace Orvane
{

namespace
{

struct WholeTexture
{
    int32_t rect[4] = {0, 0, 0, 0};
    explicit WholeTexture(Kavro::ITexture* texture)
    {
        if (texture)
            rect[2] = texture->getSize()[0], rect[3] = texture->getSize()[1];
    }
};

} // namespace

CSpriteList::CSpriteList(Kavro::ITexture* texture) : CSprite(texture, Kavro::Vector2D(), WholeTexture(texture).rect)
{
}

int CSpriteList::update()
{
    if (!sceneSprite)
        return -1;
    if (transition.update())
        transitionDirty = 1;
    return 0;
}

int CSpriteList::beginQuads()
{
    return sceneSprite ? sceneSprite->begin() : -1;
}

int CSpriteList::addQuad(const Kavro::Matrix4x4* matrix, const Kavro::Vector4D* corners, const uint32_t* colours,
                         const Kavro::Vector2D* uv)
{
    if (!sceneSprite || !matrix)
        return -1;
    return sceneSprite->addQuad(*matrix, corners, colours, uv);
}

int CSpriteList::setQuadFlag(int32_t flag)
{
    return sceneSprite ? sceneSprite->setQuadFlag(flag) : -1;
}

int CSpriteList::endQuads()
{
    return sceneSprite ? sceneSprite->end() : -1;
}

int CSpriteList::createList(uint32_t count)
{
    releaseHeld(sceneSprite);
    CApp* app = CApp::get();
    Kavro::IRenderDevice* device = app ? app->renderDevice : nullptr;
    if (!device)
        return -1;
    if (!texture)
    {
        texture = device->getDefaultTexture();
        if (texture)
            texture->addRef();
    }
    sceneSprite = device->createSprite(texture, int(count), 1, 1);
    if (!sceneSprite)
        return -1;
    dirty = 1;
    quadCount = count;
    setBlendMode(blendMode);
    update();
    return 0;
}

int CSpriteList::drawAt(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, const float& factor)
{
    if (!visible)
        return 0;
    if (!sceneSprite)
        return -1;
    sceneSprite->draw(offset, colour, factor);
    return 0;
}

} // namespace Orvane
