#pragma once

#include "IInterface.h"
#include "Vector3D.h"

namespace Kavro
{

// A camera of the library's 3D scene. Drawables attached to one are ordered by their depth in it.
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
};

} // namespace Kavro
