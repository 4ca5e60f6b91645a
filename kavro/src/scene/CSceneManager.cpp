#include "scene/CSceneManager.h"

#include "render/CRenderDevice.h"
#include "scene/CSceneModel.h"
#include "scene/CSceneParticle.h"

#include <kavro/ICamera.h>

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

CSceneManager::~CSceneManager()
{
    setCurrentCamera(nullptr);
}

IParticleSceneObject* CSceneManager::createParticleObject(ISceneParticle* particle)
{
    auto* ours = dynamic_cast<CSceneParticle*>(particle);
    return ours ? new CParticleSceneObject(ours) : nullptr;
}

ISceneModel* CSceneManager::createSceneModel(IModelResource* resource)
{
    auto* ours = dynamic_cast<CModelResource*>(resource);
    return ours ? new CSceneModel(ours) : nullptr;
}

ICamera* CSceneManager::getCurrentCamera()
{
    if (camera_)
        camera_->addRef();
    return camera_;
}

int CSceneManager::setCurrentCamera(ICamera* camera)
{
    if (camera)
        camera->addRef();
    if (camera_)
        camera_->release();
    camera_ = camera;
    return 0;
}

} // namespace Kavro
