#pragma once

#include "core/CFrame.h"

#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane
{
class CParticle;
}

namespace Orvane::Particle
{

class CParticleObject;

// Where a particle system's particles are born: a point, a circle, a sphere or a box of the definition's
// location, in the system's space (the emitter is a frame named "Emitter" under the system). Every random
// draw is made on the system's generator.
class CParticleEmitter : public CFrame
{
public:
    enum Shape
    {
        NoShape = 0,
        PointShape = 1,
        CircleShape = 2,
        SphereShape = 3,
        BoxShape = 4,
    };

    explicit CParticleEmitter(CParticle* owner);

    Kavro::Vector3D getWorldScale() override;
    // Reads the first enabled shape of the owner's definition; 0.
    int setup();
    // Draws the particle's start position and hands it over; 0.
    int computeEmission(CParticleObject& particle);

    CParticle* owner;
    int32_t shape = NoShape;
    float circleRadius = 0.0f;
    Kavro::Vector3D circleAxis;
    int32_t circleRandomRadius = 0;
    int32_t circleSpectrumType = 0;
    float circleFirstAngle = 0.0f;
    float circleIntervalAngle = 0.0f;
    float circleIntervalDurationAngle = 0.0f;
    float sphereRadius = 0.0f;
    int32_t sphereRandomRadius = 0;
    int32_t sphereSpectrumType = 0;
    float sphereLatitudeStart = 0.0f;
    float sphereLongitudeStart = 0.0f;
    float sphereLatitudeEnd = 0.0f;
    float sphereLongitudeEnd = 0.0f;
    float boxLeft = 0.0f;
    float boxRight = 0.0f;
    float boxTop = 0.0f;
    float boxBottom = 0.0f;
    float boxFront = 0.0f;
    float boxBack = 0.0f;
    Kavro::Vector3D boxRotate;
    int32_t boxMakeMode = 0;
    uint32_t boxFaceMask = 0;

private:
    Kavro::Vector3D circlePosition(uint32_t i, uint32_t n);
    Kavro::Vector3D spherePosition(uint32_t i, uint32_t n);
    Kavro::Vector3D boxPosition();
    // A random value between 0 and r (nothing drawn for 0).
    float upTo(float r);
};

} // namespace Orvane::Particle
