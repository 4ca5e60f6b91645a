#pragma once

#include "CSceneStateDesc.h"
#include "IInterface.h"

namespace Kavro
{

class ICamera;
class IParticleSceneObject;
class ISceneParticle;
class ITexture;

// Collects the frame's scene objects and draws them into the current render target.
class ISceneManager : public IInterface
{
public:
    // Prepares a frame; out receives the manager's frame word, startWord the engine's.
    virtual int setup(uint32_t* out, const uint32_t* startWord) = 0;
    virtual int setRenderTarget(ITexture* target) = 0;
    virtual int renderScene() = 0;
    virtual int finishRender() = 0;
    // The state in effect.
    virtual void getSceneStateDesc(CSceneStateDesc& out) = 0;
    // Stores the state to put into effect; commitSceneStateDesc does so. Negative: failure.
    virtual void setSceneStateDesc(const CSceneStateDesc& desc) = 0;
    virtual int commitSceneStateDesc() = 0;
    // The scene object that draws particle (null: none made); it keeps a reference to the particle object.
    virtual IParticleSceneObject* createParticleObject(ISceneParticle* particle) = 0;
    // The camera the scene is seen through, with a reference for the caller; null while none is set.
    virtual ICamera* getCurrentCamera() = 0;
    // Holds camera (null: none) with a reference.
    virtual int setCurrentCamera(ICamera* camera) = 0;
};

} // namespace Kavro
