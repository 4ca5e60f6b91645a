#include "scene/CSceneManager.h"

#include "render/CRenderDevice.h"

namespace Kavro
{

int CSceneManager::setup(uint32_t* out, const uint32_t*)
{
    if (out)
        *out = 0;
    return 0;
}

int CSceneManager::setRenderTarget(ITexture* target)
{
    if (target && !device_->own(target))
        return -1;
    target_ = target;
    return 0;
}

int CSceneManager::renderScene()
{
    return 0;
}

int CSceneManager::finishRender()
{
    target_ = nullptr;
    return 0;
}

} // namespace Kavro
