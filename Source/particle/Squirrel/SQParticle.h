#pragma once

#include "core/ISceneObject.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"
#include "particle/CParticle.h"
#include "script/SquirrelObject.h"
#include "script/Squirrel/SQRenderer.h"

#include <kavro/Vector3D.h>

#include <cstdint>

namespace Kavro
{
class IParticleSceneObject;
}

namespace Orvane::Squirrel
{

// The script class "SQParticle": owns one particle system, drives its update, render and drawing from its
// own passes, and gives it a transform and an opacity that scripts animate (fade, move, scale, rotate and a
// spline path). Until a create succeeds it holds no system, and the operations that need one do nothing.
class SQParticle : public SQRenderer<CParticle>
{
public:
    // The scene-object handle of a world-space system: it draws the system when the scene is captured.
    class CSceneParticleObject : public ISceneObject
    {
    public:
        ~CSceneParticleObject() override;
        int isValid() override { return sceneObject != nullptr; }
        int isVisible() override { return visible; }
        int addToScene() override;
        // Holds object (one reference) in place of the previous one.
        void hold(Kavro::IParticleSceneObject* object, CParticle* owner);

        Kavro::IParticleSceneObject* sceneObject = nullptr;
        uint32_t visible = 1;
        CParticle* particle = nullptr;
        uint32_t hidden = 0;
    };

    explicit SQParticle(const char* name);
    ~SQParticle() override;

    CParticle* getEngineObject() override { return engine; }
    CFrame* getFrame() override { return engine ? static_cast<CFrame*>(engine) : this; }
    ISceneObject* getSceneObject() override;

    int update() override;
    int render() override;
    // The projection step and the system's drawing.
    int draw() override;
    void setTimeScale(float scale) override;
    int32_t serialize(const char* fileObjectName) override;
    int32_t deserialize(const char* fileObjectName) override;

    int create(const char* name, int mode);
    int createFromTable(SquirrelObject table, int mode);
    void link(const char* name);
    void linkEmitter(const char* name);
    void begin();
    void end();
    void reset();
    void fade(float opacity, int time, int easing);
    void move(float x, float y, float z, int time, int easing);
    void scale(float x, float y, float z, int time, int easing);
    void rotate(float x, float y, float z, int time, int easing);
    void resetSpline();
    void setSpline(float x, float y, float z, int time, float weight);
    void beginSpline(int time, int easing);
    void setSurface(const char* name);
    void setCamera(const char* name, float distance, float fieldOfView);
    void setDither(int enable, int width, int height, const char* textureName);
    int isFading();
    int isMoving();
    int isScaling();
    int isRotating();
    float getFade();
    // x, y, z and 0.0 to SQMATH_RET_1..4.
    void getMove();
    void getScale();
    void getRotate();
    int isActivle();
    float getFadeTimer();
    float getMoveTimer();
    float getScaleTimer();
    float getRotateTimer();
    float getSplineTimer();
    void setFadeTimer(float elapsed);
    void setMoveTimer(float elapsed);
    void setScaleTimer(float elapsed);
    void setRotateTimer(float elapsed);
    void setSplineTimer(float elapsed);
    SquirrelObject getParameterTable();
    int setParameterTable(SquirrelObject table);

    static void registerClass();

    CSceneParticleObject sceneHolder;
    CInterpolator<float> fadeValue;
    CInterpolator<Kavro::Vector3D> moveValue;
    CInterpolator<Kavro::Vector3D> scaleValue;
    CInterpolator<Kavro::Vector3D> rotateValue;
    CTimedNouniformSpline<Kavro::Vector3D> spline;
    uint32_t worldSpace = 0;

private:
    int adopt(const Particle::CParticleParameter& definition, int mode);
    void releaseParticle();
    void applyTransform();
};

} // namespace Orvane::Squirrel
