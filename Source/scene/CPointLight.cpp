#include "scene/CPointLight.h"

#include "core/CApp.h"

#include <kavro/IPointLight.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/IScenePointLight.h>

#include <algorithm>

namespace Orvane
{

using Kavro::Vector3D;
using Kavro::Vector4D;

CPointLight::CPointLight(const std::string& name) : CRenderingTaskObject(name)
{
    range.set(360.0f, 360.0f, 0, 0);
}

CPointLight::~CPointLight()
{
    releaseLight();
}

void CPointLight::releaseLight()
{
    if (sceneLight)
        sceneLight->release();
    sceneLight = nullptr;
    if (light)
        light->release();
    light = nullptr;
}

int CPointLight::create(const Vector3D& at, const float& lightPower, const Vector4D& lightColour,
                        const float& lightSize, const float& nearAttenuation, const float& farAttenuation,
                        const float& lightRange, const Vector3D& lookAt)
{
    releaseLight();
    CApp* app = CApp::get();
    if (!app || !app->renderDevice || !app->sceneManager)
        return -1;
    light = app->renderDevice->createPointLight();
    if (!light)
        return -1;
    sceneLight = app->sceneManager->createScenePointLight(light);
    if (!sceneLight)
    {
        releaseLight();
        return -1;
    }
    sceneLight->initialize(at, lightPower, lightColour, lightSize, nearAttenuation, farAttenuation);
    position.set(at, at, 0, 0);
    sceneLight->setRange(lightRange);
    if (lookAt == Vector3D(0.0f, -2000.0f, 0.0f))
        sceneLight->setLookAt(Vector3D(at.x, at.y - 2.0f, at.z));
    else
        sceneLight->setLookAt(lookAt);
    // The animations start from the light as made, and a new light gets every value at the next render.
    const Vector3D rgb(lightColour.x, lightColour.y, lightColour.z);
    colour.set(rgb, rgb, 0, 0);
    power.set(lightPower, lightPower, 0, 0);
    size.set(lightSize, lightSize, 0, 0);
    range.set(lightRange, lightRange, 0, 0);
    positionChanged = colourChanged = powerChanged = rotationChanged = sizeChanged = rangeChanged = 1;
    return 0;
}

void CPointLight::followSpline()
{
    position.value = spline.current;
    position.scaledValue = spline.current * position.valueScale;
}

int CPointLight::update()
{
    if (!light)
        return -1;
    positionChanged |= position.update();
    if (spline.update())
    {
        followSpline();
        positionChanged = 1;
    }
    colourChanged |= colour.update();
    powerChanged |= power.update();
    rotationChanged |= rotation.update();
    sizeChanged |= size.update();
    rangeChanged |= range.update();
    return 0;
}

int CPointLight::render()
{
    if (!sceneLight)
        return -1;
    if (positionChanged)
        sceneLight->setPosition(position.scaledValue);
    if (colourChanged)
    {
        const Vector3D& c = colour.scaledValue;
        sceneLight->setColor(Vector4D(c.x, c.y, c.z, 1.0f));
    }
    if (powerChanged)
        sceneLight->setPower(power.scaledValue);
    if (rotationChanged)
        sceneLight->setRotate(rotation.scaledValue);
    if (sizeChanged)
        sceneLight->setSize(size.scaledValue);
    if (rangeChanged)
        sceneLight->setRange(range.scaledValue);
    positionChanged = colourChanged = powerChanged = rotationChanged = sizeChanged = rangeChanged = 0;
    return 0;
}

int CPointLight::draw()
{
    if (!sceneLight)
        return -1;
    sceneLight->getSceneNode();
    return 0;
}

// ---- Animations

void CPointLight::move(const Vector3D& to, uint32_t durationMs, int32_t easing)
{
    position.set(position.value, to, durationMs, easing);
    positionChanged = 1;
}

void CPointLight::rotate(const Vector3D& to, uint32_t durationMs, int32_t easing)
{
    rotation.set(rotation.value, to, durationMs, easing);
    rotationChanged = 1;
}

void CPointLight::setColor(const Vector3D& to, uint32_t durationMs, int32_t easing)
{
    colour.set(colour.value, to, durationMs, easing);
    colourChanged = 1;
}

void CPointLight::setPower(float to, uint32_t durationMs, int32_t easing)
{
    power.set(power.value, to, durationMs, easing);
    powerChanged = 1;
}

void CPointLight::setSize(float to, uint32_t durationMs, int32_t easing)
{
    size.set(size.value, to, durationMs, easing);
    sizeChanged = 1;
}

void CPointLight::setRange(float to, uint32_t durationMs, int32_t easing)
{
    range.set(range.value, to, durationMs, easing);
    rangeChanged = 1;
}

void CPointLight::setMoveTimer(float ms)
{
    positionChanged = 1;
    position.setTime(ms);
}

void CPointLight::setRotateTimer(float ms)
{
    rotationChanged = 1;
    rotation.setTime(ms);
}

void CPointLight::setColorTimer(float ms)
{
    colourChanged = 1;
    colour.setTime(ms);
}

void CPointLight::setPowerTimer(float ms)
{
    powerChanged = 1;
    power.setTime(ms);
}

void CPointLight::setSizeTimer(float ms)
{
    sizeChanged = 1;
    size.setTime(ms);
}

void CPointLight::setRangeTimer(float ms)
{
    rangeChanged = 1;
    range.setTime(ms);
}

// ---- Spline

void CPointLight::resetSpline()
{
    spline.reset();
}

void CPointLight::addSplinePoint(const Vector3D& point, float timeMs, float weight)
{
    spline.addPoint(point, timeMs, weight);
}

void CPointLight::beginSpline(uint32_t durationMs, int32_t easing)
{
    spline.begin(float(durationMs), easing);
    positionChanged = 1;
    followSpline();
}

void CPointLight::setSplineTimer(float ms)
{
    // Before beginSpline the path has no keys and no point to stand on.
    if (spline.keys.empty())
        return;
    positionChanged = 1;
    spline.setTimer(std::clamp(ms, 0.0f, spline.progress.duration));
    followSpline();
}

void CPointLight::setTimeScale(float scale)
{
    position.timeScale = scale;
    colour.timeScale = scale;
    power.timeScale = scale;
    rotation.timeScale = scale;
    size.timeScale = scale;
    range.timeScale = scale;
    spline.progress.timeScale = scale;
}

} // namespace Orvane
