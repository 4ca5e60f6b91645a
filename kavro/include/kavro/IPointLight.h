#pragma once

#include "IInterface.h"

namespace Kavro
{

// A point-light resource (IRenderDevice::createPointLight); ISceneManager::createScenePointLight makes the
// light that shines in the scene from it.
class IPointLight : public IInterface
{
};

} // namespace Kavro
