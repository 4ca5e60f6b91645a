#pragma once

#include "IInterface.h"
#include "Vector3D.h"
#include "Vector4D.h"

namespace Kavro
{

class ISceneNode;

// A point light shining in the scene. It lights what lies within its range; the light falls off from the
// near to the far attenuation (fractions of the range). Angles in degrees.
class IScenePointLight : public IInterface
{
public:
    virtual int initialize(const Vector3D& position, const float& power, const Vector4D& colour, const float& size,
                           const float& nearAttenuation, const float& farAttenuation) = 0;
    virtual ISceneNode* getSceneNode() = 0;
    virtual int setPosition(const Vector3D& position) = 0;
    virtual int setColor(const Vector4D& colour) = 0;
    virtual int setPower(float power) = 0;
    virtual int setRotate(const Vector3D& degrees) = 0;
    virtual int setSize(float size) = 0;
    virtual int setRange(float range) = 0;
    virtual int setLookAt(const Vector3D& target) = 0;
    virtual Vector3D getLookAt() = 0;
    virtual int setEnable(int enable) = 0;
    virtual int getEnable() = 0;
    virtual int setNearAttenuation(float value) = 0;
    virtual int setFarAttenuation(float value) = 0;
    virtual float getNearAttenuation() = 0;
    virtual float getFarAttenuation() = 0;
};

} // namespace Kavro
