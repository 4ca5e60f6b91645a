#pragma once

#include "render/CSceneRenderer.h"
#include "scene/CCamera.h"

#include <kavro/ISceneManager.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <set>
#include <vector>

namespace Kavro
{

class CRenderDevice;
class SceneDrawable;

// The application's 3D scene: the drawables handed in by addSceneNode are drawn by the next renderScene
// through the scene camera, lit by the directional light and the point lights handed in with them.
class CSceneManager : public RefCounted<ISceneManager>
{
public:
    explicit CSceneManager(CRenderDevice* device);

    int setup(uint32_t* out, const uint32_t* startWord) override;
    int setRenderTarget(ITexture* target) override;
    int renderScene() override;
    int finishRender() override;
    void getSceneStateDesc(CSceneStateDesc& out) override { out = state_; }
    void setSceneStateDesc(const CSceneStateDesc& desc) override { pending_ = desc; }
    // The scene draws no effects yet, so every state takes effect as it is.
    int commitSceneStateDesc() override
    {
        state_ = pending_;
        return 0;
    }

    // Queues a node of this scene's drawables for the next renderScene (once however often it comes);
    // -1 for null and for nodes the scene did not make.
    int addSceneNode(ISceneNode* node) override;
    // A scene model of one of this library's model resources; null for any other.
    ISceneModel* createSceneModel(IModelResource* resource) override;
    ISceneSprite* addSprite3D(ISprite3D* sprite) override;
    IScenePointLight* createScenePointLight(IPointLight* light) override;
    IInterface* addModelAuxiliary(IModelAuxiliary*) override { return nullptr; }
    // The scene camera is the current camera: the two pairs are one setting.
    ICamera* getCamera() override { return getCurrentCamera(); }
    int setCamera(ICamera* camera) override;
    Vector3D transformFromWorldToScreen(const Vector3D& world) override;
    Vector3D transformFromScreenToWorld(const Vector3D& screen) override;
    int setLightColor(const Vector4D& colour) override;
    int setLightPosition(const Vector4D& position) override;
    int setLightLookAt(const Vector4D& target) override;
    // Turns the shadow map's view away from the light's direction (degrees, RotationZXY).
    int setShadowMapOffsetRotate(const float& x, const float& y, const float& z) override;
    // Projection shadows share the shadow map: this offset is kept only.
    int setProjectionShadowOffsetRotate(const float& x, const float& y, const float& z) override;
    // Kept only: the shadow mode, map size and self shadow of the scene state decide.
    int setSceneStateShadow(int, int, int) override { return 0; }
    int setKeepSubstanceRenderingResult(int) override { return -1; }
    int setHDRBloomEnable(int) override { return -1; }
    int setHDRParameter(float, float) override { return -1; }
    int setBloomParameter(float) override { return -1; }
    int setDOFEnable(int) override { return -1; }
    int setDOFParameter(float, float) override { return -1; }
    int setToneMappingEnable(int) override { return -1; }
    int setToneMappingParameter(float, float, float) override { return -1; }
    int setSoftFocusEnable(int) override { return -1; }
    int setSoftFocusParameter(float, float) override { return -1; }
    // The fog materials with their fog flag take: colour and distances from the eye.
    int setFogEnable(const int& enable) override;
    int setFogParameter(const float& nearDistance, const float& farDistance, Vector4D colour) override;
    int setRadialBlurParameter(const Vector2D&, float) override { return -1; }
    int setSoftParticleLength(const float&) override { return -1; }
    IParticleSceneObject* createParticleObject(ISceneParticle* particle) override;
    ICamera* getCurrentCamera() override;
    int setCurrentCamera(ICamera* camera) override;
    ~CSceneManager() override;

    // The drawables of this scene, which register while they live.
    void registerDrawable(SceneDrawable* drawable);
    void unregisterDrawable(SceneDrawable* drawable);

private:
    // The camera the scene is drawn through: the one set, else the scene's own default.
    CCamera* viewCamera() const;

    CRenderDevice* device_;
    ICamera* camera_ = nullptr;
    Ref<CCamera> defaultCamera_;
    ITexture* target_ = nullptr;
    std::set<SceneDrawable*> drawables_;
    std::vector<SceneDrawable*> queued_;
    Vector3D lightPosition_{0.0f, 20.0f, 1.0f};
    Vector3D lightTarget_{0.0f, 0.0f, 1.0f};
    Vector3D lightColour_{1.0f, 1.0f, 1.0f};
    CSceneRenderer::Fog fog_;
    Vector3D shadowOffset_, projectionShadowOffset_;
    CSceneStateDesc state_;
    CSceneStateDesc pending_;
};

} // namespace Kavro
