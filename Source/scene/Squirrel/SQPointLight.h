#pragma once

#include "core/CSceneObject.h"
#include "scene/CPointLight.h"
#include "script/Squirrel/SQRenderer.h"

#include <kavro/IScenePointLight.h>

namespace Orvane::Squirrel
{

// The script class "SQPointLight": owns one point light and drives it from its own passes (the light leaves
// its task's lists and stays in the frame tree under the task). The holder gives the scene light to the
// scene at the capture; an erased light is not given, so it is off.
class SQPointLight : public SQRenderer<CPointLight>
{
public:
    explicit SQPointLight(const char* name);
    ~SQPointLight() override;

    CPointLight* getEngineObject() override { return engine; }
    CFrame* getFrame() override { return engine; }
    ISceneObject* getSceneObject() override { return &sceneHolder; }
    // The light's time step, also while erased.
    int update() override;
    // The holder is visible while not erased; only then the light hands its changes over.
    int render() override;
    // Nothing in the 2D pass: the capture takes the holder's light.
    int draw() override;
    void setTimeScale(float scale) override;

    // A light at (x, y, z) facing (lx, ly, lz): power 1.0, white, size 1.0, attenuation 0.5 to 0.75, range 180.
    int create(float x, float y, float z, float lx, float ly, float lz);
    void move(float x, float y, float z, int time, int easing);
    void rotate(float x, float y, float z, int time, int easing);
    void setColor(float r, float g, float b, int time, int easing);
    void setPower(float value, int time, int easing);
    void setSize(float value, int time, int easing);
    void setRange(float value, int time, int easing);

    // Straight to the scene light; before create they do nothing and answer 0.
    void setEnable(int enable);
    int getEnable();
    void setNearAttenuation(float value);
    void setFarAttenuation(float value);
    float getNearAttenuation();
    float getFarAttenuation();
    void setLookAt(float x, float y, float z);
    // x, y, z, 0 into SQMATH_RET_1..4.
    void getLookAt();

    void getMove();
    void getRotate();
    // r, g, b, 1.0.
    void getColor();
    float getPower();
    float getSize();
    float getRange();
    int isMoving();
    int isRotating();

    float getMoveTimer();
    float getRotateTimer();
    float getColorTimer();
    float getPowerTimer();
    float getSizeTimer();
    float getRangeTimer();
    float getSplineTimer();
    void setMoveTimer(float ms);
    void setRotateTimer(float ms);
    void setColorTimer(float ms);
    void setPowerTimer(float ms);
    void setSizeTimer(float ms);
    void setRangeTimer(float ms);
    void setSplineTimer(float ms);

    void resetSpline();
    void setSpline(float x, float y, float z, int time, float weight);
    void beginSpline(int duration, int easing);

    static void registerClass();

    CSceneObject<Kavro::IScenePointLight> sceneHolder;

private:
    Kavro::IScenePointLight* sceneLight() const { return engine->getSceneLight(); }
};

} // namespace Orvane::Squirrel
