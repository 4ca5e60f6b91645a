#pragma once

#include "IInterface.h"

namespace Kavro
{

// Scene resources a model needs beyond its own (made by IRenderDevice::createModelAuxiliary for a model
// resource whose needsAuxiliary answers nonzero): prepared, attached to the scene model, committed, then
// added to the scene.
class IModelAuxiliary : public IInterface
{
public:
    virtual int prepare() = 0;
    virtual int commit() = 0;
};

} // namespace Kavro
