#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"
#include "Vector3D.h"

namespace Kavro
{

// A camera of the library's 3D scene (IRenderDevice::createCamera). It looks from its eye towards its
// target, along +z of its own frame. Drawables attached to one are ordered by their depth in it.
class ICamera : public IInterface
{
public:
    virtual Vector3D getEye() = 0;
    virtual Vector3D getTarget() = 0;
    virtual Vector3D getUp() = 0;
    // 0 perspective, 1 orthographic.
    virtual int getProjection() = 0;
    // Vertical field of view in degrees.
    virtual float getFieldOfView() = 0;
    virtual float getNear() = 0;
    virtual float getFar() = 0;

    // The vertical field of view in radians (the one setter that is not in degrees); aspect is width over
    // height.
    virtual int setPerspective(float fovRadians, float aspect, float zNear, float zFar) = 0;
    virtual int setOrtho(float width, float height, float zNear, float zFar) = 0;
    virtual int setLookAt(const Vector3D& eye, const Vector3D& target, const Vector3D& up) = 0;
    // Puts the values set into effect for the next draw.
    virtual int update() = 0;
    // The camera's placement: rows right, up, forward and the eye (the inverse of its view matrix).
    virtual Matrix4x4 getMatrix() = 0;
    // Vertical field of view in degrees.
    virtual float getFov() = 0;
    // Width over height.
    virtual const float* getAspect() = 0;
    // The eye.
    virtual Vector3D getPosition() = 0;
};

} // namespace Kavro
