#include "scene/Squirrel/SQSceneRegistration.h"

#include "scene/Squirrel/SQBone.h"
#include "scene/Squirrel/SQCamera.h"
#include "scene/Squirrel/SQJoint.h"
#include "scene/Squirrel/SQNull3D.h"
#include "scene/Squirrel/SQPhysics.h"
#include "scene/Squirrel/SQRigidBody.h"
#include "scene/Squirrel/SQPointLight.h"
#include "scene/Squirrel/SQScene.h"
#include "scene/Squirrel/SQSprite3D.h"

namespace Orvane::Squirrel
{

void RegisterSceneClasses()
{
    SQCamera::registerClass();
    SQNull3D::registerClass();
    SQBone::registerClass();
    SQPhysics::registerClass();
    SQRigidBody::registerClass();
    SQJoint::registerClass();
    SQScene::registerClass();
    SQPointLight::registerClass();
    SQSprite3D::registerClass();
}

} // namespace Orvane::Squirrel
