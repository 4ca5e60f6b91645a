#pragma once

#include "CSceneStateDesc.h"
#include "IInterface.h"
#include "Vector2D.h"
#include "Vector3D.h"
#include "Vector4D.h"

namespace Kavro
{

class ICamera;
class IModelAuxiliary;
class IModelResource;
class IPointLight;
class ISceneModel;
class ISceneNode;
class IScenePointLight;
class ISceneSprite;
class ISprite3D;
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

    // 3D scene. Objects made here come with one reference each.
    // Queues node to be drawn by the next renderScene; null: -1.
    virtual int addSceneNode(ISceneNode* node) = 0;
    virtual ISceneModel* createSceneModel(IModelResource* resource) = 0;
    virtual ISceneSprite* addSprite3D(ISprite3D* sprite) = 0;
    virtual IScenePointLight* createScenePointLight(IPointLight* light) = 0;
    // A handle that keeps the auxiliary resource in the scene while it is held.
    virtual IInterface* addModelAuxiliary(IModelAuxiliary* auxiliary) = 0;
    // The scene camera with a reference added (null before one is set).
    virtual ICamera* getCamera() = 0;
    virtual int setCamera(ICamera* camera) = 0;
    // World position to screen pixels (z: depth 0..1), and back.
    virtual Vector3D transformFromWorldToScreen(const Vector3D& world) = 0;
    virtual Vector3D transformFromScreenToWorld(const Vector3D& screen) = 0;

    // The scene's directional light, shining from its position towards its look-at point (w 1.0).
    virtual int setLightColor(const Vector4D& colour) = 0;
    virtual int setLightPosition(const Vector4D& position) = 0;
    virtual int setLightLookAt(const Vector4D& target) = 0;
    // Turns of the shadow map and the projected shadow away from the light's direction, in degrees.
    virtual int setShadowMapOffsetRotate(const float& x, const float& y, const float& z) = 0;
    virtual int setProjectionShadowOffsetRotate(const float& x, const float& y, const float& z) = 0;
    virtual int setSceneStateShadow(int a, int b, int c) = 0;
    virtual int setKeepSubstanceRenderingResult(int keep) = 0;

    // Post effects.
    virtual int setHDRBloomEnable(int enable) = 0;
    virtual int setHDRParameter(float lowLimit, float brightPower) = 0;
    virtual int setBloomParameter(float bloom) = 0;
    virtual int setDOFEnable(int enable) = 0;
    virtual int setDOFParameter(float middle, float far) = 0;
    virtual int setToneMappingEnable(int enable) = 0;
    virtual int setToneMappingParameter(float bias, float darkClamp, float lightClamp) = 0;
    virtual int setSoftFocusEnable(int enable) = 0;
    virtual int setSoftFocusParameter(float blurPower, float blendPower) = 0;
    virtual int setFogEnable(const int& enable) = 0;
    virtual int setFogParameter(const float& nearDistance, const float& farDistance, Vector4D colour) = 0;
    // Centre in screen pixels.
    virtual int setRadialBlurParameter(const Vector2D& centre, float power) = 0;
    virtual int setSoftParticleLength(const float& length) = 0;
    // The scene object that draws particle (null: none made); it keeps a reference to the particle object.
    virtual IParticleSceneObject* createParticleObject(ISceneParticle* particle) = 0;
    // The camera the scene is seen through, with a reference for the caller; null while none is set.
    virtual ICamera* getCurrentCamera() = 0;
    // Holds camera (null: none) with a reference.
    virtual int setCurrentCamera(ICamera* camera) = 0;
};

} // namespace Kavro
