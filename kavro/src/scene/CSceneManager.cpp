#include "scene/CSceneManager.h"

#include "render/CRenderDevice.h"
#include "render/CSceneRenderer.h"
#include "render/CTexture.h"
#include "scene/CSceneModel.h"
#include "scene/CSceneObjects.h"
#include "scene/CSceneParticle.h"

#include <kavro/ICamera.h>

#include <algorithm>
#include <cmath>

namespace Kavro
{

CSceneManager::CSceneManager(CRenderDevice* device) : device_(device)
{
    const int32_t* screen = device_->getScreenSize();
    defaultCamera_ = Ref<CCamera>::adopt(new CCamera(float(screen[0]) / float(std::max(screen[1], 1))));
}

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

void CSceneManager::registerDrawable(SceneDrawable* drawable)
{
    drawables_.insert(drawable);
}

void CSceneManager::unregisterDrawable(SceneDrawable* drawable)
{
    drawables_.erase(drawable);
    std::erase(queued_, drawable);
}

int CSceneManager::addSceneNode(ISceneNode* node)
{
    // Only the scene's own drawables are nodes: anything else is refused, not cast.
    auto found = std::find_if(drawables_.begin(), drawables_.end(),
                              [node](SceneDrawable* d) { return static_cast<ISceneNode*>(d) == node; });
    if (!node || found == drawables_.end())
        return -1;
    if (std::find(queued_.begin(), queued_.end(), *found) == queued_.end())
        queued_.push_back(*found);
    return 0;
}

CCamera* CSceneManager::viewCamera() const
{
    auto* ours = dynamic_cast<CCamera*>(camera_);
    return ours ? ours : defaultCamera_.get();
}

int CSceneManager::renderScene()
{
    std::vector<SceneDrawable*> nodes;
    nodes.swap(queued_);
    if (nodes.empty())
        return 0;
    CTexture* target = target_ ? device_->own(target_) : device_->currentTarget();
    if (!target || !device_->makeCurrent())
        return -1;
    CSceneRenderer* renderer = device_->sceneRenderer();
    if (!renderer)
        return -1;
    // The 2D layers queued so far lie under the scene.
    device_->flush();
    const CCamera* camera = viewCamera();
    renderer->begin(camera->view(), camera->projection(), state_.pointLightNum);
    renderer->setDirectionalLight(lightPosition_, lightTarget_, lightColour_);
    renderer->setFog(fog_);
    CSceneRenderer::Shadow shadow;
    shadow.enabled = state_.shadowMode != 0;
    shadow.size = state_.shadowMapSize;
    shadow.offsetDegrees = shadowOffset_;
    shadow.selfShadow = state_.selfShadow != 0;
    renderer->setShadow(shadow);
    for (SceneDrawable* node : nodes)
        node->submit(*renderer);
    const bool drawn = renderer->draw(target);
    device_->restoreTarget();
    return drawn ? 0 : -1;
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
    return ours ? new CSceneModel(this, ours) : nullptr;
}

ISceneSprite* CSceneManager::addSprite3D(ISprite3D* sprite)
{
    auto* ours = dynamic_cast<CSprite3D*>(sprite);
    return ours && device_->own(ours->texture()) ? new CSceneSprite(this, ours) : nullptr;
}

IScenePointLight* CSceneManager::createScenePointLight(IPointLight* light)
{
    return dynamic_cast<CPointLightResource*>(light) ? new CScenePointLight(this) : nullptr;
}

int CSceneManager::setCamera(ICamera* camera)
{
    return setCurrentCamera(camera);
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

Vector3D CSceneManager::transformFromWorldToScreen(const Vector3D& world)
{
    const CCamera* camera = viewCamera();
    const Vector4D clip = Vector4D(world.x, world.y, world.z, 1.0f).Transform(camera->view() * camera->projection());
    if (clip.w == 0.0f)
        return {};
    const int32_t* screen = device_->getScreenSize();
    return {(clip.x / clip.w + 1.0f) * 0.5f * float(screen[0]), (1.0f - clip.y / clip.w) * 0.5f * float(screen[1]),
            clip.z / clip.w};
}

Vector3D CSceneManager::transformFromScreenToWorld(const Vector3D& screenPoint)
{
    const CCamera* camera = viewCamera();
    const int32_t* screen = device_->getScreenSize();
    const Vector4D ndc(screenPoint.x / float(screen[0]) * 2.0f - 1.0f, 1.0f - screenPoint.y / float(screen[1]) * 2.0f,
                       screenPoint.z, 1.0f);
    const Vector4D p = ndc.Transform((camera->view() * camera->projection()).Inverse());
    if (p.w == 0.0f)
        return {};
    return {p.x / p.w, p.y / p.w, p.z / p.w};
}

int CSceneManager::setShadowMapOffsetRotate(const float& x, const float& y, const float& z)
{
    shadowOffset_ = {x, y, z};
    return 0;
}

int CSceneManager::setProjectionShadowOffsetRotate(const float& x, const float& y, const float& z)
{
    projectionShadowOffset_ = {x, y, z};
    return 0;
}

int CSceneManager::setFogEnable(const int& enable)
{
    fog_.enabled = enable != 0;
    return 0;
}

int CSceneManager::setFogParameter(const float& nearDistance, const float& farDistance, Vector4D colour)
{
    if (!std::isfinite(nearDistance) || !std::isfinite(farDistance))
        return -1;
    fog_.nearDistance = nearDistance;
    fog_.farDistance = farDistance;
    fog_.colour = {colour.x, colour.y, colour.z};
    return 0;
}

int CSceneManager::setLightColor(const Vector4D& colour)
{
    lightColour_ = {colour.x, colour.y, colour.z};
    return 0;
}

int CSceneManager::setLightPosition(const Vector4D& position)
{
    lightPosition_ = {position.x, position.y, position.z};
    return 0;
}

int CSceneManager::setLightLookAt(const Vector4D& target)
{
    lightTarget_ = {target.x, target.y, target.z};
    return 0;
}

} // namespace Kavro
