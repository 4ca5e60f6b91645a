#pragma once

#include "IInterface.h"

namespace Kavro
{

class IPhysicsWorld : public IInterface
{
public:
    virtual int step(float seconds) = 0;
    virtual int setParameter(const void* value) = 0;
};

} // namespace Kavro
