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
