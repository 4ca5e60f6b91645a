#pragma once

#include "IInterface.h"

namespace Kavro
{

// A camera of the library's 3D scene. Drawables attached to one are ordered by their depth in it.
class ICamera : public IInterface
{
};

} // namespace Kavro
