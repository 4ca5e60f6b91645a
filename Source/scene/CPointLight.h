#pragma once

#include "core/CRenderingTaskObject.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"

#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <cstdint>

namespace Kavro
{
class IPointLight;
class IScenePointLight;
} // namespace Kavro

namespace Orvane
{

// A point light in the 3D scene: a light resource of the render device and the scene light made from it.
// Position, colour, power, rotation, size and range are animated here and handed to the scene light once
// per frame when they changed; the position can also follow a timed spline, which wins over a move.
class CPointLight : public CRenderingTaskObject
{
public:
    explicit CPointLight(const std::string& name);
    ~CPointLight() override;

    // Replaces the library objects with new ones set up from the arguments; a look-at of exactly
    // (0, -2000, 0) means straight down. The light's values start from the arguments, and every value is
    // handed to the new light at the next render. Always 0.
    int create(const Kavro::Vector3D& position, const float& power, const Kavro::Vector4D& colour, const float& size,
               const float& nearAttenuation, const float& farAttenuation, const float& range,
               const Kavro::Vector3D& lookAt);

    // Advances the animations; -1 before create.
    int update() override;
    // Hands the changed values over, in a fixed order; -1 before create (the changes wait).
    int render() override;
    // -1 without a scene light, else 0.
    int draw() override;

    Kavro::IScenePointLight* getSceneLight() const { return sceneLight; }

    void move(const Kavro::Vector3D& to, uint32_t durationMs, int32_t easing);
    void rotate(const Kavro::Vector3D& to, uint32_t durationMs, int32_t easing);
    void setColor(const Kavro::Vector3D& to, uint32_t durationMs, int32_t easing);
    void setPower(float to, uint32_t durationMs, int32_t easing);
    void setSize(float to, uint32_t durationMs, int32_t easing);
    void setRange(float to, uint32_t durationMs, int32_t easing);

    // Seek an animation (clamped to its duration) and mark its value changed.
    void setMoveTimer(float ms);
    void setRotateTimer(float ms);
    void setColorTimer(float ms);
    void setPowerTimer(float ms);
    void setSizeTimer(float ms);
    void setRangeTimer(float ms);

    void resetSpline();
    void addSplinePoint(const Kavro::Vector3D& point, float timeMs, float weight);
    // Starts the path; the position stands on its first point at once.
    void beginSpline(uint32_t durationMs, int32_t easing);
    // Only on a begun path: the position jumps to the path's point at that time.
    void setSplineTimer(float ms);
    float getSplineTimer() const { return spline.progress.elapsed; }

    // The six animations and the path.
    void setTimeScale(float scale);

    CInterpolator<Kavro::Vector3D> position;
    CInterpolator<Kavro::Vector3D> colour;
    CInterpolator<float> power;
    CInterpolator<Kavro::Vector3D> rotation;
    CInterpolator<float> range;
    CInterpolator<float> size;
    CTimedNouniformSpline<Kavro::Vector3D> spline;

    int32_t positionChanged = 1;
    int32_t colourChanged = 1;
    int32_t powerChanged = 1;
    int32_t rotationChanged = 1;
    // Creation hands size and range to the light itself.
    int32_t sizeChanged = 0;
    int32_t rangeChanged = 0;

private:
    void releaseLight();
    void followSpline();

    Kavro::IPointLight* light = nullptr;
    Kavro::IScenePointLight* sceneLight = nullptr;
};

} // namespace Orvane
