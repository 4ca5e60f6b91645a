#pragma once

#include "core/CSceneObject.h"

#include <kavro/IPhysicsJoint.h>
#include <kavro/IPhysicsRigidBody.h>

namespace Orvane
{

// Bodies and joints show themselves through their scene object rather than a scene node of their own.
template <> inline Kavro::ISceneNode* CSceneObject<Kavro::IPhysicsRigidBody>::getSceneNode()
{
    if (!object || !isVisible())
        return nullptr;
    return object->getSceneObject();
}

template <> inline Kavro::ISceneNode* CSceneObject<Kavro::IPhysicsJoint>::getSceneNode()
{
    if (!object || !isVisible())
        return nullptr;
    return object->getSceneObject();
}

} // namespace Orvane
