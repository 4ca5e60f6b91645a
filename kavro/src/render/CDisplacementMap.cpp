#include "render/CDisplacementMap.h"

#include "render/CRenderDevice.h"

namespace Kavro
{

CDisplacementMap::CDisplacementMap(CTexture* texture, const Vector2D& scale) : texture_(texture), scale_(scale)
{
}

int CDisplacementMap::resize(int width, int height)
{
    CRenderDevice* device = texture_->device();
    if (!device->resizeRenderTexture(texture_.get(), width, height))
        return -1;
    return device->clearTexture(texture_.get(), Neutral) < 0 ? -1 : 0;
}

} // namespace Kavro
