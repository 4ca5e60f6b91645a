#include "scene/CMaskQuad.h"

#include "render/CRenderDevice.h"
#include "render/CTexture.h"

namespace Kavro
{

CMaskQuad::CMaskQuad(CRenderDevice* device, CTexture* texture) : CSpriteQuad(device, texture, 1)
{
    // A mask's picture replaces what the mask held; blending it over the cleared mask would only
    // darken its soft edges.
    blendMode_ = 0;
    const int32_t* screen = device->getScreenSize();
    setMaskSize(screen[0], screen[1]);
}

CMaskQuad::~CMaskQuad()
{
    if (mask_)
        mask_->release();
}

int CMaskQuad::setMaskSize(int width, int height)
{
    if (mask_ && mask_->getSize()[0] == width && mask_->getSize()[1] == height)
        return 0;
    CTexture* made = device_->own(device_->createRenderTexture(width, height, 4, 0, 0, 0));
    if (!made)
        return -1;
    if (mask_)
        mask_->release();
    mask_ = made;
    return 0;
}

int CMaskQuad::setDiffuseOnly(int flag)
{
    diffuseOnly_ = flag ? 1 : 0;
    return 0;
}

int CMaskQuad::draw(const Vector2D& offset, const Vector4D* colour, float factor)
{
    if (!mask_ || device_->clearTexture(mask_, 0) < 0)
        return -1;
    CTexture* picture = diffuseOnly_ ? device_->own(device_->getDefaultTexture()) : texture_.get();
    return device_->drawQuadsInto(mask_, corners_, picture, drawState(offset, colour, factor));
}

} // namespace Kavro
