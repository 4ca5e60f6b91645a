#pragma once

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
    int setShadowMapOffsetRotate(const float&, const float&, const float&) override { return -1; }
    int setProjectionShadowOffsetRotate(const float&, const float&, const float&) override { return -1; }
    int setSceneStateShadow(int, int, int) override { return -1; }
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
    int setFogEnable(const int&) override { return -1; }
    int setFogParameter(const float&, const float&, Vector4D) override { return -1; }
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
    CSceneStateDesc state_;
    CSceneStateDesc pending_;
};

} // namespace Kavro
