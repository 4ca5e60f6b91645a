#pragma once

#include <kavro/ISceneManager.h>
#include <kavro/RefCounted.h>

namespace Kavro
{

class CRenderDevice;

// The application's 3D scene. It holds no scene objects yet, so a render pass selects the target and
// draws nothing into it.
class CSceneManager : public RefCounted<ISceneManager>
{
public:
    explicit CSceneManager(CRenderDevice* device) : device_(device) {}

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

    // The scene draws no 3D objects, lights or effects yet: these refuse.
    int addSceneNode(ISceneNode*) override { return -1; }
    // A scene model of one of this library's model resources; null for any other.
    ISceneModel* createSceneModel(IModelResource* resource) override;
    ISceneSprite* addSprite3D(ISprite3D*) override { return nullptr; }
    IScenePointLight* createScenePointLight(IPointLight*) override { return nullptr; }
    IInterface* addModelAuxiliary(IModelAuxiliary*) override { return nullptr; }
    ICamera* getCamera() override { return nullptr; }
    int setCamera(ICamera*) override { return -1; }
    Vector3D transformFromWorldToScreen(const Vector3D&) override { return {}; }
    Vector3D transformFromScreenToWorld(const Vector3D&) override { return {}; }
    int setLightColor(const Vector4D&) override { return -1; }
    int setLightPosition(const Vector4D&) override { return -1; }
    int setLightLookAt(const Vector4D&) override { return -1; }
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

private:
    CRenderDevice* device_;
    ICamera* camera_ = nullptr;
    ITexture* target_ = nullptr;
    CSceneStateDesc state_;
    CSceneStateDesc pending_;
};

} // namespace Kavro
