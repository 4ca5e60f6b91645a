#include "sprite/CSpriteList.h"

#include "core/CApp.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>

#include <algorithm>

namespace Orvane
{

namespace
{
const int32_t noRect[4] = {0, 0, 0, 0};
}

CSpriteList::CSpriteList(Kavro::ITexture* texture) : CSprite(texture, {}, noRect)
{
    if (texture)
    {
        rect[2] = texture->getSize()[0];
        rect[3] = texture->getSize()[1];
    }
}

int CSpriteList::update()
{
    if (!sceneSprite)
        return -1;
    // The render step would not push it: the list's own update is the only place it moves.
    if (transitionValue.update())
        sceneSprite->setTransition(transitionValue.from, transitionValue.to, transitionValue.scaledValue,
                                   transitionVague);
    return 0;
}

int CSpriteList::beginQuads()
{
    if (!sceneSprite)
        return 0;
    cursor = 0;
    return 0;
}

int CSpriteList::addQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4], const uint32_t colours[4],
                         const Kavro::Vector2D uv[4])
{
    if (!sceneSprite || !corners || !colours || !uv)
        return -1;
    if (cursor >= quads.size())
        quads.emplace_back();
    Quad& quad = quads[cursor++];
    quad.matrix = matrix;
    std::copy(corners, corners + 4, quad.corners);
    std::copy(colours, colours + 4, quad.colours);
    std::copy(uv, uv + 4, quad.uv);
    return 0;
}

int CSpriteList::setQuadFlag(int32_t keep)
{
    if (!sceneSprite || keep < 0)
        return -1;
    // Nothing to keep beyond what the previous list held.
    cursor = std::min(quads.size(), cursor + size_t(keep));
    return 0;
}

int CSpriteList::endQuads()
{
    if (!sceneSprite)
        return 0;
    quads.resize(cursor);
    sceneSprite->begin();
    for (const Quad& quad : quads)
        sceneSprite->addQuad(quad.matrix, quad.corners, quad.colours, quad.uv);
    return sceneSprite->end();
}

int CSpriteList::createList(uint32_t count)
{
    if (sceneSprite)
    {
        sceneSprite->release();
        sceneSprite = nullptr;
    }
    quads.clear();
    cursor = 0;
    const CApp* app = CApp::get();
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
    if (!sceneSprite)
        return -1;
    if (!visible)
        return 0;
    return sceneSprite->draw(offset, colour, factor);
}

} // namespace Orvane
