#pragma once

#include "core/ISceneObject.h"

namespace Orvane
{

// The empty scene-object handle every drawable starts with.
class CSceneNullObject : public ISceneObject
{
public:
    int isValid() override;
    int isVisible() override;
    int addToScene() override;
};

} // namespace Orvane
