#pragma once

#include "core/CObject.h"

namespace Orvane
{

// The handle by which a drawable holds its library scene object.
class ISceneObject : public CObject
{
public:
    // Nonzero when a library scene object is attached.
    virtual int isValid() = 0;
    // Nonzero when that object is to be drawn.
    virtual int isVisible() = 0;
    // Hands the object to the library's scene for the next capture of a render target.
    virtual int addToScene() = 0;
};

} // namespace Orvane
